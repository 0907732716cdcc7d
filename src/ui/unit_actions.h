// The ways to a unit's window and its roster: the Find menu's Unit... item (a unit text typed),
// More Info's Unit... button and the row's context menu (the row's own unit, side and company).
// The window's buttons put the roster on the main screen once the window (and More Info, when it
// was opened from there) has closed, with the search's progress and cancel.
#pragma once

#include <QObject>
#include <string>

#include "store/unit_roster.h"

class CViewView;
struct SoldierEntry;
class QAction;
class QWidget;

class UnitActions : public QObject {
  Q_OBJECT

 public:
  UnitActions(CViewView* view, QWidget* window);

  // Find > Unit...: asks for a unit text and a side, then opens the window.
  QAction* FindAction() const { return m_find; }
  // Opens the window for row `row` of the page (its unit, side and company); false when there is
  // no such row.
  bool OpenForRow(int row, QWidget* over = nullptr);
  // Opens the window for a record's unit, side and company (More Info's Unit..., the research
  // window's too), over `over`; `closing` as for Open.
  void OpenForEntry(const SoldierEntry& entry, QWidget* over, QWidget* closing = nullptr);
  // Opens the window for a unit text (Windows-1252), side and company; `closing`, when given, is
  // closed before a roster is shown.
  void Open(const std::string& unit, char side, const std::string& company, QWidget* over,
            QWidget* closing = nullptr);

 private:
  void ShowRoster(const RosterRequest& roster);

  CViewView* m_view;
  QWidget* m_window;
  QAction* m_find;
};
