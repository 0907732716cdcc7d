#include "ui/print_results.h"

#if DRAVENHOLT_CAN_PRINT

#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QLocale>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryFile>
#include <algorithm>
#include <cmath>

#include "platform/message_box.h"
#include "platform/qt/qt_text.h"
#include "platform/scratch_file.h"
#include "records/citation.h"
#include "records/unit_names.h"
#include "ui/save_file.h"

namespace {

constexpr qreal kBodyPoints = 9;
constexpr qreal kTitlePoints = 11;

struct Column {
  qreal share;  // of the page's width; 0 for every column: sized to the contents
  QString title;
  bool wraps = true;  // sized to the contents, a column that does not wrap is as wide as its widest cell
};

struct Row {
  QStringList cells;
  bool bold = false;
  qreal height = 0;
};

// Takes a row's cells; false stops the run.
using RowSink = std::function<bool(const QStringList& cells, bool bold)>;
// Gives every row to the sink in order; false when it stopped before the end.
using RowSource = std::function<bool(const RowSink& sink)>;

QFont PrintFont(qreal points, bool bold) {
  QFont font = QGuiApplication::font();
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

// Rows of wrapped cells flowed over the printer's pages under a heading repeated on every page,
// with the columns' titles (when they have any) and "Page n of m" at the foot.
//
// The rows come from a source that can be run more than once and are never all held: one run
// sizes the columns (when they are sized to the contents), one counts the pages for the foot, and
// one paints them, so that a print holds one row at a time, page by page, however long the list.
class PageFlow {
 public:
  PageFlow(QPrinter* printer, const PrintHeading& heading, std::vector<Column> columns)
      : m_printer(printer),
        m_heading(heading),
        m_columns(std::move(columns)),
        m_page(printer->pageLayout().paintRectPixels(printer->resolution())),
        m_body(PrintFont(kBodyPoints, false)),
        m_bold(PrintFont(kBodyPoints, true)),
        m_title(PrintFont(kTitlePoints, true)),
        m_gap(QFontMetricsF(m_body, printer).averageCharWidth()) {
    QStringList titles;
    for (const Column& column : m_columns) titles << column.title;
    if (!titles.join(QString()).isEmpty()) m_titles = {titles, true};
  }

  // Paints the rows `source` gives; false when a run of it stopped before its end (nothing more
  // is painted then).
  bool Paint(const RowSource& source) {
    if (!m_columns.empty() && m_columns[0].share <= 0 && !FitToContents(source)) return false;
    if (!m_titles.cells.isEmpty()) m_titles = Measured(m_titles);
    m_top = HeadingHeight() + (m_titles.cells.isEmpty() ? 0 : m_titles.height + m_gap);
    m_bottom = m_page.height() - 2 * LineHeight(m_body);

    // The pages the rows take; a row taller than a page stands alone on its own.
    long pages = 1;
    qreal y = m_top;
    const bool counted = source([&](const QStringList& cells, bool bold) {
      const qreal height = Measured({cells, bold}).height;
      if (y + height > m_bottom && y > m_top) {
        ++pages;
        y = m_top;
      }
      y += height;
      return true;
    });
    if (!counted) return false;

    QPainter painter(m_printer);
    long page = 1;
    y = StartPage(painter);
    const bool painted = source([&](const QStringList& cells, bool bold) {
      const Row row = Measured({cells, bold});
      if (y + row.height > m_bottom && y > m_top) {
        PaintFoot(painter, page, pages);
        if (page == pages || !m_printer->newPage()) return false;
        ++page;
        y = StartPage(painter);
      }
      PaintRow(painter, row, y);
      y += row.height;
      return true;
    });
    if (!painted) return false;
    PaintFoot(painter, page, pages);
    return true;
  }

 private:
  // The heading and the columns' titles; where the first row goes.
  qreal StartPage(QPainter& painter) const {
    PaintHeading(painter);
    qreal y = HeadingHeight();
    if (!m_titles.cells.isEmpty()) {
      PaintRow(painter, m_titles, y);
      y += m_titles.height;
      painter.drawLine(QPointF(0, y + m_gap / 2), QPointF(m_page.width(), y + m_gap / 2));
      y += m_gap;
    }
    return y;
  }

  void PaintFoot(QPainter& painter, long page, long pages) const {
    painter.setFont(m_body);
    painter.drawText(QRectF(0, m_bottom + LineHeight(m_body), m_page.width(), LineHeight(m_body)),
                     Qt::AlignHCenter, QObject::tr("Page %1 of %2").arg(page).arg(pages));
  }

  bool FitToContents(const RowSource& source) {
    std::vector<qreal> natural(m_columns.size(), 0);
    auto widen = [&](const QStringList& cells, bool bold) {
      const QFontMetricsF metrics(bold ? m_bold : m_body, m_printer);
      for (std::size_t c = 0; c < natural.size() && c < static_cast<std::size_t>(cells.size()); ++c) {
        // A pixel to spare: a cell exactly as wide as its text may wrap by rounding.
        for (const QString& line : cells[c].split(QLatin1Char('\n')))
          natural[c] = std::max(natural[c], std::ceil(metrics.horizontalAdvance(line)) + 1);
      }
      return true;
    };
    widen(m_titles.cells, m_titles.bold);
    if (!source(widen)) return false;
    std::vector<bool> wraps;
    for (const Column& column : m_columns) wraps.push_back(column.wraps);
    const std::vector<qreal> widths = FitColumnWidths(natural, wraps, m_page.width(), m_gap);
    for (std::size_t c = 0; c < m_columns.size(); ++c) {
      m_columns[c].share = (widths[c] + (c + 1 < m_columns.size() ? m_gap : 0)) / m_page.width();
    }
    return true;
  }

  qreal LineHeight(const QFont& font) const { return QFontMetricsF(font, m_printer).lineSpacing(); }
  qreal HeadingHeight() const { return LineHeight(m_title) + 2 * LineHeight(m_body); }

  QRectF Cell(std::size_t column, qreal y, qreal height) const {
    qreal x = 0;
    for (std::size_t c = 0; c < column; ++c) x += m_columns[c].share * m_page.width();
    const qreal width =
        m_columns[column].share * m_page.width() - (column + 1 < m_columns.size() ? m_gap : 0);
    return QRectF(x, y, width, height);
  }

  Row Measured(Row row) const {
    const QFontMetricsF metrics(row.bold ? m_bold : m_body, m_printer);
    row.height = metrics.lineSpacing();
    for (std::size_t c = 0; c < m_columns.size() && c < static_cast<std::size_t>(row.cells.size()); ++c) {
      const QRectF cell = Cell(c, 0, 1e9);
      row.height = std::max(row.height, metrics.boundingRect(cell, Qt::TextWordWrap, row.cells[c]).height());
    }
    return row;
  }

  void PaintRow(QPainter& painter, const Row& row, qreal y) const {
    painter.setFont(row.bold ? m_bold : m_body);
    for (std::size_t c = 0; c < m_columns.size() && c < static_cast<std::size_t>(row.cells.size()); ++c) {
      painter.drawText(Cell(c, y, row.height), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, row.cells[c]);
    }
  }

  void PaintHeading(QPainter& painter) const {
    const qreal titleHeight = LineHeight(m_title);
    painter.setFont(m_body);
    painter.drawText(QRectF(0, 0, m_page.width(), titleHeight), Qt::AlignRight | Qt::AlignBottom,
                     PrintedDate(m_heading.date));
    painter.setFont(m_title);
    const qreal dateWidth = QFontMetricsF(m_body, m_printer).horizontalAdvance(PrintedDate(m_heading.date));
    painter.drawText(
        QRectF(0, 0, m_page.width() - dateWidth - 2 * m_gap, titleHeight), Qt::AlignLeft | Qt::AlignBottom,
        QFontMetricsF(m_title, m_printer)
            .elidedText(m_heading.title, Qt::ElideRight, m_page.width() - dateWidth - 2 * m_gap));
    painter.setFont(m_body);
    painter.drawText(QRectF(0, titleHeight, m_page.width(), LineHeight(m_body)), Qt::AlignLeft | Qt::AlignTop,
                     m_heading.detail);
  }

  QPrinter* m_printer;
  const PrintHeading& m_heading;
  std::vector<Column> m_columns;
  QRectF m_page;
  QFont m_body;
  QFont m_bold;
  QFont m_title;
  qreal m_gap;
  Row m_titles;
  qreal m_top = 0;
  qreal m_bottom = 0;
};

QString Text(const std::string& utf8) { return QString::fromStdString(utf8); }

// "KELLY, Patrick G"
QString ListedName(const SoldierEntry& entry) {
  const std::string given = GivenNames(entry);
  if (given.empty()) return Text(entry.surname);
  return Text(entry.surname + ", " + given);
}

}  // namespace

std::vector<qreal> FitColumnWidths(const std::vector<qreal>& natural, const std::vector<bool>& wraps,
                                   qreal total, qreal gap) {
  const std::size_t count = natural.size();
  std::vector<qreal> widths(count, 0);
  if (count == 0) return widths;
  qreal room = std::max<qreal>(0, total - gap * static_cast<qreal>(count - 1));
  qreal needed = 0;
  for (const qreal n : natural) needed += n;
  if (needed <= room) {
    // Everything fits unwrapped: the room to spare is shared in proportion.
    for (std::size_t c = 0; c < count; ++c) {
      widths[c] = needed > 0 ? natural[c] * room / needed : room / static_cast<qreal>(count);
    }
    return widths;
  }
  // The columns that do not wrap get what they need, within a third of the row each; those that
  // wrap share the rest in proportion to what they need.
  qreal wide = 0;
  for (std::size_t c = 0; c < count; ++c) {
    if (c < wraps.size() && wraps[c]) {
      wide += natural[c];
    } else {
      widths[c] = std::min(natural[c], room / 3);
    }
  }
  for (std::size_t c = 0; c < count; ++c) room -= widths[c];
  for (std::size_t c = 0; c < count; ++c) {
    if (c < wraps.size() && wraps[c]) widths[c] = wide > 0 ? natural[c] * std::max<qreal>(0, room) / wide : 0;
  }
  return widths;
}

QString PrintedDate(const QDate& date) { return QLocale().toString(date, QLocale::LongFormat); }

bool PrintResultList(QPrinter* printer, const PrintHeading& heading, const EntryWalk& walk) {
  PageFlow flow(printer, heading,
                {{0, QObject::tr("Name")},
                 {0, QObject::tr("Unit")},
                 {0, QObject::tr("Co."), false},
                 {0, QObject::tr("Rank in"), false},
                 {0, QObject::tr("Rank out"), false},
                 {0, QObject::tr("Microfilm"), false}});
  return flow.Paint([&walk](const RowSink& sink) {
    bool any = false;
    const bool whole = walk([&](const SoldierEntry& entry) {
      any = true;
      return sink(
          {ListedName(entry), Text(UnitInPlainWords(entry.Field(kUnitField), entry.Field(kSideField))),
           Text(entry.Field(kCompanyField)), Text(entry.Field(kRankInField)),
           Text(entry.Field(kRankOutField)), Text(MicrofilmReference(entry))},
          false);
    });
    if (whole && !any) return sink({QObject::tr("No entries.")}, false);
    return whole;
  });
}

void PrintRecord(QPrinter* printer, const PrintHeading& heading, const QString& body,
                 const SoldierEntry& entry) {
  std::vector<Row> rows;
  for (const QString& line : body.split(QLatin1Char('\n'))) rows.push_back({{line}});
  const std::string unit = UnitInPlainWords(entry.Field(kUnitField), entry.Field(kSideField));
  if (!unit.empty()) {
    rows.push_back({{QString()}});
    rows.push_back({{QObject::tr("Unit in plain words: %1").arg(Text(unit))}});
  }
  rows.push_back({{QString()}});
  rows.push_back({{QObject::tr("Citation")}, true});
  rows.push_back({{Text(PlainCitation(entry))}});
  rows.push_back({{QString()}});
  rows.push_back({{QObject::tr("Evidence-style citation")}, true});
  rows.push_back({{Text(EvidenceCitation(entry))}});
  PageFlow flow(printer, heading, {{1.0, QString()}});
  flow.Paint([&rows](const RowSink& sink) {
    for (const Row& row : rows) {
      if (!sink(row.cells, row.bold)) return false;
    }
    return true;
  });
}

bool PrintThroughSave(QPrinter* printer, const InputFiles& inputs,
                      const std::function<bool(QPrinter*)>& paint) {
  const QString target = printer->outputFileName();
  if (target.isEmpty()) {
    if (paint(printer)) return true;
    printer->abort();  // a print stopped part way is not sent
    return false;
  }
  // The print dialog asks about a file that is there; a name it cannot see through (a link that
  // leads nowhere, or that this user may not follow) is asked about here.
  if (!QFileInfo::exists(target) && !ConfirmReplace(target)) return false;
  // Qt's printer opens its file by name by itself, following any link: it is given a new file of
  // this user's in a private place, whose bytes then go where the user asked, by the rules every
  // save follows.
  QTemporaryFile pages(QString::fromStdString(AnonymousFileDirectory()) +
                       QStringLiteral("dravenholt-print-XXXXXX.pdf"));
  if (!pages.open()) {
    ShowMessageBox(ToWindows1252(SaveFailedText(target, pages.errorString())).c_str(),
                   kMbOk | kMbIconExclamation);
    return false;
  }
  pages.close();
  printer->setOutputFileName(pages.fileName());
  const bool painted = paint(printer);
  if (!painted) printer->abort();
  printer->setOutputFileName(target);
  if (!painted) return false;

  // The pages are copied a piece at a time: a print of many pages is never held whole.
  QFile printed(pages.fileName());
  SaveTarget file(target, inputs);
  if (!printed.open(QIODevice::ReadOnly)) {
    ShowMessageBox(ToWindows1252(SaveFailedText(target, printed.errorString())).c_str(),
                   kMbOk | kMbIconExclamation);
    return false;
  }
  if (!file.Open()) return false;
  constexpr qint64 kPiece = 1 << 16;
  QByteArray piece(kPiece, Qt::Uninitialized);
  for (;;) {
    const qint64 got = printed.read(piece.data(), kPiece);
    if (got < 0) {
      ShowMessageBox(ToWindows1252(SaveFailedText(target, printed.errorString())).c_str(),
                     kMbOk | kMbIconExclamation);
      return false;
    }
    if (got == 0) break;
    if (!file.Write(std::string_view(piece.constData(), static_cast<std::size_t>(got)))) break;
  }
  return file.Commit();
}

#endif
