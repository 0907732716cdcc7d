#include "ui/unit_actions.h"

#include <QAction>
#include <QKeySequence>
#include <QTimer>

#include "platform/qt/qt_text.h"
#include "records/soldier_entry.h"
#include "ui/more_info_dialog.h"
#include "ui/unit_window.h"
#include "ui/view_view.h"

namespace {

// An entry's field (UTF-8, as records/soldier_entry.h has it) as the roll's bytes.
std::string RollBytes(const std::string& utf8) { return ToWindows1252(QString::fromStdString(utf8)); }

char SideByte(const std::string& field) {
  const std::string side = RosterCompany(field);  // trimmed and upper-cased, as a side is read
  return side == "U" || side == "C" ? side[0] : 0;
}

}  // namespace

UnitActions::UnitActions(CViewView* view, QWidget* window) : QObject(window), m_view(view), m_window(window) {
  m_find = new QAction(tr("&Unit..."), this);
  m_find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_U));
  m_find->setToolTip(tr("A unit's battles and the men of the roll who served in it"));
  connect(m_find, &QAction::triggered, this, [this] {
    std::string unit;
    char side = 0;
    if (AskForUnit(m_window, &unit, &side)) Open(unit, side, "", m_window);
  });

  // More Info's Unit... button opens the window for the record on show, over the dialog.
  connect(view, &CViewView::moreInfoOpened, this, [this](MoreInfoDialog* dialog) {
    dialog->OfferUnit(true);
    connect(dialog, &MoreInfoDialog::unitRequested, this, [this, dialog] {
      SoldierEntry entry;
      if (m_view->Screen().PageEntry(m_view->SelectedRow(), &entry)) OpenForEntry(entry, dialog, dialog);
    });
  });
}

bool UnitActions::OpenForRow(int row, QWidget* over) {
  SoldierEntry entry;
  if (row < 0 || !m_view->Screen().PageEntry(row, &entry)) return false;
  OpenForEntry(entry, over ? over : m_window);
  return true;
}

void UnitActions::OpenForEntry(const SoldierEntry& entry, QWidget* over, QWidget* closing) {
  Open(RollBytes(entry.Field(kUnitField)), SideByte(entry.Field(kSideField)),
       RollBytes(entry.Field(kCompanyField)), over, closing);
}

void UnitActions::Open(const std::string& unit, char side, const std::string& company, QWidget* over,
                       QWidget* closing) {
  UnitWindow window(unit, side, company, over);
  RosterRequest asked;
  bool wanted = false;
  connect(&window, &UnitWindow::rosterRequested, this, [&](const RosterRequest& roster) {
    asked = roster;
    wanted = true;
  });
  window.exec();
  if (!wanted) return;
  // The roster goes on the main screen once every dialog over it has closed.
  if (auto* dialog = qobject_cast<QDialog*>(closing)) dialog->accept();
  QTimer::singleShot(0, this, [this, asked] { ShowRoster(asked); });
}

void UnitActions::ShowRoster(const RosterRequest& roster) {
  // Asked from a window of its own (the research window's More Info), the list comes to the front.
  m_window->raise();
  m_window->activateWindow();
  m_view->Screen().ShowRoster(roster);
}
