#include "records/unit_battles.h"

#include <cstdio>

#include "records/nps_tables.h"

namespace {

BattleDay DayOf(std::int32_t yyyymmdd) {
  return BattleDay{yyyymmdd / 10000, yyyymmdd / 100 % 100, yyyymmdd % 100};
}

// "3,765"
std::string Thousands(std::size_t n) {
  std::string digits = std::to_string(n);
  for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
  return digits;
}

}  // namespace

std::vector<Battle> BattlesOf(const NpsUnit& unit) {
  std::vector<Battle> battles;
  if (unit.index >= kNpsUnitCount) return battles;
  const NpsUnitRow& row = kNpsUnits[unit.index];
  if (row.firstLink > kNpsBattleLinkCount || row.linkCount > kNpsBattleLinkCount - row.firstLink)
    return battles;
  battles.reserve(row.linkCount);
  for (std::size_t i = row.firstLink; i < row.firstLink + row.linkCount; ++i) {
    const NpsBattleLink& link = kNpsBattleLinks[i];
    if (link.battle >= kNpsBattleCount) continue;
    const NpsBattleRow& b = kNpsBattles[link.battle];
    Battle battle;
    battle.id = NpsText(b.id);
    battle.name = NpsText(b.name);
    battle.otherNames = NpsText(b.otherNames);
    battle.state = NpsText(b.state);
    battle.counties = NpsText(b.counties);
    battle.place = NpsText(b.place);
    battle.campaign = NpsText(b.campaign);
    battle.result = NpsText(b.result);
    battle.description = NpsText(b.description);
    battle.latitude = NpsText(b.latitude);
    battle.longitude = NpsText(b.longitude);
    battle.start = DayOf(b.start);
    battle.end = DayOf(b.end);
    battle.linkNote = NpsText(link.note);
    battles.push_back(battle);
  }
  return battles;
}

std::string IsoDay(const BattleDay& day) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", day.year % 10000, day.month % 100, day.day % 100);
  return text;
}

std::string BattleDates(const Battle& battle) {
  const std::string start = IsoDay(battle.start);
  const std::string end = IsoDay(battle.end);
  return start == end ? start : start + " to " + end;
}

std::string BattlesSourceLine() {
  return "Battles: National Park Service, Civil War Soldiers and Sailors System and Civil War Sites "
         "Advisory Commission (CWSS/CWSAC), via acw_battle_data by Jeffrey B. Arnold, CC-BY-4.0.";
}

std::string ConfederateLinksNote() {
  return "The source's links of Confederate units to battles are incomplete: only " +
         Thousands(kNpsConfederateUnitsWithBattles) + " of its " + Thousands(kNpsConfederateUnits) +
         " Confederate units are linked to any battle, so a Confederate unit may have fought in more "
         "battles than are listed.";
}

std::string NoBattlesListedNote() {
  return "\"No battle listed\" means that the source lists none for the unit, not that the unit fought in "
         "none: the source links only some units to battles.";
}
