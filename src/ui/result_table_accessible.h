// The result table of the search view as assistive technology reads it: the rows of the current
// page in three columns (surname, given name, information) under their headings, with the
// selected row. The table and its cells read the view's state whenever they are asked.
#pragma once

#include <QAccessible>
#include <QPointer>
#include <QRect>

class CViewView;
class QWidget;

// `rect` of `widget` in screen coordinates.
QRect ToScreen(const QWidget* widget, const QRect& rect);

// What the painted children share: a view that may go away before its interfaces do.
class PaintedPart : public QAccessibleInterface {
 public:
  explicit PaintedPart(CViewView* view);

  bool isValid() const override { return !m_view.isNull(); }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override;
  void setText(QAccessible::Text, const QString&) override {}

 protected:
  QAccessible::State BaseState() const;

  QPointer<CViewView> m_view;
};

// The table of `view`'s rows, captioned by `countLine`; the caller registers it.
QAccessibleInterface* NewResultTable(CViewView* view, QAccessibleInterface* countLine);
