#include "ui/find_menu.h"

#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>

#include "platform/qt/qt_text.h"
#include "ui/filters_dialog.h"
#include "ui/hist_view.h"
#include "ui/match_summary.h"

namespace {

struct ModeItem {
  MatchMode mode;
  const char* menuText;
  const char* statusText;
};
constexpr ModeItem kModeItems[] = {
    {MatchMode::kExact, QT_TRANSLATE_NOOP("FindMenu", "&Exact Spelling"),
     QT_TRANSLATE_NOOP("FindMenu", "Exact spelling")},
    {MatchMode::kWildcard, QT_TRANSLATE_NOOP("FindMenu", "&Wildcards (* and ?)"),
     QT_TRANSLATE_NOOP("FindMenu", "Wildcards")},
    {MatchMode::kSoundex, QT_TRANSLATE_NOOP("FindMenu", "Sounds Like (&Soundex)"),
     QT_TRANSLATE_NOOP("FindMenu", "Sounds like (Soundex)")},
    {MatchMode::kDaitchMokotoff, QT_TRANSLATE_NOOP("FindMenu", "Sounds Like (&Daitch-Mokotoff)"),
     QT_TRANSLATE_NOOP("FindMenu", "Sounds like (Daitch-Mokotoff)")},
    {MatchMode::kSimilar, QT_TRANSLATE_NOOP("FindMenu", "Similar Spe&lling"),
     QT_TRANSLATE_NOOP("FindMenu", "Similar spelling")},
};

QString Translated(const char* text) { return QCoreApplication::translate("FindMenu", text); }

}  // namespace

QString FindStatusText(MatchMode mode, const EntryFilter& filter, bool givenVariants) {
  QString text = Translated(kModeItems[static_cast<int>(mode)].statusText);
  if (filter.Active()) text += QStringLiteral(" \u00B7 ") + FromWindows1252(filter.Describe());
  if (givenVariants)
    text += QStringLiteral(" \u00B7 ") +
            Translated(QT_TRANSLATE_NOOP("FindMenu", "given-name abbreviations and nicknames"));
  return text;
}

FindMenu::FindMenu(CHistView* view, QWidget* window) : QObject(window), m_view(view), m_window(window) {
  auto* group = new QActionGroup(this);
  group->setExclusive(true);
  for (const ModeItem& item : kModeItems) {
    auto* action = new QAction(Translated(item.menuText), this);
    action->setCheckable(true);
    action->setChecked(item.mode == m_view->FindSettings().mode);
    group->addAction(action);
    const MatchMode mode = item.mode;
    connect(action, &QAction::triggered, this, [this, mode] { SetMode(mode); });
    m_modes[static_cast<int>(item.mode)] = action;
    m_actions << action;
  }
  auto* separator = new QAction(this);
  separator->setSeparator(true);
  m_actions << separator;

  m_filters = new QAction(tr("&Filters..."), this);
  m_filters->setCheckable(true);
  connect(m_filters, &QAction::triggered, this, &FindMenu::EditFilters);
  m_clearFilters = new QAction(tr("&Clear Filters"), this);
  connect(m_clearFilters, &QAction::triggered, this, [this] { SetFilter(EntryFilter()); });
  m_actions << m_filters << m_clearFilters;
  auto* beforeVariants = new QAction(this);
  beforeVariants->setSeparator(true);
  m_givenVariants = new QAction(tr("Match &Given-Name Abbreviations and Nicknames"), this);
  m_givenVariants->setCheckable(true);
  m_givenVariants->setChecked(m_view->FindSettings().givenVariants);
  m_givenVariants->setToolTip(
      tr("A given name also finds the forms the clerks wrote: William finds Wm and Bill"));
  connect(m_givenVariants, &QAction::toggled, this, &FindMenu::SetGivenVariants);
  m_actions << beforeVariants << m_givenVariants;

  connect(m_view, &CHistView::searchShown, this, &FindMenu::ShowSearchDone);
  SetFilter(m_view->FindSettings().filter);
}

void FindMenu::SetMode(MatchMode mode) {
  FindOptions options = m_view->FindSettings();
  options.mode = mode;
  SetOptions(options);
}

void FindMenu::SetFilter(const EntryFilter& filter) {
  FindOptions options = m_view->FindSettings();
  options.filter = filter;
  SetOptions(options);
}

void FindMenu::SetOptions(const FindOptions& options) {
  const FindOptions previous = m_view->FindSettings();
  ShowOptions(options);
  // The status always describes the list on screen: a result shown is found again the new way
  // (its status comes with it); a search stopped halfway keeps the old list, and so the old way.
  // With no result shown, the status says how the next search will be made.
  if (!m_view->Screen().SearchIsShown()) {
    // A roster on screen keeps its name in the strip: the options wait for the next search, and
    // the strip names them once the roster is gone.
    const QString text = FindStatusText(options.mode, options.filter, options.givenVariants);
    if (m_view->Screen().ShownRoster() != nullptr) {
      m_status = text;
    } else {
      ShowStatus(text);
    }
  } else if (!m_view->Screen().SearchAgain()) {
    ShowOptions(previous);
  }
}

void FindMenu::ShowOptions(const FindOptions& options) {
  m_view->SetFindOptions(options);
  ModeAction(options.mode)->setChecked(true);
  m_filters->setChecked(options.filter.Active());
  m_clearFilters->setEnabled(options.filter.Active());
  m_givenVariants->setChecked(options.givenVariants);
}

void FindMenu::SetGivenVariants(bool on) {
  FindOptions options = m_view->FindSettings();
  options.givenVariants = on;
  SetOptions(options);
}

void FindMenu::EditFilters() {
  FiltersDialog dialog(m_view->FindSettings().filter, m_window);
  if (dialog.exec() == QDialog::Accepted) {
    SetFilter(dialog.Filter());
  } else {
    // The item's check mark goes on saying whether a filter is in force.
    m_filters->setChecked(m_view->FindSettings().filter.Active());
  }
}

void FindMenu::ShowSearchDone() {
  const FindOptions& options = m_view->FindSettings();
  // The variants count only where a given name was typed.
  const bool variants = options.givenVariants && m_view->Request()->hasGivenName == 1;
  QString text =
      FindStatusText(EffectiveMatchMode(options.mode, m_view->Request()->surname), options.filter, variants);
  // Keys the index could not give soundly were left out of the result: the user must know.
  if (!m_view->Screen().DamagedIndex().empty()) text += QStringLiteral(" \u00B7 ") + tr(kDamagedIndexNotice);
  // Similar spelling names its surnames closest first, each with how far it is from the one typed.
  const ResultList* list = m_view->Screen().Results();
  if (const SearchAnswer* found = list ? list->Found() : nullptr) {
    const std::string similar = SimilarSummary(*found);
    if (!similar.empty()) text += QStringLiteral(" \u00B7 ") + FromWindows1252(similar);
  }
  ShowStatus(text);
}

void FindMenu::ShowStatus(const QString& text) {
  m_status = text;
  emit statusChanged(text);
}
