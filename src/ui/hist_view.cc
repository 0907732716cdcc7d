#include "ui/hist_view.h"

#include <string>

#include <QHelpEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QToolTip>

#include "app/view_doc.h"

CHistView::CHistView(CViewDoc* document, const DataLocation& location, QWidget* parent)
    : CViewView(document, location, parent) {}

CHistView::~CHistView() { OnDestroy(); }

int CHistView::OnCreate() {
  if (CViewView::OnCreate() == -1) return -1;
  for (int row = 0; row < 2; ++row) {
    const NameFieldGeometry& g = kNameFields[row];
    auto* edit = new QLineEdit(this);
    edit->setObjectName(row == 0 ? QStringLiteral("surname") : QStringLiteral("givenName"));
    edit->setProperty("controlId", static_cast<int>(g.id));
    edit->setGeometry(g.x, g.y, g.width, g.height);
    edit->setMaxLength(g.limit);
    // The captions over the fields are part of the backdrop; a screen reader needs them here.
    edit->setAccessibleName(row == 0 ? tr("Surname") : tr("Given Name"));
    // No text cursor over the fields: the window decides the cursor everywhere.
    edit->unsetCursor();
    // Enter in a name field is the Search command.
    connect(edit, &QLineEdit::returnPressed, this, &CViewView::OnSearch);
    TakeListKeys(edit);
    edit->show();
    m_pEdit[row] = edit;
  }
  return 0;
}

void CHistView::OnLButtonDown(const QPoint& point) {
  if (!rcResultList.contains(point)) return;
  // A point below the last row is no row, and clears the selection.
  SelectRow((point.y() - kRowTop) / TextHeight());
}

void CHistView::OnLButtonDblClk(const QPoint& point) {
  if (rcResultList.contains(point)) OnMoreInfo();
}

bool CHistView::event(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return CViewView::event(event);
  const auto* help = static_cast<QHelpEvent*>(event);
  const int row = rcResultList.contains(help->pos()) ? (help->pos().y() - kRowTop) / TextHeight() : -1;
  const QString words = row < ShownRowCount() ? QString::fromStdString(Screen().RowWords(row)) : QString();
  if (words.isEmpty()) {
    QToolTip::hideText();
    event->ignore();
  } else {
    QToolTip::showText(help->globalPos(), words, this, RowRect(row));
  }
  return true;
}

void CHistView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) OnLButtonDown(event->position().toPoint());
  QWidget::mousePressEvent(event);
}

void CHistView::mouseDoubleClickEvent(QMouseEvent* event) {
  // The press of the same double click has already set or cleared the selection.
  if (event->button() == Qt::LeftButton) OnLButtonDblClk(event->position().toPoint());
}
