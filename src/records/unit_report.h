// What Dravenholt and rollkit say about a unit text: the units of the park service's list it can
// mean and, when asked, their battles. One function makes the answer, so both front ends give the
// same one; the text, CSV and JSON renderings of it are made here too.
//
// Every answer says what it rests on. A text the list does not know is said to be so; a unit
// without a battle listed is said to have none listed (never none fought); a Confederate unit's
// list carries the note that the source's Confederate links are incomplete; a list of battles
// carries its source and licence.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "records/nps_units.h"
#include "records/unit_battles.h"

struct UnitReportEntry {
  NpsUnit unit;
  std::size_t battleCount = 0;  // battles the source links the unit to
  std::vector<Battle> battles;  // those battles, when the report was asked for them
};

struct UnitReport {
  std::string unitText;  // the text asked about, as given
  UnitLookup lookup;
  bool withBattles = false;
  std::vector<UnitReportEntry> units;  // one per unit of the lookup, in its order
};

UnitReport ReportUnit(std::string_view unitText, Side side, bool withBattles);

// The answer in one sentence:
//   "3 OH INF" (Union) names 2 units of the park service's list.
//   "99 ZZ INF" names no unit of the park service's list.
// The unit text is quoted only when it is plain text (no control character, valid UTF-8).
std::string UnitReportSummary(const UnitReport& report);

// The notes that go with a unit's line: none listed, and for a Confederate unit the incomplete
// links. Empty when the unit has battles listed and is a Union unit.
std::vector<std::string> UnitNotes(const UnitReportEntry& entry);

// "3rd Regiment, Ohio Infantry (Union)"
std::string UnitTitle(const NpsUnit& unit);

// For reading: the summary, each unit with its code, its battles (with `descriptions`, each
// battle's description too) and its notes, the source line when battles are shown. Lines end in
// LF; long notes and descriptions are wrapped at 100 columns.
std::string UnitReportText(const UnitReport& report, bool descriptions);

// For other programs, RFC 4180 with a header: one record per unit; with battles one per battle
// (and one with empty battle columns for a unit without any), with `descriptions` a description
// column. Each record carries the unit's notes and the source.
std::string UnitReportCsv(const UnitReport& report, bool descriptions);

// One JSON document: the text asked about, the side, the outcome and summary, the source, and the
// units with their notes and (when asked) battles.
std::string UnitReportJson(const UnitReport& report, bool descriptions);
