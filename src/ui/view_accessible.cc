#include "ui/view_accessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLineEdit>
#include <QPointer>
#include <QWindow>

#include "platform/qt/qt_text.h"
#include "ui/result_table_accessible.h"
#include "ui/row_fields.h"
#include "ui/selected_row_text.h"
#include "ui/view_view.h"

namespace {

class CountLineAccessible : public PaintedPart {
 public:
  using PaintedPart::PaintedPart;

  QAccessibleInterface* parent() const override {
    return m_view ? QAccessible::queryAccessibleInterface(m_view.data()) : nullptr;
  }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }

  QString text(QAccessible::Text t) const override {
    if (!m_view || t != QAccessible::Name) return {};
    return m_view->CountLine();
  }
  QRect rect() const override { return m_view ? ToScreen(m_view, rcCountLine) : QRect(); }
  QAccessible::Role role() const override { return QAccessible::StaticText; }
  QAccessible::State state() const override { return BaseState(); }
};

// The view: its widgets (fields and buttons) as the widget interface lists them, then the count
// line and the result table.
class ViewAccessible : public QAccessibleWidget {
 public:
  explicit ViewAccessible(CViewView* view) : QAccessibleWidget(view, QAccessible::Client) {}
  ~ViewAccessible() override {
    // The table first: its caption is the count line.
    if (m_tableId) QAccessible::deleteAccessibleInterface(m_tableId);
    if (m_countLineId) QAccessible::deleteAccessibleInterface(m_countLineId);
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
    if (child != nullptr && child == m_countLine) return widgets;
    if (child != nullptr && child == m_table) return widgets + 1;
    return QAccessibleWidget::indexOfChild(child);
  }

  QAccessibleInterface* CountLine() const {
    if (!m_countLine) {
      m_countLine = new CountLineAccessible(static_cast<CViewView*>(widget()));
      m_countLineId = QAccessible::registerAccessibleInterface(m_countLine);
    }
    return m_countLine;
  }
  QAccessibleInterface* Table() const {
    if (!m_table) {
      m_table = NewResultTable(static_cast<CViewView*>(widget()), CountLine());
      m_tableId = QAccessible::registerAccessibleInterface(m_table);
    }
    return m_table;
  }

 private:
  mutable QAccessibleInterface* m_countLine = nullptr;
  mutable QAccessible::Id m_countLineId = 0;
  mutable QAccessibleInterface* m_table = nullptr;
  mutable QAccessible::Id m_tableId = 0;
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

// The name boxes describe the selected row: the focus stays in them while Up and Down select, so
// a screen reader following the focus hears the row when the description of the box changes.
void DescribeSelectedRow(CViewView* view) {
  const QString text = FromWindows1252(SelectedRowText(view->Screen()));
  for (int i = 0; i < 2; ++i) {
    QLineEdit* field = view->NameField(i);
    if (field == nullptr || field->accessibleDescription() == text) continue;
    field->setAccessibleDescription(text);
    if (Listening()) {
      if (QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(field)) {
        Send(iface, QAccessible::DescriptionChanged);
      }
    }
  }
}

void NotifyResultsChanged(CViewView* view) {
  DescribeSelectedRow(view);
  ViewAccessible* iface = Listening() ? InterfaceOf(view) : nullptr;
  if (iface == nullptr) return;
  QAccessibleTableModelChangeEvent reset(iface->Table(), QAccessibleTableModelChangeEvent::ModelReset);
  g_sink(&reset);
  Send(iface->CountLine(), QAccessible::NameChanged);
  Send(iface->Table(), QAccessible::DescriptionChanged);
}

void NotifySelectionChanged(CViewView* view, int oldRow, int newRow) {
  DescribeSelectedRow(view);
  ViewAccessible* iface = Listening() ? InterfaceOf(view) : nullptr;
  if (iface == nullptr) return;
  QAccessibleTableInterface* table = iface->Table()->tableInterface();
  for (int column = 0; column < kRowFieldCount; ++column) {
    if (QAccessibleInterface* cell = table->cellAt(oldRow, column)) Send(cell, QAccessible::SelectionRemove);
  }
  for (int column = 0; column < kRowFieldCount; ++column) {
    if (QAccessibleInterface* cell = table->cellAt(newRow, column)) Send(cell, QAccessible::SelectionAdd);
  }
  Send(iface->Table(), QAccessible::SelectionWithin);
}

// What the screen tells: another result or page, another selected row.
class AccessibilityListener : public QObject, public ScreenListener {
 public:
  explicit AccessibilityListener(CViewView* view) : QObject(view), m_view(view) {}

  void ResultsChanged() override { NotifyResultsChanged(m_view); }
  void SelectionChanged(int oldRow, int newRow) override {
    if (newRow != oldRow) NotifySelectionChanged(m_view, oldRow, newRow);
  }

 private:
  CViewView* m_view;
};

}  // namespace

void ListenForAccessibility(CViewView* view) {
  static const bool installed = [] {
    QAccessible::installFactory(ViewFactory);
    return true;
  }();
  (void)installed;
  // A child of the view: it goes with the view, after the view has made its screen forget it.
  view->Screen().AddListener(new AccessibilityListener(view));
}

AccessibleEventSink SetAccessibleEventSink(AccessibleEventSink sink) {
  const AccessibleEventSink previous = g_sink;
  g_sink = sink ? sink : &QAccessible::updateAccessibility;
  return previous;
}
