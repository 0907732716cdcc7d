#include "ui/view_view.h"

#include <QFocusEvent>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <algorithm>
#include <cstdio>

#include "app/view_doc.h"
#include "platform/file_system.h"
#include "platform/message_box.h"
#include "platform/qt/qt_text.h"
#include "store/data_location.h"
#include "ui/artwork.h"
#include "ui/bitmap_button.h"
#include "ui/help_window.h"
#include "ui/row_fields.h"

bool g_bFirstDraw = true;

namespace {

template <typename Control>
void DeleteControl(Control*& control) {
  delete control;
  control = nullptr;
}

}  // namespace

CViewView::CViewView(CViewDoc* document, const DataLocation& location, QWidget* parent)
    : QWidget(parent),
      m_pDocument(document),
      m_location(location),
      m_dialogue(location, this),
      m_screen(location, m_dialogue) {
  // Every cursor over the view is the window's: the arrow, or the hourglass while busy. The
  // view's controls set none of their own.
  m_screen.AddListener(this);
  const char* family = m_location.familyDirectory ? m_location.familyDirectory.get() : "";
  m_strHelpPath = QString::fromLocal8Bit(family) + QLatin1String(kHelpFileName);
  // An empty KinloomDir reads as the bare separator: no directory the user named.
  m_bFamilyDirectorySet = family[0] != '\0' && !(family[0] == kPathSeparator && family[1] == '\0');
}

CViewView::~CViewView() { OnDestroy(); }

void CViewView::OnDestroy() {
  if (m_bDestroyed) return;
  m_bDestroyed = true;
  // Nothing the screen does from here on is painted.
  m_screen.Forget();
  // The help goes with the program.
  if (m_pHelpWindow) {
    m_pHelpWindow->close();
    delete m_pHelpWindow.data();
  }
  DeleteControl(m_pEdit[0]);
  DeleteControl(m_pEdit[1]);
  DeleteButtons();
  m_screen.DeleteEngine();
}

void CViewView::DeleteButtons() {
  DeleteControl(m_pSearchBtn);
  DeleteControl(m_pClearBtn);
  DeleteControl(m_pMoreInfoBtn);
  DeleteControl(m_pPrevBtn);
  DeleteControl(m_pNextBtn);
  DeleteControl(m_pHelpBtn);
  DeleteControl(m_pQuitBtn);
}

void CViewView::OnInitialUpdate() {
  if (m_pEdit[0]) m_pEdit[0]->setFocus();
}

void CViewView::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  if (m_pEdit[0]) m_pEdit[0]->setFocus();
}

int CViewView::TextHeight() const { return QFontMetrics(font()).height(); }

QRect CViewView::RowRect(int row) const {
  const int h = TextHeight();
  return QRect(kColumns[0].left, kRowTop + row * h, kColumns[2].right - kColumns[0].left, h);
}

QRect CViewView::CellRect(int row, int column) const {
  const int h = TextHeight();
  return QRect(kColumns[column].left, kRowTop + row * h,
               kColumns[column].right - kColumns[column].left, h);
}

QString CViewView::CountLine() const { return QString::fromLatin1(m_screen.CountLine()); }

QString CViewView::FieldText(int row, int column) const {
  if (row < 0 || row >= ShownRowCount() || column < 0 || column >= kRowFieldCount) return {};
  return FromWindows1252(SplitRowText(m_screen.RowText(row), kRowTextSize).field[column]);
}

// --- painting ---

bool CViewView::PaintedUnderChildrenOnly(const QRegion& region) const {
  QRegion rest = region;
  for (const QObject* child : children()) {
    const auto* widget = qobject_cast<const QWidget*>(child);
    if (widget && widget->isVisible() && !widget->isWindow()) rest -= widget->geometry();
  }
  return rest.isEmpty();
}

void CViewView::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  // A paint asked for by RepaintResults or a click, or one that only fills in under a control
  // that redraws itself, is not a paint of the screen and leaves the focus where it is.
  const bool fullPaint = !m_bInPlace && !PaintedUnderChildrenOnly(event->region());
  OnDraw(painter, fullPaint);
}

void CViewView::OnDraw(QPainter& painter, bool fullPaint) {
  const ResultList* results = m_screen.Results();
  if (m_pDocument && m_pDocument->backdrop && results) {
    // At a device-pixel ratio above 1 (a zoom step, a high-density screen) the picture is the
    // rendering made for that ratio, drawn pixel for pixel; a picture without one is scaled pixel
    // for pixel, without smoothing. Either way its captions, rules and field boxes keep sharp
    // edges at exactly their places. The rows, the count line and the inversion are drawn at the
    // screen's own resolution.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawPixmap(QPointF(0, 0), ArtworkFor("IDB_BACKDROP", *m_pDocument->backdrop, devicePixelRatioF()));
    DrawRows(painter, results->RowCount(), results->ResultCount());
  }
  if (g_bFirstDraw) {
    if (TextHeight() >= kLargeFontHeight) {
      if (m_pHelpBtn) m_pHelpBtn->setGeometry(365, 422, 96, 20);
      if (m_pQuitBtn) m_pQuitBtn->setGeometry(466, 422, 96, 20);
    }
    g_bFirstDraw = false;
  }
  if (fullPaint && m_pEdit[0]) m_pEdit[0]->setFocus();
}

void CViewView::ApplyResultState() {
  m_screen.SetRowsPerPage(TextHeight() >= kLargeFontHeight);
  const ScreenControls controls = m_screen.Controls();
  const int page = m_screen.PageIndex();
  if (m_pNextBtn) {
    m_pNextBtn->setEnabled(controls.next);
    m_pNextBtn->setToolTip(controls.next ? tr("Next page (%1 of %2)").arg(page + 2).arg(PageCount())
                                         : tr("Next page"));
  }
  if (m_pPrevBtn) {
    m_pPrevBtn->setEnabled(controls.previous);
    m_pPrevBtn->setToolTip(controls.previous ? tr("Previous page (%1 of %2)").arg(page).arg(PageCount())
                                             : tr("Previous page"));
  }
  if (m_pMoreInfoBtn) m_pMoreInfoBtn->setEnabled(controls.moreInfo);
}

void CViewView::DrawRows(QPainter& painter, int rowCount, int total) {
  const int h = TextHeight();
  ApplyResultState();
  painter.setFont(font());
  painter.setPen(QColor(kRowTextColorName));
  painter.setBackgroundMode(Qt::TransparentMode);
  DrawCountLine(painter, total);

  const int rows = std::min(rowCount, kRowTextCount);
  int y = kRowTop;
  for (int i = 0; i < rows; ++i) {
    const RowFields fields = SplitRowText(m_screen.RowText(i), kRowTextSize);
    for (int column = 0; column < kRowFieldCount; ++column) {
      const QRect cell(kColumns[column].left, y, kColumns[column].right - kColumns[column].left, h);
      painter.drawText(cell, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                       FromWindows1252(fields.field[column]));
    }
    y += h;
  }
  const int selected = m_screen.SelectedRow();
  if (selected >= 0 && selected < rows) InvertRow(painter, selected);
}

void CViewView::DrawCountLine(QPainter& painter, int total) {
  painter.drawText(rcCountLine, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                   QString::fromLatin1(CountLineText(total)));
}

void CViewView::InvertRow(QPainter& painter, int row) {
  painter.save();
  painter.setCompositionMode(QPainter::RasterOp_NotDestination);
  for (int column = 0; column < kRowFieldCount; ++column) {
    painter.fillRect(CellRect(row, column), Qt::black);
  }
  painter.restore();
}

void CViewView::RepaintInPlace(const QRegion& region) {
  // At a fractional device-pixel ratio an edge of a cell or of the list falls inside a physical
  // pixel, which the text's anti-aliasing or the inversion may touch while the repaint's clip,
  // rounded the other way, leaves it out; that pixel would keep the old page. One logical pixel
  // more on every side takes such pixels in; the paint redraws them from the backdrop as before.
  QRegion grown;
  for (const QRect& rect : region) grown += rect.adjusted(-1, -1, 1, 1);
  m_bInPlace = true;
  repaint(grown);
  m_bInPlace = false;
}

void CViewView::RepaintResults() {
  const ResultList* results = m_screen.Results();
  if (!m_pDocument || !m_pDocument->backdrop || !results) return;
  ApplyResultState();
  // Rows are as tall as the font; a page may reach below the list rectangle, and that strip is
  // restored with it so that no row of an earlier page is left behind.
  QRegion region(rcResultList);
  region += rcCountLine;
  region += QRect(rcResultList.left(), kRowTop, rcResultList.width(), results->RowsPerPage() * TextHeight());
  RepaintInPlace(region);
}

HelpWindow* CViewView::Help() const { return m_pHelpWindow.data(); }
