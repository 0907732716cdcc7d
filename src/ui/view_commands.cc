// The commands of the search view: the buttons that issue them and the result list's keys, both
// forwarded to the screen; and what the view does with what the screen tells it: repaint, move
// the focus, switch More Info, show the hourglass.
//
// The result list's keys. The list is painted, not a control, and the focus rules keep the focus
// in the surname field (or on the button the paging rule gave it), so the keys are taken where
// they are typed: in a name field or on a button, before the control sees them. What each does is
// the screen's rule (SearchScreen::OnListKey); the mouse works as before.
#include <QKeyEvent>
#include <QLineEdit>
#include <QMetaObject>
#include <QPushButton>
#include <QShortcutEvent>
#include <string>

#include "app/view_doc.h"
#include "platform/qt/qt_cursor.h"
#include "platform/qt/qt_text.h"
#include "ui/bitmap_button.h"
#include "ui/help_window.h"
#include "ui/more_info_dialog.h"
#include "ui/view_view.h"

namespace {

// The list's key `key` is, or false for any other. Home and End page with Ctrl; the others take
// no modifier.
bool ListKeyOf(int key, Qt::KeyboardModifiers modifiers, ListKey* out) {
  modifiers &= ~Qt::KeypadModifier;
  if (modifiers == Qt::ControlModifier && (key == Qt::Key_Home || key == Qt::Key_End)) {
    *out = key == Qt::Key_Home ? ListKey::kFirstPage : ListKey::kLastPage;
    return true;
  }
  if (modifiers != Qt::NoModifier) return false;
  switch (key) {
    case Qt::Key_Up:
      *out = ListKey::kUp;
      return true;
    case Qt::Key_Down:
      *out = ListKey::kDown;
      return true;
    case Qt::Key_PageUp:
      *out = ListKey::kPageUp;
      return true;
    case Qt::Key_PageDown:
      *out = ListKey::kPageDown;
      return true;
    case Qt::Key_Home:
      *out = ListKey::kHome;
      return true;
    case Qt::Key_End:
      *out = ListKey::kEnd;
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      *out = ListKey::kEnter;
      return true;
    default:
      return false;
  }
}

QRect Ltrb(int left, int top, int right, int bottom) { return QRect(left, top, right - left, bottom - top); }

}  // namespace

void CViewView::TakeListKeys(QWidget* control) { control->installEventFilter(this); }

bool CViewView::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride && (watched == m_pEdit[0] || watched == m_pEdit[1])) {
    // Ctrl+E is Export's key, and the caret is nearly always in a name field; where the desktop's
    // key bindings make Ctrl+E the field's end of line, the field would claim it first. Left
    // unclaimed, the shortcut wins; End still moves the caret.
    if (static_cast<QKeyEvent*>(event)->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_E)) {
      event->ignore();
      return true;
    }
  }
  if (event->type() == QEvent::Shortcut && !static_cast<QShortcutEvent*>(event)->isAmbiguous()) {
    // A button's Alt key presses it at once, not after the pressed look's delay: what is typed
    // next must land after the command (Alt+C and then a name keeps the name).
    if (auto* button = qobject_cast<QPushButton*>(watched); button && button->isEnabled()) {
      button->click();
      return true;
    }
  }
  if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
    if (OnListKey(static_cast<QWidget*>(watched), *static_cast<QKeyEvent*>(event))) return true;
  }
  return QWidget::eventFilter(watched, event);
}

bool CViewView::OnListKey(QWidget* control, const QKeyEvent& key) {
  ListKey listKey;
  if (!ListKeyOf(key.key(), key.modifiers(), &listKey)) return false;
  const bool onPageButton = control == m_pPrevBtn || control == m_pNextBtn;
  switch (m_screen.OnListKey(listKey, onPageButton)) {
    case KeyTaken::kNo:
      return false;
    case KeyTaken::kYes:
      return true;
    case KeyTaken::kMoreInfo:
      OnMoreInfo();
      return true;
  }
  return false;
}

int CViewView::OnCreate() {
  m_screen.CreateEngine();
  CreateButtons();
  return 0;
}

void CViewView::CreateButtons() {
  auto push = [this](const char* text, int id, const QRect& rect) {
    auto* button = new QPushButton(QString::fromLatin1(text), this);
    button->setGeometry(rect);
    button->setProperty("commandId", id);
    // Enter on a focused button presses it.
    button->setAutoDefault(true);
    TakeListKeys(button);
    button->show();
    return button;
  };
  auto page = [this](int id, const QString& name, const QRect& rect, const char* up, const char* down,
                     const char* focus, const char* dim) {
    auto* button = new BitmapButton(this);
    // The button is a picture and its caption is on the backdrop; it is named for screen readers.
    button->setAccessibleName(name);
    button->setGeometry(rect);
    button->setProperty("commandId", id);
    button->LoadBitmaps(up, down, focus, dim);
    button->SizeToContent();
    button->setEnabled(false);
    TakeListKeys(button);
    button->show();
    return button;
  };

  m_pSearchBtn = push("&Search", IDOK, Ltrb(62, 425, 158, 445));
  m_pSearchBtn->setDefault(true);
  connect(m_pSearchBtn, &QPushButton::clicked, this, &CViewView::OnSearch);
  m_pClearBtn = push("&Clear", IDC_CLEAR, Ltrb(163, 425, 259, 445));
  connect(m_pClearBtn, &QPushButton::clicked, this, &CViewView::OnClear);
  m_pMoreInfoBtn = push("&More Info", IDC_MORE_INFO, Ltrb(264, 425, 360, 445));
  m_pMoreInfoBtn->setEnabled(false);
  connect(m_pMoreInfoBtn, &QPushButton::clicked, this, &CViewView::OnMoreInfo);
  m_pPrevBtn = page(IDC_PREV_PAGE, tr("Previous page"), Ltrb(535, 165, 555, 185), "IDB_PREV_UP",
                    "IDB_PREV_DOWN", "IDB_PREV_FOCUS", "IDB_PREV_DIM");
  connect(m_pPrevBtn, &QAbstractButton::clicked, this, &CViewView::OnPrevPage);
  m_pNextBtn = page(IDC_NEXT_PAGE, tr("Next page"), Ltrb(561, 165, 581, 185), "IDB_NEXT_UP", "IDB_NEXT_DOWN",
                    "IDB_NEXT_FOCUS", "IDB_NEXT_DIM");
  connect(m_pNextBtn, &QAbstractButton::clicked, this, &CViewView::OnNextPage);
  m_pHelpBtn = push("Help", IDC_HELP_BUTTON, Ltrb(365, 425, 461, 445));
  connect(m_pHelpBtn, &QPushButton::clicked, this, &CViewView::OnHelp);
  m_pQuitBtn = push("&Quit", IDC_QUIT, Ltrb(466, 425, 562, 445));
  connect(m_pQuitBtn, &QPushButton::clicked, this, &CViewView::OnQuit);
}

std::string CViewView::ReadNameField(int row) const {
  // " SMITH" is SMITH: nobody means the blanks around a name they typed.
  return m_pEdit[row] ? ToWindows1252(m_pEdit[row]->text().trimmed()) : std::string();
}

void CViewView::OnSearch() { m_screen.OnSearch(ReadNameField(0), ReadNameField(1)); }

void CViewView::OnClear() { m_screen.OnClear(); }

void CViewView::OnHelp() {
  if (!m_pHelpWindow) m_pHelpWindow = new HelpWindow(m_strHelpPath, m_bFamilyDirectorySet);
  m_pHelpWindow->ShowGuide();
}

void CViewView::OnQuit() {
  // Posted, so that the command returns before the frame closes.
  QWidget* frame = window();
  QMetaObject::invokeMethod(frame, [frame] { frame->close(); }, Qt::QueuedConnection);
}

void CViewView::OnPrevPage() { m_screen.OnPrevPage(); }

void CViewView::OnNextPage() { m_screen.OnNextPage(); }

// Fills `dialog` with the selected row; false when there is nothing to show (the disk prompt
// cancelled).
bool CViewView::FillMoreInfo(MoreInfoDialog* dialog) {
  std::string caption;
  std::string body;
  const int row = m_screen.SelectedRow();
  if (!m_screen.MoreInfo(&caption, &body)) return false;
  dialog->SetCaption(FromWindows1252(caption));
  dialog->SetBody(FromWindows1252(body.c_str(), kDetailTextSize));
  if (SoldierEntry entry; m_screen.PageEntry(row, &entry)) dialog->SetEntry(entry);
  dialog->EnableSteps(m_screen.CanMoveSelection(-1), m_screen.CanMoveSelection(1));
  return true;
}

void CViewView::OnMoreInfo() {
  MoreInfoDialog dialog(window());
  if (!FillMoreInfo(&dialog)) return;
  // Previous and Next move the selection as Up and Down do, across the pages, and show that row.
  connect(&dialog, &MoreInfoDialog::stepRequested, this, [this, &dialog](int step) {
    m_screen.MoveSelection(step);
    if (FillMoreInfo(&dialog)) dialog.Refresh();
  });
  emit moreInfoOpened(&dialog);
  if (m_moreInfoExtras) m_moreInfoExtras(dialog, m_screen.SelectedRow());
  dialog.DoModal();

  // What the dialog covered is painted again, and that paint puts the focus back.
  if (isVisible()) repaint();
}

// --- What the screen tells the view ---

void CViewView::ResultsChanged() {
  RepaintResults();
  emit resultChanged();
}

void CViewView::SelectionChanged(int oldRow, int newRow) {
  QRegion changed;
  if (oldRow >= 0) changed += RowRect(oldRow);
  if (newRow >= 0) changed += RowRect(newRow);
  if (m_pMoreInfoBtn) m_pMoreInfoBtn->setEnabled(newRow >= 0);
  // The paint restores the old row from the backdrop and inverts the new one.
  if (m_pDocument && m_pDocument->backdrop) RepaintInPlace(changed);
  if (newRow != oldRow) emit resultChanged();
}

void CViewView::FocusRequested(ScreenFocus target) {
  QWidget* control = target == ScreenFocus::kPreviousButton ? static_cast<QWidget*>(m_pPrevBtn)
                     : target == ScreenFocus::kNextButton   ? static_cast<QWidget*>(m_pNextBtn)
                                                            : m_pEdit[0];
  if (control) control->setFocus();
}

void CViewView::BusyChanged(bool busy) {
  // The hourglass stays over the window for the whole search, the disk prompt included; the
  // prompt, a window of its own, has the arrow.
  if (busy) {
    ShowWaitCursor(window());
  } else {
    ShowArrowCursor(window());
  }
}

void CViewView::SearchShown() { emit searchShown(); }

void CViewView::RosterShown() { emit rosterShown(); }

void CViewView::Cleared() {
  if (m_pEdit[0]) m_pEdit[0]->clear();
  if (m_pEdit[1]) m_pEdit[1]->clear();
}

void CViewView::MoreInfoSwitched(bool enabled) {
  if (m_pMoreInfoBtn) m_pMoreInfoBtn->setEnabled(enabled);
}
