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

namespace {

// The field's text as the engine takes it: Windows-1252, at most `limit` characters.
std::string ReadField(const QLineEdit* field, int limit) {
  std::string text = ToWindows1252(field->text());
  if (text.size() > static_cast<std::size_t>(limit)) text.resize(static_cast<std::size_t>(limit));
  return text;
}

}  // namespace

void CViewView::OnSearch() {
  m_bBusy = true;
  ShowWaitCursor();
  const std::string surname = ReadField(m_pEdit[0], kSurnameReadLength);
  if (!surname.empty()) {
    DoSearch(surname.c_str());
  } else {
    ShowMessageBox(kEmptySurnameMessage, kMbOk | kMbIconExclamation);
    m_pEdit[0]->setFocus();
  }
  m_bBusy = false;
  ShowArrowCursor();
}

void CViewView::OnClear() {
  DoClear();
  m_pMoreInfoBtn->setEnabled(false);
  m_pResults->Reset();
  RepaintResults();
  m_pEdit[0]->clear();
  m_pEdit[1]->clear();
  m_pEdit[0]->setFocus();
  m_nSelRow = -1;
  NotifyResultsChanged(this);
}

void CViewView::OnHelp() {
  if (!m_pHelpWindow) m_pHelpWindow = new HelpWindow(m_strHelpPath);
  m_pHelpWindow->ShowGuide();
}

void CViewView::OnQuit() {
  // Posted, so that the command returns before the frame closes.
  QWidget* frame = window();
  QMetaObject::invokeMethod(frame, [frame] { frame->close(); }, Qt::QueuedConnection);
}

void CViewView::OnPrevPage() {
  if (!m_pDatabase->EnsureDataPresent()) return;
  m_nSelRow = -1;
  m_pResults->PreviousPage();
  ShowPage();
  if (!m_pResults->HasPreviousPage()) m_pNextBtn->setFocus();
}

void CViewView::OnNextPage() {
  if (!m_pDatabase->EnsureDataPresent()) return;
  m_nSelRow = -1;
  m_pResults->NextPage();
  ShowPage();
  if (!m_pResults->HasNextPage()) m_pPrevBtn->setFocus();
}

void CViewView::OnMoreInfo() {
  if (m_nSelRow < 0 || m_nSelRow > kMaxRowsPerPage || m_nSelRow >= kRowTextCount) return;
  if (!m_pDatabase->EnsureDataPresent()) return;

  MoreInfoDialog dialog(window());
  dialog.SetCaption(FromWindows1252(MoreInfoCaption(m_szRowText[m_nSelRow], kRowTextSize)));
  const char* detail = m_pResults->DetailText(m_nSelRow);
  if (detail != nullptr) dialog.SetBody(FromWindows1252(detail, kDetailTextSize));
  dialog.DoModal();

  // What the dialog covered is painted again, and that paint puts the focus back.
  if (isVisible()) repaint();
}
