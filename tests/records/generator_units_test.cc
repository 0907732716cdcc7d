// The generator's unit list and the decoding table come from one derivation: every unit the
// generator can put on a roll must decode, on the side the generator gives it.
#include <gtest/gtest.h>

#include "records/nps_units.h"
#include "records/unit_names.h"
#include "tools/rollkit/names_data.h"

TEST(GeneratorUnits, EveryGeneratedUnitDecodesOnItsSide) {
  ASSERT_GT(kUnitCount, 3000u);
  for (std::size_t i = 0; i < kUnitCount; ++i) {
    const Side side = kUnits[i].side == 'C' ? Side::kConfederate : Side::kUnion;
    const DecodedUnit decoded = DecodeUnit(kUnits[i].text, side);
    EXPECT_TRUE(decoded.known) << kUnits[i].text;
    EXPECT_EQ(decoded.side, side) << kUnits[i].text;
  }
}

// ... and lead to the park service's units of that side.
TEST(GeneratorUnits, EveryGeneratedUnitNamesUnitsOfItsSide) {
  for (std::size_t i = 0; i < kUnitCount; ++i) {
    const Side side = kUnits[i].side == 'C' ? Side::kConfederate : Side::kUnion;
    const UnitLookup lookup = LookUpUnit(kUnits[i].text, side);
    EXPECT_EQ(lookup.outcome, UnitLookupOutcome::kFound) << kUnits[i].text;
    for (const NpsUnit& unit : lookup.units) EXPECT_EQ(unit.side, side) << kUnits[i].text;
  }
}
