#include "records/nps_units.h"

#include <algorithm>

#include "records/nps_tables.h"
#include "records/unit_key.h"

namespace {

NpsUnit UnitAt(std::size_t index) {
  const NpsUnitRow& row = kNpsUnits[index];
  NpsUnit unit;
  unit.code = NpsText(row.code);
  unit.name = NpsText(row.name);
  unit.shortForm = NpsText(row.shortForm);
  unit.side = row.side == 'C' ? Side::kConfederate : Side::kUnion;
  unit.index = index;
  return unit;
}

std::string_view KeyText(const NpsUnitKey& key) {
  const NpsUnitRow& row = kNpsUnits[key.unit];
  switch (key.kind) {
    case kShortFormKey:
      return NpsText(row.shortForm);
    case kPlainNameKey:
      return NpsText(row.plainName);
    default:
      return NpsText(row.name);
  }
}

}  // namespace

UnitLookup LookUpUnit(std::string_view unitText, Side side, std::size_t limit) {
  UnitLookup lookup;
  lookup.side = side;
  if (!IsPlainText(unitText)) {
    lookup.outcome = UnitLookupOutcome::kNotPlainText;
    return lookup;
  }
  // A text far longer than any key is refused before it is copied.
  if (unitText.size() > 4 * kMaxUnitKey) {
    lookup.outcome = UnitLookupOutcome::kTooLong;
    return lookup;
  }
  const std::string key = UnitKey(unitText);
  if (key.empty()) return lookup;
  if (key.size() > kMaxUnitKey) {
    lookup.outcome = UnitLookupOutcome::kTooLong;
    return lookup;
  }

  // The keys are not stored: each entry's key is made from its unit's text as it is compared.
  const NpsUnitKey* end = kNpsUnitKeys + kNpsUnitKeyCount;
  const NpsUnitKey* first = std::lower_bound(
      kNpsUnitKeys, end, key,
      [](const NpsUnitKey& k, const std::string& wanted) { return UnitKey(KeyText(k)) < wanted; });
  const NpsUnitKey* last = std::upper_bound(
      first, end, key,
      [](const std::string& wanted, const NpsUnitKey& k) { return wanted < UnitKey(KeyText(k)); });

  // Entries of one key are in unit order, and a unit has a key once: no duplicates to remove.
  std::size_t ofSide = 0, ofOther = 0;
  for (const NpsUnitKey* k = first; k != last; ++k) {
    const bool onSide =
        side == Side::kUnknown || (kNpsUnits[k->unit].side == 'C') == (side == Side::kConfederate);
    ++(onSide ? ofSide : ofOther);
  }
  if (ofSide == 0 && ofOther == 0) {
    lookup.outcome = UnitLookupOutcome::kNotFound;
    return lookup;
  }
  const bool takeOther = ofSide == 0;
  lookup.outcome = takeOther ? UnitLookupOutcome::kOnlyOtherSide : UnitLookupOutcome::kFound;
  lookup.total = takeOther ? ofOther : ofSide;
  for (const NpsUnitKey* k = first; k != last && lookup.units.size() < limit; ++k) {
    const bool onSide =
        side == Side::kUnknown || (kNpsUnits[k->unit].side == 'C') == (side == Side::kConfederate);
    if (onSide != takeOther) lookup.units.push_back(UnitAt(k->unit));
  }
  return lookup;
}

std::optional<NpsUnit> NpsUnitWithCode(std::string_view code) {
  const NpsUnitRow* end = kNpsUnits + kNpsUnitCount;
  const NpsUnitRow* row = std::lower_bound(
      kNpsUnits, end, code, [](const NpsUnitRow& r, std::string_view c) { return NpsText(r.code) < c; });
  if (row == end || NpsText(row->code) != code) return std::nullopt;
  return UnitAt(static_cast<std::size_t>(row - kNpsUnits));
}
