#include "ui/view_view.h"

#include <algorithm>
#include <cstdio>

#include <QFocusEvent>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>

#include "app/view_doc.h"
#include "platform/file_system.h"
#include "platform/qt/qt_text.h"
#include "store/data_location.h"
#include "ui/artwork.h"
#include "ui/bitmap_button.h"
#include "ui/help_window.h"
#include "ui/row_fields.h"
#include "ui/view_accessible.h"

bool g_bShuttingDown = false;
bool g_bFirstDraw = true;

namespace {

QRect Ltrb(int left, int top, int right, int bottom) {
  return QRect(left, top, right - left, bottom - top);
}

template <typename Control>
void DeleteControl(Control*& control) {
  delete control;
  control = nullptr;
}

}  // namespace

std::string CountLineText(long total) {
  if (total < 0) return kNoRecordsText;
  char text[256];
  std::snprintf(text, sizeof text, kCountLineFormat, total);
  return text;
}

CViewView::CViewView(CViewDoc* document, const DataLocation& location, QWidget* parent)
    : QWidget(parent), m_pDocument(document), m_location(location) {
  // Every cursor over the view is the window's: the arrow, or the hourglass while busy. The
  // view's controls set none of their own.
  // The painted count line and result table are described to assistive technology.
  InstallViewAccessibility();
  const char* family = m_location.familyDirectory ? m_location.familyDirectory.get() : "";
  m_strHelpPath = QString::fromLocal8Bit(family) + QLatin1String(kHelpFileName);
  // An empty KinloomDir reads as the bare separator: no directory the user named.
  m_bFamilyDirectorySet = family[0] != '\0' && !(family[0] == kPathSeparator && family[1] == '\0');
}

CViewView::~CViewView() { OnDestroy(); }

int CViewView::OnCreate() {
  CreateEngine();
  CreateButtons();
  return 0;
}

void CViewView::CreateEngine() {
  m_pDatabase = std::make_unique<RollDatabase>(m_location);
  m_pRequest = std::make_unique<SearchRequest>();
  m_pResults = std::make_unique<ResultList>(*m_pDatabase, m_location.familyDirectory.get());
  m_pDatabase->SetResultList(m_pResults.get());
  g_bShuttingDown = false;
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
  auto page = [this](int id, const QString& name, const QRect& rect, const char* up,
                     const char* down, const char* focus, const char* dim) {
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
  m_pNextBtn = page(IDC_NEXT_PAGE, tr("Next page"), Ltrb(561, 165, 581, 185), "IDB_NEXT_UP",
                    "IDB_NEXT_DOWN", "IDB_NEXT_FOCUS", "IDB_NEXT_DIM");
  connect(m_pNextBtn, &QAbstractButton::clicked, this, &CViewView::OnNextPage);
  m_pHelpBtn = push("Help", IDC_HELP_BUTTON, Ltrb(365, 425, 461, 445));
  connect(m_pHelpBtn, &QPushButton::clicked, this, &CViewView::OnHelp);
  m_pQuitBtn = push("&Quit", IDC_QUIT, Ltrb(466, 425, 562, 445));
  connect(m_pQuitBtn, &QPushButton::clicked, this, &CViewView::OnQuit);
}

void CViewView::OnDestroy() {
  if (m_bDestroyed) return;
  m_bDestroyed = true;
  // The help goes with the program.
  if (m_pHelpWindow) {
    m_pHelpWindow->close();
    delete m_pHelpWindow.data();
  }
  DeleteControl(m_pEdit[0]);
  DeleteControl(m_pEdit[1]);
  DeleteButtons();
  DeleteEngine();
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

void CViewView::DeleteEngine() {
  g_bShuttingDown = true;
  if (m_pDatabase) m_pDatabase->Close();
  m_pDatabase.reset();
  m_pRequest.reset();
  m_pResults.reset();
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

QString CViewView::CountLine() const {
  return QString::fromLatin1(CountLineText(m_pResults ? m_pResults->ResultCount() : 0));
}

int CViewView::ShownRowCount() const {
  return m_pResults ? std::clamp(m_pResults->RowCount(), 0, kRowTextCount) : 0;
}

QString CViewView::FieldText(int row, int column) const {
  if (row < 0 || row >= ShownRowCount() || column < 0 || column >= kRowFieldCount) return {};
  return FromWindows1252(SplitRowText(m_szRowText[row], kRowTextSize).field[column]);
}

void CViewView::SelectRow(int row) {
  const int old = m_nSelRow;
  QRegion changed;
  if (m_nSelRow >= 0) changed += RowRect(m_nSelRow);
  if (row >= 0 && row < ShownRowCount()) {
    m_nSelRow = row;
    changed += RowRect(row);
    if (m_pMoreInfoBtn) m_pMoreInfoBtn->setEnabled(true);
  } else {
    m_nSelRow = -1;
    if (m_pMoreInfoBtn) m_pMoreInfoBtn->setEnabled(false);
  }
  // The paint restores the old row from the backdrop and inverts the new one.
  if (m_pDocument && m_pDocument->backdrop) RepaintInPlace(changed);
  if (m_nSelRow != old) {
    NotifySelectionChanged(this, old, m_nSelRow);
    emit resultChanged();
  }
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
  if (m_pDocument && m_pDocument->backdrop && m_pResults) {
    // At a device-pixel ratio above 1 (a zoom step, a high-density screen) the picture is the
    // rendering made for that ratio, drawn pixel for pixel; a picture without one is scaled pixel
    // for pixel, without smoothing. Either way its captions, rules and field boxes keep sharp
    // edges at exactly their places. The rows, the count line and the inversion are drawn at the
    // screen's own resolution.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawPixmap(QPointF(0, 0), ArtworkFor("IDB_BACKDROP", *m_pDocument->backdrop, devicePixelRatioF()));
    DrawRows(painter, m_pResults->RowCount(), m_pResults->ResultCount());
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

void CViewView::ApplyResultState(int rowCount) {
  m_pResults->SetRowsPerPage(TextHeight() >= kLargeFontHeight);
  const bool next = m_pResults->HasNextPage() != 0;
  const bool previous = m_pResults->HasPreviousPage() != 0;
  if (m_pNextBtn) {
    m_pNextBtn->setEnabled(next);
    m_pNextBtn->setToolTip(next ? tr("Next page (%1 of %2)").arg(m_nPage + 2).arg(PageCount()) : tr("Next page"));
  }
  if (m_pPrevBtn) {
    m_pPrevBtn->setEnabled(previous);
    m_pPrevBtn->setToolTip(previous ? tr("Previous page (%1 of %2)").arg(m_nPage).arg(PageCount())
                                    : tr("Previous page"));
  }
  if (m_pMoreInfoBtn) m_pMoreInfoBtn->setEnabled(m_nSelRow >= 0 && m_nSelRow < rowCount);
}

int CViewView::PageCount() const {
  if (!m_pResults || m_pResults->ResultCount() <= 0) return 0;
  const int perPage = m_pResults->RowsPerPage();
  return static_cast<int>((static_cast<std::int64_t>(m_pResults->ResultCount()) + perPage - 1) / perPage);
}

void CViewView::DrawRows(QPainter& painter, int rowCount, int total) {
  const int h = TextHeight();
  ApplyResultState(rowCount);
  painter.setFont(font());
  painter.setPen(QColor(kRowTextColorName));
  painter.setBackgroundMode(Qt::TransparentMode);
  DrawCountLine(painter, total);

  const int rows = std::min(rowCount, kRowTextCount);
  int y = kRowTop;
  for (int i = 0; i < rows; ++i) {
    const RowFields fields = SplitRowText(m_szRowText[i], kRowTextSize);
    for (int column = 0; column < kRowFieldCount; ++column) {
      const QRect cell(kColumns[column].left, y, kColumns[column].right - kColumns[column].left, h);
      painter.drawText(cell, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                       FromWindows1252(fields.field[column]));
    }
    y += h;
  }
  if (m_nSelRow >= 0 && m_nSelRow < rows) InvertRow(painter, m_nSelRow);
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
  if (!m_pDocument || !m_pDocument->backdrop || !m_pResults) return;
  ApplyResultState(m_pResults->RowCount());
  // Rows are as tall as the font; a page may reach below the list rectangle, and that strip is
  // restored with it so that no row of an earlier page is left behind.
  QRegion region(rcResultList);
  region += rcCountLine;
  region += QRect(rcResultList.left(), kRowTop, rcResultList.width(),
                  m_pResults->RowsPerPage() * TextHeight());
  RepaintInPlace(region);
}

void CViewView::ShowPage() {
  const int rows = std::min(m_pResults->RowCount(), kRowTextCount);
  for (int i = 0; i < rows; ++i) m_pResults->FormatRow(i, m_szRowText[i]);
  RepaintResults();
  NotifyResultsChanged(this);
  emit resultChanged();
}

HelpWindow* CViewView::Help() const { return m_pHelpWindow.data(); }
