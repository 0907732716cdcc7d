// The commands of the search view and the rules that keep the focus in the surname field.
#include <cstring>
#include <string>

#include <QLineEdit>
#include <QMetaObject>
#include <QPushButton>

#include "platform/message_box.h"
#include "platform/qt/qt_cursor.h"
#include "platform/qt/qt_text.h"
#include "ui/bitmap_button.h"
#include "ui/help_window.h"
#include "ui/more_info_dialog.h"
#include "ui/row_fields.h"
#include "ui/view_accessible.h"
#include "ui/view_view.h"
#include "ui/whole_result.h"

std::string CViewView::ReadNameField(int row, int limit) const {
  // " SMITH" is SMITH: nobody means the blanks around a name they typed.
  std::string text = ToWindows1252(m_pEdit[row]->text().trimmed());
  if (text.size() > static_cast<std::size_t>(limit)) text.resize(static_cast<std::size_t>(limit));
  return text;
}

void CViewView::OnSearch() {
  m_bBusy = true;
  // The hourglass stays over the window for the whole search, the disk prompt included; the
  // prompt, a window of its own, has the arrow.
  ShowWaitCursor(window());
  const std::string surname = ReadNameField(0, kSurnameReadLength);
  if (!surname.empty()) {
    DoSearch(surname.c_str());
  } else {
    ShowMessageBox(kEmptySurnameMessage, kMbOk | kMbIconExclamation);
    m_pEdit[0]->setFocus();
  }
  m_bBusy = false;
  ShowArrowCursor(window());
}

void CViewView::OnClear() {
  DoClear();
  m_pMoreInfoBtn->setEnabled(false);
  m_pResults->Reset();
  m_nPage = 0;
  RepaintResults();
  m_pEdit[0]->clear();
  m_pEdit[1]->clear();
  m_pEdit[0]->setFocus();
  m_nSelRow = -1;
  NotifyResultsChanged(this);
  emit resultChanged();
}

void CViewView::OnHelp() {
  if (!m_pHelpWindow) m_pHelpWindow = new HelpWindow(m_strHelpPath, m_bFamilyDirectorySet);
  m_pHelpWindow->ShowGuide();
}

void CViewView::OnQuit() {
  // Posted, so that the command returns before the frame closes.
  QWidget* frame = window();
  QMetaObject::invokeMethod(frame, [frame] { frame->close(); }, Qt::QueuedConnection);
}

void CViewView::StepPage(bool forward) {
  if (forward) {
    m_pResults->NextPage();
    ++m_nPage;
  } else {
    m_pResults->PreviousPage();
    if (m_nPage > 0) --m_nPage;
  }
}

bool CViewView::TurnPage(bool forward) {
  if (!m_pDatabase->EnsureDataPresent()) return false;
  m_nSelRow = -1;
  StepPage(forward);
  ShowPage();
  return true;
}

void CViewView::OnPrevPage() {
  if (!TurnPage(false)) return;
  if (!m_pResults->HasPreviousPage()) m_pNextBtn->setFocus();
}

void CViewView::OnNextPage() {
  if (!TurnPage(true)) return;
  if (!m_pResults->HasNextPage()) m_pPrevBtn->setFocus();
}

void CViewView::OnMoreInfo() {
  if (m_nSelRow < 0 || m_nSelRow > kMaxRowsPerPage || m_nSelRow >= kRowTextCount) return;
  if (!m_pDatabase->EnsureDataPresent()) return;

  MoreInfoDialog dialog(window());
  dialog.SetCaption(FromWindows1252(MoreInfoCaption(m_szRowText[m_nSelRow], kRowTextSize)));
  const char* detail = m_pResults->DetailText(m_nSelRow);
  if (detail != nullptr) dialog.SetBody(FromWindows1252(detail, kDetailTextSize));
  if (SoldierEntry entry; PageEntry(this, m_nSelRow, &entry)) dialog.SetEntry(entry);
  dialog.DoModal();

  // What the dialog covered is painted again, and that paint puts the focus back.
  if (isVisible()) repaint();
}
