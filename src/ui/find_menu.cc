#include "ui/find_menu.h"

#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>

#include "platform/qt/qt_text.h"
#include "ui/filters_dialog.h"
#include "ui/hist_view.h"

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

QString FindStatusText(MatchMode mode, const EntryFilter& filter) {
  QString text = Translated(kModeItems[static_cast<int>(mode)].statusText);
  if (filter.Active()) text += QStringLiteral(" \u00B7 ") + FromWindows1252(filter.Describe());
  return text;
}

FindMenu::FindMenu(CHistView* view, QWidget* window) : QObject(window), view_(view), window_(window) {
  auto* group = new QActionGroup(this);
  group->setExclusive(true);
  for (const ModeItem& item : kModeItems) {
    auto* action = new QAction(Translated(item.menuText), this);
    action->setCheckable(true);
    action->setChecked(item.mode == view_->FindSettings().mode);
    group->addAction(action);
    const MatchMode mode = item.mode;
    connect(action, &QAction::triggered, this, [this, mode] { SetMode(mode); });
    modes_[static_cast<int>(item.mode)] = action;
    actions_ << action;
  }
  auto* separator = new QAction(this);
  separator->setSeparator(true);
  actions_ << separator;

  filters_ = new QAction(tr("&Filters..."), this);
  filters_->setCheckable(true);
  connect(filters_, &QAction::triggered, this, &FindMenu::EditFilters);
  clearFilters_ = new QAction(tr("&Clear Filters"), this);
  connect(clearFilters_, &QAction::triggered, this, [this] { SetFilter(EntryFilter()); });
  actions_ << filters_ << clearFilters_;

  connect(view_, &CHistView::searchShown, this, &FindMenu::ShowSearchDone);
  SetFilter(view_->FindSettings().filter);
}

void FindMenu::SetMode(MatchMode mode) {
  FindOptions options = view_->FindSettings();
  options.mode = mode;
  view_->SetFindOptions(options);
  ModeAction(mode)->setChecked(true);
  ShowStatus(FindStatusText(options.mode, options.filter));
}

void FindMenu::SetFilter(const EntryFilter& filter) {
  FindOptions options = view_->FindSettings();
  options.filter = filter;
  view_->SetFindOptions(options);
  filters_->setChecked(filter.Active());
  clearFilters_->setEnabled(filter.Active());
  ShowStatus(FindStatusText(options.mode, options.filter));
}

void FindMenu::EditFilters() {
  FiltersDialog dialog(view_->FindSettings().filter, window_);
  if (dialog.exec() == QDialog::Accepted) {
    SetFilter(dialog.Filter());
  } else {
    // The item's check mark goes on saying whether a filter is in force.
    filters_->setChecked(view_->FindSettings().filter.Active());
  }
}

void FindMenu::ShowSearchDone() {
  const FindOptions& options = view_->FindSettings();
  ShowStatus(FindStatusText(EffectiveMatchMode(options.mode, view_->Request()->surname), options.filter));
}

void FindMenu::ShowStatus(const QString& text) {
  status_ = text;
  emit statusChanged(text);
}
