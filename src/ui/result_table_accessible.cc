#include "ui/result_table_accessible.h"

#include <QCoreApplication>
#include <QWindow>
#include <map>
#include <utility>

#include "ui/row_fields.h"
#include "ui/view_view.h"

QRect ToScreen(const QWidget* widget, const QRect& rect) {
  return QRect(widget->mapToGlobal(rect.topLeft()), rect.size());
}

PaintedPart::PaintedPart(CViewView* view) : m_view(view) {}

QWindow* PaintedPart::window() const { return m_view ? m_view->window()->windowHandle() : nullptr; }

QAccessible::State PaintedPart::BaseState() const {
  QAccessible::State state;
  state.readOnly = true;
  if (!m_view || !m_view->isVisible()) state.invisible = true;
  return state;
}

namespace {

// The column headings painted on the backdrop, in the band above the first row.
constexpr const char* kColumnHeadings[kRowFieldCount] = {
    QT_TRANSLATE_NOOP("ResultTable", "Surname"),
    QT_TRANSLATE_NOOP("ResultTable", "Given Name"),
    QT_TRANSLATE_NOOP("ResultTable", "Information"),
};
constexpr int kHeadingTop = 211;
// The caption painted in front of the count line.
constexpr const char* kTableCaption = QT_TRANSLATE_NOOP("ResultTable", "Search Results");

QString Translated(const char* text) { return QCoreApplication::translate("ResultTable", text); }

QRect HeadingRect(int column) {
  return QRect(kColumns[column].left, kHeadingTop, kColumns[column].right - kColumns[column].left,
               kRowTop - kHeadingTop);
}

// The column whose cell holds view x `x`, or -1 in a gap or outside the table.
int ColumnAt(int x) {
  for (int column = 0; column < kRowFieldCount; ++column) {
    if (x >= kColumns[column].left && x < kColumns[column].right) return column;
  }
  return -1;
}

class ResultTableAccessible;

// A cell of a row, or with row -1 the heading of a column.
class ResultCellAccessible : public PaintedPart, public QAccessibleTableCellInterface {
 public:
  ResultCellAccessible(CViewView* view, ResultTableAccessible* table, int row, int column)
      : PaintedPart(view), m_table(table), m_row(row), m_column(column) {}

  bool isValid() const override { return m_view && (m_row < 0 || m_row < m_view->ShownRowCount()); }
  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TableCellInterface) return static_cast<QAccessibleTableCellInterface*>(this);
    return nullptr;
  }

  QAccessibleInterface* parent() const override;
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }

  QString text(QAccessible::Text t) const override {
    if (!m_view || t != QAccessible::Name) return {};
    return m_row < 0 ? Translated(kColumnHeadings[m_column]) : m_view->FieldText(m_row, m_column);
  }
  QRect rect() const override {
    if (!m_view) return {};
    return ToScreen(m_view, m_row < 0 ? HeadingRect(m_column) : m_view->CellRect(m_row, m_column));
  }
  QAccessible::Role role() const override {
    return m_row < 0 ? QAccessible::ColumnHeader : QAccessible::Cell;
  }
  QAccessible::State state() const override {
    QAccessible::State state = BaseState();
    if (m_row >= 0) {
      state.selectable = true;
      state.selected = isSelected();
      if (!isValid()) state.invisible = true;
    }
    return state;
  }

  // QAccessibleTableCellInterface
  bool isSelected() const override { return m_view && m_row >= 0 && m_row == m_view->SelectedRow(); }
  QList<QAccessibleInterface*> columnHeaderCells() const override;
  QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
  int columnIndex() const override { return m_column; }
  int rowIndex() const override { return m_row; }
  int columnExtent() const override { return 1; }
  int rowExtent() const override { return 1; }
  QAccessibleInterface* table() const override;

  ResultTableAccessible* Table() const { return m_table; }

 private:
  ResultTableAccessible* m_table;
  int m_row;
  int m_column;
};

// The rows of the current page. Its children are the three column headings, then the cells
// row by row.
class ResultTableAccessible : public PaintedPart, public QAccessibleTableInterface {
 public:
  ResultTableAccessible(CViewView* view, QAccessibleInterface* countLine)
      : PaintedPart(view), m_countLine(countLine) {}
  ~ResultTableAccessible() override { DropCells(/*keepHeadings=*/false); }

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
    return nullptr;
  }

  QAccessibleInterface* parent() const override {
    return m_view ? QAccessible::queryAccessibleInterface(m_view.data()) : nullptr;
  }
  int childCount() const override { return kRowFieldCount * (1 + rowCount()); }
  QAccessibleInterface* child(int index) const override {
    if (index < 0 || index >= childCount()) return nullptr;
    return Cell(index / kRowFieldCount - 1, index % kRowFieldCount);
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    const auto* cell = dynamic_cast<const ResultCellAccessible*>(child);
    if (cell == nullptr || cell->Table() != this || !cell->isValid()) return -1;
    return (cell->rowIndex() + 1) * kRowFieldCount + cell->columnIndex();
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    if (!m_view) return nullptr;
    const QPoint point = m_view->mapFromGlobal(QPoint(x, y));
    const int column = ColumnAt(point.x());
    if (column < 0) return nullptr;
    if (point.y() >= kHeadingTop && point.y() < kRowTop) return Cell(-1, column);
    if (!rcResultList.contains(point)) return nullptr;
    return cellAt((point.y() - kRowTop) / m_view->TextHeight(), column);
  }

  QString text(QAccessible::Text t) const override {
    if (!m_view) return {};
    if (t == QAccessible::Name) return Translated(kTableCaption);
    if (t == QAccessible::Description) return m_view->CountLine();
    return {};
  }
  QRect rect() const override {
    if (!m_view) return {};
    return ToScreen(m_view, QRect(QPoint(rcResultList.left(), kHeadingTop), rcResultList.bottomRight()));
  }
  QAccessible::Role role() const override { return QAccessible::Table; }
  QAccessible::State state() const override { return BaseState(); }

  // QAccessibleTableInterface
  QAccessibleInterface* caption() const override { return m_countLine; }
  QAccessibleInterface* summary() const override { return nullptr; }
  QAccessibleInterface* cellAt(int row, int column) const override {
    if (row < 0 || row >= rowCount() || column < 0 || column >= kRowFieldCount) return nullptr;
    return Cell(row, column);
  }
  int selectedCellCount() const override { return SelectedRow() < 0 ? 0 : kRowFieldCount; }
  QList<QAccessibleInterface*> selectedCells() const override {
    QList<QAccessibleInterface*> cells;
    if (const int row = SelectedRow(); row >= 0) {
      for (int column = 0; column < kRowFieldCount; ++column) cells.append(Cell(row, column));
    }
    return cells;
  }
  QString columnDescription(int column) const override {
    if (column < 0 || column >= kRowFieldCount) return {};
    return Translated(kColumnHeadings[column]);
  }
  QString rowDescription(int) const override { return {}; }
  int selectedColumnCount() const override { return 0; }
  int selectedRowCount() const override { return SelectedRow() < 0 ? 0 : 1; }
  int columnCount() const override { return kRowFieldCount; }
  int rowCount() const override { return m_view ? m_view->ShownRowCount() : 0; }
  QList<int> selectedColumns() const override { return {}; }
  QList<int> selectedRows() const override {
    if (const int row = SelectedRow(); row >= 0) return {row};
    return {};
  }
  bool isColumnSelected(int) const override { return false; }
  bool isRowSelected(int row) const override { return row >= 0 && row == SelectedRow(); }
  // Selecting a row is what a click on it does; the selection is one row or none.
  bool selectRow(int row) override {
    if (!m_view || row < 0 || row >= rowCount()) return false;
    m_view->SelectRow(row);
    return true;
  }
  bool unselectRow(int row) override {
    if (!isRowSelected(row)) return false;
    m_view->SelectRow(-1);
    return true;
  }
  bool selectColumn(int) override { return false; }
  bool unselectColumn(int) override { return false; }
  void modelChange(QAccessibleTableModelChangeEvent* event) override {
    // Another page: the cells of the old rows go, so that no reader holds on to their texts.
    if (event->modelChangeType() == QAccessibleTableModelChangeEvent::ModelReset) DropCells(true);
  }

  // The interface of a cell (row -1: a heading), made on first use and kept until the rows change.
  QAccessibleInterface* Cell(int row, int column) const {
    const auto key = std::make_pair(row, column);
    if (auto found = m_cells.find(key); found != m_cells.end()) {
      return QAccessible::accessibleInterface(found->second);
    }
    auto* cell =
        new ResultCellAccessible(m_view.data(), const_cast<ResultTableAccessible*>(this), row, column);
    m_cells[key] = QAccessible::registerAccessibleInterface(cell);
    return cell;
  }

 private:
  int SelectedRow() const {
    if (!m_view) return -1;
    const int row = m_view->SelectedRow();
    return row >= 0 && row < rowCount() ? row : -1;
  }

  void DropCells(bool keepHeadings) {
    for (auto it = m_cells.begin(); it != m_cells.end();) {
      if (keepHeadings && it->first.first < 0) {
        ++it;
        continue;
      }
      QAccessible::deleteAccessibleInterface(it->second);
      it = m_cells.erase(it);
    }
  }

  QAccessibleInterface* m_countLine;
  mutable std::map<std::pair<int, int>, QAccessible::Id> m_cells;
};

QAccessibleInterface* ResultCellAccessible::parent() const { return m_table; }
QAccessibleInterface* ResultCellAccessible::table() const { return m_table; }
QList<QAccessibleInterface*> ResultCellAccessible::columnHeaderCells() const {
  if (m_row < 0) return {};
  return {m_table->Cell(-1, m_column)};
}

}  // namespace

QAccessibleInterface* NewResultTable(CViewView* view, QAccessibleInterface* countLine) {
  return new ResultTableAccessible(view, countLine);
}
