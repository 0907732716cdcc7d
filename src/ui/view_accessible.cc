#include "ui/view_accessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QPointer>
#include <QWindow>
#include <map>
#include <utility>

#include "ui/row_fields.h"
#include "ui/view_view.h"

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

QRect ToScreen(const QWidget* widget, const QRect& rect) {
  return QRect(widget->mapToGlobal(rect.topLeft()), rect.size());
}

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

// What the painted children share: a view that may go away before its interfaces do.
class PaintedPart : public QAccessibleInterface {
 public:
  explicit PaintedPart(CViewView* view) : view_(view) {}

  bool isValid() const override { return !view_.isNull(); }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return view_ ? view_->window()->windowHandle() : nullptr; }
  void setText(QAccessible::Text, const QString&) override {}

 protected:
  QAccessible::State BaseState() const {
    QAccessible::State state;
    state.readOnly = true;
    if (!view_ || !view_->isVisible()) state.invisible = true;
    return state;
  }

  QPointer<CViewView> view_;
};

class CountLineAccessible : public PaintedPart {
 public:
  using PaintedPart::PaintedPart;

  QAccessibleInterface* parent() const override {
    return view_ ? QAccessible::queryAccessibleInterface(view_.data()) : nullptr;
  }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }

  QString text(QAccessible::Text t) const override {
    if (!view_ || t != QAccessible::Name) return {};
    return view_->CountLine();
  }
  QRect rect() const override { return view_ ? ToScreen(view_, rcCountLine) : QRect(); }
  QAccessible::Role role() const override { return QAccessible::StaticText; }
  QAccessible::State state() const override { return BaseState(); }
};

class ResultTableAccessible;

// A cell of a row, or with row -1 the heading of a column.
class ResultCellAccessible : public PaintedPart, public QAccessibleTableCellInterface {
 public:
  ResultCellAccessible(CViewView* view, ResultTableAccessible* table, int row, int column)
      : PaintedPart(view), table_(table), row_(row), column_(column) {}

  bool isValid() const override { return view_ && (row_ < 0 || row_ < view_->ShownRowCount()); }
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
    if (!view_ || t != QAccessible::Name) return {};
    return row_ < 0 ? Translated(kColumnHeadings[column_]) : view_->FieldText(row_, column_);
  }
  QRect rect() const override {
    if (!view_) return {};
    return ToScreen(view_, row_ < 0 ? HeadingRect(column_) : view_->CellRect(row_, column_));
  }
  QAccessible::Role role() const override { return row_ < 0 ? QAccessible::ColumnHeader : QAccessible::Cell; }
  QAccessible::State state() const override {
    QAccessible::State state = BaseState();
    if (row_ >= 0) {
      state.selectable = true;
      state.selected = isSelected();
      if (!isValid()) state.invisible = true;
    }
    return state;
  }

  // QAccessibleTableCellInterface
  bool isSelected() const override { return view_ && row_ >= 0 && row_ == view_->SelectedRow(); }
  QList<QAccessibleInterface*> columnHeaderCells() const override;
  QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
  int columnIndex() const override { return column_; }
  int rowIndex() const override { return row_; }
  int columnExtent() const override { return 1; }
  int rowExtent() const override { return 1; }
  QAccessibleInterface* table() const override;

  ResultTableAccessible* Table() const { return table_; }

 private:
  ResultTableAccessible* table_;
  int row_;
  int column_;
};

// The rows of the current page. Its children are the three column headings, then the cells
// row by row.
class ResultTableAccessible : public PaintedPart, public QAccessibleTableInterface {
 public:
  ResultTableAccessible(CViewView* view, QAccessibleInterface* countLine)
      : PaintedPart(view), countLine_(countLine) {}
  ~ResultTableAccessible() override { DropCells(/*keepHeadings=*/false); }

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
    return nullptr;
  }

  QAccessibleInterface* parent() const override {
    return view_ ? QAccessible::queryAccessibleInterface(view_.data()) : nullptr;
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
    if (!view_) return nullptr;
    const QPoint point = view_->mapFromGlobal(QPoint(x, y));
    const int column = ColumnAt(point.x());
    if (column < 0) return nullptr;
    if (point.y() >= kHeadingTop && point.y() < kRowTop) return Cell(-1, column);
    if (!rcResultList.contains(point)) return nullptr;
    return cellAt((point.y() - kRowTop) / view_->TextHeight(), column);
  }

  QString text(QAccessible::Text t) const override {
    if (!view_) return {};
    if (t == QAccessible::Name) return Translated(kTableCaption);
    if (t == QAccessible::Description) return view_->CountLine();
    return {};
  }
  QRect rect() const override {
    if (!view_) return {};
    return ToScreen(view_, QRect(QPoint(rcResultList.left(), kHeadingTop), rcResultList.bottomRight()));
  }
  QAccessible::Role role() const override { return QAccessible::Table; }
  QAccessible::State state() const override { return BaseState(); }

  // QAccessibleTableInterface
  QAccessibleInterface* caption() const override { return countLine_; }
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
  int rowCount() const override { return view_ ? view_->ShownRowCount() : 0; }
  QList<int> selectedColumns() const override { return {}; }
  QList<int> selectedRows() const override {
    if (const int row = SelectedRow(); row >= 0) return {row};
    return {};
  }
  bool isColumnSelected(int) const override { return false; }
  bool isRowSelected(int row) const override { return row >= 0 && row == SelectedRow(); }
  // Selecting a row is what a click on it does; the selection is one row or none.
  bool selectRow(int row) override {
    if (!view_ || row < 0 || row >= rowCount()) return false;
    view_->SelectRow(row);
    return true;
  }
  bool unselectRow(int row) override {
    if (!isRowSelected(row)) return false;
    view_->SelectRow(-1);
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
    if (auto found = cells_.find(key); found != cells_.end()) {
      return QAccessible::accessibleInterface(found->second);
    }
    auto* cell =
        new ResultCellAccessible(view_.data(), const_cast<ResultTableAccessible*>(this), row, column);
    cells_[key] = QAccessible::registerAccessibleInterface(cell);
    return cell;
  }

 private:
  int SelectedRow() const {
    if (!view_) return -1;
    const int row = view_->SelectedRow();
    return row >= 0 && row < rowCount() ? row : -1;
  }

  void DropCells(bool keepHeadings) {
    for (auto it = cells_.begin(); it != cells_.end();) {
      if (keepHeadings && it->first.first < 0) {
        ++it;
        continue;
      }
      QAccessible::deleteAccessibleInterface(it->second);
      it = cells_.erase(it);
    }
  }

  QAccessibleInterface* countLine_;
  mutable std::map<std::pair<int, int>, QAccessible::Id> cells_;
};

QAccessibleInterface* ResultCellAccessible::parent() const { return table_; }
QAccessibleInterface* ResultCellAccessible::table() const { return table_; }
QList<QAccessibleInterface*> ResultCellAccessible::columnHeaderCells() const {
  if (row_ < 0) return {};
  return {table_->Cell(-1, column_)};
}

// The view: its widgets (fields and buttons) as the widget interface lists them, then the count
// line and the result table.
class ViewAccessible : public QAccessibleWidget {
 public:
  explicit ViewAccessible(CViewView* view) : QAccessibleWidget(view, QAccessible::Client) {}
  ~ViewAccessible() override {
    // The table first: its caption is the count line.
    if (tableId_) QAccessible::deleteAccessibleInterface(tableId_);
    if (countLineId_) QAccessible::deleteAccessibleInterface(countLineId_);
  }

  int childCount() const override { return QAccessibleWidget::childCount() + 2; }
  QAccessibleInterface* child(int index) const override {
    const int widgets = QAccessibleWidget::childCount();
    if (index == widgets) return CountLine();
    if (index == widgets + 1) return Table();
    return QAccessibleWidget::child(index);
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    const int widgets = QAccessibleWidget::childCount();
    if (child != nullptr && child == countLine_) return widgets;
    if (child != nullptr && child == table_) return widgets + 1;
    return QAccessibleWidget::indexOfChild(child);
  }

  QAccessibleInterface* CountLine() const {
    if (!countLine_) {
      countLine_ = new CountLineAccessible(static_cast<CViewView*>(widget()));
      countLineId_ = QAccessible::registerAccessibleInterface(countLine_);
    }
    return countLine_;
  }
  ResultTableAccessible* Table() const {
    if (!table_) {
      table_ = new ResultTableAccessible(static_cast<CViewView*>(widget()), CountLine());
      tableId_ = QAccessible::registerAccessibleInterface(table_);
    }
    return table_;
  }

 private:
  mutable QAccessibleInterface* countLine_ = nullptr;
  mutable QAccessible::Id countLineId_ = 0;
  mutable ResultTableAccessible* table_ = nullptr;
  mutable QAccessible::Id tableId_ = 0;
};

QAccessibleInterface* ViewFactory(const QString& className, QObject* object) {
  if (className == QLatin1String(CViewView::staticMetaObject.className())) {
    if (auto* view = qobject_cast<CViewView*>(object)) return new ViewAccessible(view);
  }
  return nullptr;
}

ViewAccessible* InterfaceOf(CViewView* view) {
  return dynamic_cast<ViewAccessible*>(QAccessible::queryAccessibleInterface(view));
}

AccessibleEventSink g_sink = &QAccessible::updateAccessibility;

// True when someone will read what is sent.
bool Listening() { return g_sink != &QAccessible::updateAccessibility || QAccessible::isActive(); }

void Send(QAccessibleInterface* iface, QAccessible::Event type) {
  QAccessibleEvent event(iface, type);
  g_sink(&event);
}

}  // namespace

void InstallViewAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(ViewFactory);
    return true;
  }();
  (void)installed;
}

AccessibleEventSink SetAccessibleEventSink(AccessibleEventSink sink) {
  const AccessibleEventSink previous = g_sink;
  g_sink = sink ? sink : &QAccessible::updateAccessibility;
  return previous;
}

void NotifyResultsChanged(CViewView* view) {
  ViewAccessible* iface = Listening() ? InterfaceOf(view) : nullptr;
  if (iface == nullptr) return;
  QAccessibleTableModelChangeEvent reset(iface->Table(), QAccessibleTableModelChangeEvent::ModelReset);
  g_sink(&reset);
  Send(iface->CountLine(), QAccessible::NameChanged);
  Send(iface->Table(), QAccessible::DescriptionChanged);
}

void NotifySelectionChanged(CViewView* view, int oldRow, int newRow) {
  ViewAccessible* iface = Listening() ? InterfaceOf(view) : nullptr;
  if (iface == nullptr) return;
  ResultTableAccessible* table = iface->Table();
  for (int column = 0; column < kRowFieldCount; ++column) {
    if (QAccessibleInterface* cell = table->cellAt(oldRow, column)) Send(cell, QAccessible::SelectionRemove);
  }
  for (int column = 0; column < kRowFieldCount; ++column) {
    if (QAccessibleInterface* cell = table->cellAt(newRow, column)) Send(cell, QAccessible::SelectionAdd);
  }
  Send(table, QAccessible::SelectionWithin);
}
