// The park service's units and battles, generated at build time by derive_battles.py from data/nps.
// Internal to records/: callers look units up through nps_units.h and battles through
// unit_battles.h.
//
// Every text is an offset into kNpsText, where it stands NUL-ended; offset 0 is the empty text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

struct NpsUnitRow {
  std::uint32_t code;       // "UOH0003RI01"
  std::uint32_t name;       // "3rd Regiment, Ohio Infantry", as the list names it
  std::uint32_t shortForm;  // "3 OH INF", or empty when derive_units.py cannot make one
  std::uint32_t plainName;  // "3rd Ohio Infantry", with the short form
  char side;                // 'U' or 'C'
  std::uint32_t firstLink;  // the unit's links in kNpsBattleLinks
  std::uint16_t linkCount;
};

// Which of a unit's texts a key is made from.
enum NpsKeyKind : std::uint8_t { kShortFormKey, kPlainNameKey, kListNameKey };

struct NpsUnitKey {
  std::uint16_t unit;  // index into kNpsUnits
  std::uint8_t kind;   // NpsKeyKind
};

struct NpsBattleRow {
  std::uint32_t id;           // "VA005"
  std::uint32_t name;         // "Manassas I"
  std::uint32_t otherNames;   // "First Bull Run; Manassas, First"
  std::uint32_t state;        // "VA"
  std::uint32_t counties;     // "Fairfax County, VA; Prince William County, VA"
  std::uint32_t place;        // "Fairfax County, Virginia": one county and the state's present name
  std::uint32_t campaign;     // "Manassas Campaign [July 1861]"
  std::uint32_t result;       // "Confederate victory"
  std::uint32_t description;  // paragraphs separated by an empty line
  std::uint32_t latitude;     // decimal degrees as the source writes them: "38.8123"
  std::uint32_t longitude;    // "-77.5219"
  std::int32_t start;         // yyyymmdd
  std::int32_t end;           // yyyymmdd, not before start
};

struct NpsBattleLink {
  std::uint16_t battle;  // index into kNpsBattles
  std::uint32_t note;    // what the source notes on the link ("Battery \"F\"", "Detachment"), or empty
};

// Sorted by code, byte by byte.
extern const NpsUnitRow kNpsUnits[];
extern const std::size_t kNpsUnitCount;
// Sorted by UnitKey of the text each names, byte by byte, then by unit.
extern const NpsUnitKey kNpsUnitKeys[];
extern const std::size_t kNpsUnitKeyCount;
// Only battles some unit is linked to, in date order (start, end, identifier).
extern const NpsBattleRow kNpsBattles[];
extern const std::size_t kNpsBattleCount;
// Grouped by unit, each unit's in date order.
extern const NpsBattleLink kNpsBattleLinks[];
extern const std::size_t kNpsBattleLinkCount;

// How many units of each side the list has, and how many of them any battle names.
extern const std::size_t kNpsUnionUnits;
extern const std::size_t kNpsUnionUnitsWithBattles;
extern const std::size_t kNpsConfederateUnits;
extern const std::size_t kNpsConfederateUnitsWithBattles;

extern const char kNpsText[];
extern const std::size_t kNpsTextSize;

inline std::string_view NpsText(std::uint32_t offset) {
  return offset < kNpsTextSize ? std::string_view(kNpsText + offset) : std::string_view();
}
