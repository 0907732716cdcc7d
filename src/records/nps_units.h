// A unit text, a roll's or one typed by a user, and the side, to the unit or units of the park
// service's list it can mean. A text is looked up by its key (unit_key.h) among each unit's short
// form ("3 OH INF"), name in plain words ("3rd Ohio Infantry") and name in the list ("3rd
// Regiment, Ohio Infantry"): exactly, never by a guess. One text may name several units: units of
// the same number told apart by the list (the 3-year and the 3-month 3rd Ohio Infantry), or units
// of both sides when no side is given. Every one is returned.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "records/unit_names.h"

struct NpsUnit {
  std::string_view code;       // "UOH0003RI01": the list's code, its two-digit suffix included
  std::string_view name;       // "3rd Regiment, Ohio Infantry (3 months, 1861)", as the list names it
  std::string_view shortForm;  // "3 OH INF"; empty for a unit a roll cannot name in short
  Side side = Side::kUnknown;  // kUnion or kConfederate
  std::size_t index = 0;       // the unit's row in the list (for unit_battles.h)
};

// Why a lookup found what it found.
enum class UnitLookupOutcome {
  kFound,          // units of the side asked for (of either side when none was)
  kOnlyOtherSide,  // none of the side asked for; `units` are those of the other side
  kNotFound,       // no unit of the list has this text
  kEmpty,          // the text is empty or blanks only
  kTooLong,        // longer than any unit text (kMaxUnitKey): not looked up
  kNotPlainText,   // holds a control character (a line break, an escape) or bytes that are not
                   // UTF-8: not looked up
};

// More units than this are counted but not listed. No text of the list names more than a dozen.
inline constexpr std::size_t kMostUnitCandidates = 50;

struct UnitLookup {
  UnitLookupOutcome outcome = UnitLookupOutcome::kEmpty;
  Side side = Side::kUnknown;  // the side asked for
  std::vector<NpsUnit> units;  // in the list's order of codes, at most the limit given
  std::size_t total = 0;       // units found, listed or not
};

// Every unit `unitText` can mean on `side` (kUnknown: on either side), at most `limit` of them.
// When the side has none but the other side has, those are given as kOnlyOtherSide, so that a
// roll whose side field is wrong still leads to the unit; the caller says so.
UnitLookup LookUpUnit(std::string_view unitText, Side side, std::size_t limit = kMostUnitCandidates);

// The unit of the list with this code, exactly ("UOH0003RI01").
std::optional<NpsUnit> NpsUnitWithCode(std::string_view code);
