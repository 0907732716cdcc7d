// The battles the park service links a unit to (its CWSS and CWSAC data, via acw_battle_data),
// in date order, and the words that must go with such a list wherever it is shown: where it comes
// from, that the source's Confederate links are incomplete, and that a unit without a battle
// listed is not a unit that fought none.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "records/nps_units.h"

// A day of a battle; valid as the source gives it (the generator checks every date).
struct BattleDay {
  int year = 0;
  int month = 0;
  int day = 0;
};

struct Battle {
  std::string_view id;           // "VA005", the battle's CWSAC identifier
  std::string_view name;         // "Manassas I"
  std::string_view otherNames;   // "First Bull Run; Manassas, First"; may be empty
  std::string_view state;        // "VA"
  std::string_view counties;     // "Fairfax County, VA; Prince William County, VA"; may be empty
  std::string_view place;        // "Fairfax County, Virginia": the first county in the battle's
                                 // state, by the state's present name; the state alone without one
  std::string_view campaign;     // "Manassas Campaign [July 1861]"
  std::string_view result;       // "Confederate victory", in the source's words
  std::string_view description;  // paragraphs separated by an empty line ("\n\n")
  std::string_view latitude;     // decimal degrees as the source writes them: "38.8123"
  std::string_view longitude;    // "-77.5219" (west is negative)
  BattleDay start;
  BattleDay end;              // the same day as start for a battle of one day
  std::string_view linkNote;  // what the source notes on the unit's link to the battle: mostly the part
                              // of the unit that fought ("Battery \"F\"", "Detachment"); often empty
};

// The unit's battles, earliest first (by start, then end).
std::vector<Battle> BattlesOf(const NpsUnit& unit);

// "1861-07-21", or "1862-12-31 to 1863-01-02" for a battle of more than one day.
std::string BattleDates(const Battle& battle);
// "1861-07-21"
std::string IsoDay(const BattleDay& day);

// Where the list comes from, in one line.
std::string BattlesSourceLine();
// For a Confederate unit: the source links only some Confederate units to battles (with the
// counts), so a list may be short or empty for want of data.
std::string ConfederateLinksNote();
// For a unit without a battle listed: the source lists none, which is not proof of none.
std::string NoBattlesListedNote();
