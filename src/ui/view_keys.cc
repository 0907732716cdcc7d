// The result list's keys. The list is painted, not a control, and the focus rules keep the focus
// in the surname field (or on the button the paging rule gave it), so the keys are taken where
// they are typed: in a name field or on a button, before the control sees them.
//
//   Up, Down         the row above or below; across to the page before or after at either end
//   PageUp, PageDown the page before or after, as the page buttons turn it
//   Home, End        the first or last page, when the result has more than one (else a name
//                    field moves its text cursor, as always)
//   Enter            on a page button with a row selected: More Info (in a name field Enter
//                    searches; on a push button it presses that button)
//
// None of them moves the focus, and the mouse works as before.
#include <QKeyEvent>
#include <QLineEdit>

#include "platform/qt/qt_cursor.h"
#include "ui/bitmap_button.h"
#include "ui/view_view.h"

void CViewView::TakeListKeys(QWidget* control) { control->installEventFilter(this); }

bool CViewView::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && watched->isWidgetType() && m_pResults && !m_bBusy) {
    if (OnListKey(static_cast<QWidget*>(watched), *static_cast<QKeyEvent*>(event))) return true;
  }
  return QWidget::eventFilter(watched, event);
}

bool CViewView::OnListKey(QWidget* control, const QKeyEvent& key) {
  if ((key.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
  const bool shown = ShownRowCount() > 0;
  const bool previous = m_pResults->HasPreviousPage() != 0;
  const bool next = m_pResults->HasNextPage() != 0;
  switch (key.key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
      if (!shown) return false;
      MoveSelection(key.key() == Qt::Key_Down ? 1 : -1);
      return true;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      if (!shown) return false;
      if (key.key() == Qt::Key_PageDown ? next : previous) TurnPage(key.key() == Qt::Key_PageDown);
      return true;
    case Qt::Key_Home:
    case Qt::Key_End:
      if (!previous && !next) return false;
      ShowEndPage(key.key() == Qt::Key_End);
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (m_nSelRow < 0 || (control != m_pPrevBtn && control != m_pNextBtn)) return false;
      OnMoreInfo();
      return true;
    default:
      return false;
  }
}

void CViewView::MoveSelection(int step) {
  const int rows = ShownRowCount();
  if (m_nSelRow < 0) {
    SelectRow(step > 0 ? 0 : rows - 1);
  } else if (m_nSelRow + step >= 0 && m_nSelRow + step < rows) {
    SelectRow(m_nSelRow + step);
  } else if (step > 0 && m_pResults->HasNextPage()) {
    if (TurnPage(true)) SelectRow(0);
  } else if (step < 0 && m_pResults->HasPreviousPage()) {
    if (TurnPage(false)) SelectRow(ShownRowCount() - 1);
  }
}

void CViewView::ShowEndPage(bool last) {
  if (!m_pDatabase->EnsureDataPresent()) return;
  m_nSelRow = -1;
  m_nPage = static_cast<int>(m_pResults->ShowPageAt(last ? m_pResults->PageCount() - 1 : 0));
  ShowPage();
}
