// The Unit window: what a unit text of the roll can mean and where those units fought, and the
// way to the men who served in it.
//
// It shows every unit of the park service's list the text can mean for the side, with their
// battles in date order, where the list comes from and, for a Confederate unit, that the source's
// Confederate links are incomplete (records/unit_report.h). Its buttons ask for the unit's roster
// on the main screen: "Show Company D" (the soldier's company, when he has one) and "Show Whole
// Regiment"; both need a side, U or C, since one text names a regiment of each.
#pragma once

#include <QDialog>
#include <QString>
#include <string>

#include "store/unit_roster.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

class UnitWindow : public QDialog {
  Q_OBJECT

 public:
  // `unit`, `company` as the roll holds them (Windows-1252); `side` 'U', 'C' or 0 (none known).
  UnitWindow(const std::string& unit, char side, const std::string& company, QWidget* parent = nullptr);

  QPlainTextEdit* Report() const { return m_report; }
  QPushButton* CompanyButton() const { return m_company; }
  QPushButton* RegimentButton() const { return m_regiment; }

 signals:
  // The roster is to be put on the main screen.
  void rosterRequested(const RosterRequest& roster);

 private:
  void Ask(bool wholeUnit);

  std::string m_unit;
  char m_side;
  std::string m_companyText;
  QPlainTextEdit* m_report;
  QPushButton* m_company;
  QPushButton* m_regiment;
};

// The status strip's name of a roster: "Roster · 5 IL INF · Company D", "Roster · 5 IL INF".
QString RosterStatusText(const RosterRequest& roster);

// Asks for a unit text and a side (the Find menu's Unit... item). False when cancelled or empty.
bool AskForUnit(QWidget* parent, std::string* unit, char* side);
