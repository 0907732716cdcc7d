// The items of the Find menu and the line that tells how a result was found.
//
// The five ways of matching a surname are radio items, exact spelling checked at start (the
// search of the plain screen); Filters... opens the Filters dialog and is checked while a filter
// is in force; Clear Filters ends it; Match Given-Name Abbreviations and Nicknames (off at start)
// lets a given name find its clerks' forms too (WM, BILL for WILLIAM). The items set the view's
// find options and run the search on screen again with them; the status text says which mode and
// filters the result on screen was found with (and that its index was found damaged, when it
// was), or, with no result on screen, which the next search will use.
#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include "store/search_answer.h"

class CHistView;
class QAction;
class QWidget;

// "Sounds like (Soundex)", with " · " and the filters when there are any:
// "Sounds like (Soundex) · Confederate, state ME"; then " · given-name abbreviations and
// nicknames" when they are asked for.
QString FindStatusText(MatchMode mode, const EntryFilter& filter, bool givenVariants = false);

class FindMenu : public QObject {
  Q_OBJECT

 public:
  // Items acting on `view`, owned by `window` (the frame), over which the dialog opens.
  FindMenu(CHistView* view, QWidget* window);

  // The items in menu order: the five modes, a separator, Filters..., Clear Filters, a separator,
  // the given-name variants.
  const QList<QAction*>& Actions() const { return m_actions; }
  QAction* ModeAction(MatchMode mode) const { return m_modes[static_cast<int>(mode)]; }
  QAction* FiltersAction() const { return m_filters; }
  QAction* ClearFiltersAction() const { return m_clearFilters; }
  QAction* GivenVariantsAction() const { return m_givenVariants; }

  QString StatusText() const { return m_status; }

  // The Filters... item: the dialog over the window; OK puts its filter in force.
  void EditFilters();
  void SetMode(MatchMode mode);
  void SetFilter(const EntryFilter& filter);
  void SetGivenVariants(bool on);

 signals:
  void statusChanged(const QString& text);

 private:
  // Puts `options` in force, running the search on screen again with them.
  void SetOptions(const FindOptions& options);
  // The options in force and the items' checks.
  void ShowOptions(const FindOptions& options);
  void ShowStatus(const QString& text);
  // How the result now on screen was found (a typed * or ? switches wildcards on).
  void ShowSearchDone();

  CHistView* m_view;
  QWidget* m_window;
  QList<QAction*> m_actions;
  QAction* m_modes[5] = {};
  QAction* m_filters = nullptr;
  QAction* m_clearFilters = nullptr;
  QAction* m_givenVariants = nullptr;
  QString m_status;
};
