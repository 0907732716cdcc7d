// A search window over a roll of many spellings, with its Find menu at hand.
#pragma once

#include <string>
#include <vector>

#include <QStringList>

#include "ui/find_menu.h"
#include "viewer_fixture.h"

// The ten fields of an entry with its company, unit and side.
std::vector<std::string> EntryFields(const std::string& company, const std::string& unit, const std::string& side);

// SMITH (two of the Union, two of the Confederacy), SMYTH, SMITHE, SCHMIDT; MULLER, MüLLER
// (Windows-1252), MUELLER, MILLER; 23 ABBOTTs and one ABBOT.
void AddSpellings(TestRoll* roll);

class FindTest : public ViewerTest {
 protected:
  void SetUp() override;

  FindMenu* Find() const;
  // The mode chosen as a person chooses it: its item in the Find menu.
  void Choose(MatchMode mode);
  // "SURNAME GIVEN" of each row on the page.
  QStringList Rows() const;
  // The first column of each row on the page.
  QStringList Surnames() const;
};
