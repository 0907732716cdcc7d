#include "find_fixture.h"

#include <QAction>

std::vector<std::string> EntryFields(const std::string& company, const std::string& unit, const std::string& side) {
  return {"", company, unit, "PVT", "PVT", "", "12", "34", "56", side};
}

void AddSpellings(TestRoll* roll) {
  AddStandardEntries(roll);
  roll->Add("Abbot", "ZEKE", EntryFields("A", "2 NH INF", "U"));
  roll->Add("Smith", "JOHN", EntryFields("A", "20 ME INF", "U"));
  roll->Add("Smith", "JAMES", EntryFields("B", "4 VA CAV", "C"));
  roll->Add("Smith", "WILLIAM", EntryFields("A", "12 VA INF", "C"));
  roll->Add("Smith", "ADAM", EntryFields("C", "5 IL INF", "U"));
  roll->Add("Smyth", "PATRICK", EntryFields("K", "69 NY INF", "U"));
  roll->Add("Smithe", "HENRY", EntryFields("D", "1 ME CAV", "U"));
  roll->Add("Schmidt", "KARL", EntryFields("A", "9 OH INF", "U"));
  roll->Add("Muller", "JOHN", EntryFields("E", "4 PA INF", "U"));
  roll->Add("M\xFCller", "JOHANN", EntryFields("F", "20 ME INF", "U"));
  roll->Add("Mueller", "FRITZ", EntryFields("G", "1 TX CAV", "C"));
  roll->Add("Miller", "ELI", EntryFields("H", "3 OH INF", "U"));
}

void FindTest::SetUp() {
  AddSpellings(&roll);
  OpenWindow();
}

FindMenu* FindTest::Find() const { return frame->findChild<FindMenu*>(); }

void FindTest::Choose(MatchMode mode) { Find()->ModeAction(mode)->trigger(); }

QStringList FindTest::Rows() const {
  QStringList rows;
  for (int i = 0; i < view->ShownRowCount(); ++i) rows << view->FieldText(i, 0) + QLatin1Char(' ') + view->FieldText(i, 1);
  return rows;
}

QStringList FindTest::Surnames() const {
  QStringList surnames;
  for (int i = 0; i < view->ShownRowCount(); ++i) surnames << view->FieldText(i, 0);
  return surnames;
}
