// The items of the Find menu and the line that tells how a result was found.
//
// The five ways of matching a surname are radio items, exact spelling checked at start (the
// search of the plain screen); Filters... opens the Filters dialog and is checked while a filter
// is in force; Clear Filters ends it. The items set the view's find options; the status text says
// which mode and filters the result on screen was found with, or, once they were changed, which
// the next search will use.
#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include "results/find_result.h"

class CHistView;
class QAction;
class QWidget;

// "Sounds like (Soundex)", with " · " and the filters when there are any:
// "Sounds like (Soundex) · Confederate, state ME".
QString FindStatusText(MatchMode mode, const EntryFilter& filter);

class FindMenu : public QObject {
  Q_OBJECT

 public:
  // Items acting on `view`, owned by `window` (the frame), over which the dialog opens.
  FindMenu(CHistView* view, QWidget* window);

  // The items in menu order: the five modes, a separator, Filters..., Clear Filters.
  const QList<QAction*>& Actions() const { return actions_; }
  QAction* ModeAction(MatchMode mode) const { return modes_[static_cast<int>(mode)]; }
  QAction* FiltersAction() const { return filters_; }
  QAction* ClearFiltersAction() const { return clearFilters_; }

  QString StatusText() const { return status_; }

  // The Filters... item: the dialog over the window; OK puts its filter in force.
  void EditFilters();
  void SetMode(MatchMode mode);
  void SetFilter(const EntryFilter& filter);

 signals:
  void statusChanged(const QString& text);

 private:
  void ShowStatus(const QString& text);
  // How the result now on screen was found (a typed * or ? switches wildcards on).
  void ShowSearchDone();

  CHistView* view_;
  QWidget* window_;
  QList<QAction*> actions_;
  QAction* modes_[5] = {};
  QAction* filters_ = nullptr;
  QAction* clearFilters_ = nullptr;
  QString status_;
};
