// Unit texts to the units of the park service's list. The expected units were checked by hand
// against data/nps/nps_units.csv.
#include "records/nps_units.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "records/nps_tables.h"
#include "records/unit_key.h"

namespace {

std::vector<std::string> Codes(const UnitLookup& lookup) {
  std::vector<std::string> codes;
  for (const NpsUnit& unit : lookup.units) codes.emplace_back(unit.code);
  return codes;
}

}  // namespace

TEST(NpsUnits, ARollTextNamesEveryUnitOfItsNumberAndNeverLosesTheSuffix) {
  // UOH0003RI01 "3rd Regiment, Ohio Infantry" (three years) and UOH0003RI02 "... (3 months, 1861)".
  const UnitLookup ohio = LookUpUnit("3 OH INF", Side::kUnion);
  EXPECT_EQ(ohio.outcome, UnitLookupOutcome::kFound);
  EXPECT_EQ(Codes(ohio), (std::vector<std::string>{"UOH0003RI01", "UOH0003RI02"}));
  EXPECT_EQ(ohio.total, 2u);
  EXPECT_EQ(ohio.units[1].name, "3rd Regiment, Ohio Infantry (3 months, 1861)");
  EXPECT_EQ(ohio.units[1].shortForm, "3 OH INF");
  // The list's own name of the three-month regiment names it alone.
  EXPECT_EQ(Codes(LookUpUnit("3rd Regiment, Ohio Infantry (3 months, 1861)", Side::kUnknown)),
            (std::vector<std::string>{"UOH0003RI02"}));

  // Forms of one unit: the roll's short form, the plain words, the list's name, old ordinals, full
  // stops, blanks and case.
  for (const char* text : {"4 VA INF", "4th Virginia Infantry", "4th Regiment, Virginia Infantry",
                           "4TH VA. INF.", "  4  va\tinf ", "4 Va Inf", "4th regiment virginia infantry"}) {
    EXPECT_EQ(Codes(LookUpUnit(text, Side::kConfederate)), (std::vector<std::string>{"CVA0004RI"})) << text;
  }
  EXPECT_EQ(Codes(LookUpUnit("2d Minnesota Infantry", Side::kUnion)),
            (std::vector<std::string>{"UMN0002RI"}));
  EXPECT_EQ(Codes(LookUpUnit("5 BN TN CAV", Side::kConfederate)), (std::vector<std::string>{"CTN0005BC"}));
  EXPECT_EQ(Codes(LookUpUnit("11 AL HVY ART", Side::kConfederate)), (std::vector<std::string>{"CAL0011RAH"}));
}

TEST(NpsUnits, TheSideChoosesAndAWrongSideStillLeadsToTheUnit) {
  // 1 AL CAV: three Confederate units and three Union ones (the old, the new and the third).
  const UnitLookup either = LookUpUnit("1 AL CAV", Side::kUnknown);
  EXPECT_EQ(either.total, 6u);
  EXPECT_EQ(Codes(LookUpUnit("1 AL CAV", Side::kUnion)),
            (std::vector<std::string>{"UAL0001RC01", "UAL0001RC02", "UAL0001RC03"}));
  EXPECT_EQ(Codes(LookUpUnit("1 AL CAV", Side::kConfederate)),
            (std::vector<std::string>{"CAL0001RC", "CAL0001RCM", "CAL0001RCR"}));

  // A roll that calls the 18th Maine Confederate: the Union unit, said to be of the other side.
  const UnitLookup maine = LookUpUnit("18 ME INF", Side::kConfederate);
  EXPECT_EQ(maine.outcome, UnitLookupOutcome::kOnlyOtherSide);
  EXPECT_EQ(Codes(maine), (std::vector<std::string>{"UME0018RI"}));
  EXPECT_EQ(maine.units[0].side, Side::kUnion);
}

TEST(NpsUnits, BadTextIsToldApartAndCostsLittle) {
  EXPECT_EQ(LookUpUnit("", Side::kUnion).outcome, UnitLookupOutcome::kEmpty);
  EXPECT_EQ(LookUpUnit(" ,. \t", Side::kUnion).outcome, UnitLookupOutcome::kEmpty);
  for (const char* text : {"99 ZZ INF", "18 MAINE INF", "INF", "3 OH", "MCCULLOCH'S RANGERS"}) {
    const UnitLookup lookup = LookUpUnit(text, Side::kUnknown);
    EXPECT_EQ(lookup.outcome, UnitLookupOutcome::kNotFound) << text;
    EXPECT_TRUE(lookup.units.empty()) << text;
  }
  // Terminal controls, C1 controls in UTF-8, bytes that are not UTF-8: refused, not looked up.
  for (const std::string& text :
       {std::string("5 IL\x1b[2J INF"), std::string("5 IL\nINF"), std::string("5 IL \xC2\x9B INF"),
        std::string("5 IL \xFF INF"), std::string("5 IL \xC3"), std::string("5 IL \xC0\xA0 INF"),
        std::string("5 IL INF\0", 9)}) {
    EXPECT_EQ(LookUpUnit(text, Side::kUnion).outcome, UnitLookupOutcome::kNotPlainText) << text;
  }
  EXPECT_TRUE(IsPlainText("Jos\xC3\xA9 \xE2\x80\x94 \xF0\x9F\x8E\x96 5 IL INF\t"));
  // A text longer than any unit's: refused before it is normalised, however long.
  EXPECT_EQ(LookUpUnit(std::string(kMaxUnitKey + 1, 'A'), Side::kUnion).outcome, UnitLookupOutcome::kTooLong);
  EXPECT_EQ(LookUpUnit(std::string(50'000'000, 'A'), Side::kUnion).outcome, UnitLookupOutcome::kTooLong);

  // The most units a text names (1 MO INF: eleven, of both sides) are counted past the limit.
  const UnitLookup many = LookUpUnit("1 MO INF", Side::kUnknown, 3);
  EXPECT_EQ(many.total, 11u);
  EXPECT_EQ(Codes(many), (std::vector<std::string>{"CMO0001RI01", "CMO0001RI02", "CMO0001RIS1"}));
  EXPECT_EQ(LookUpUnit("1 MO INF", Side::kUnion, 0).units.size(), 0u);
}

TEST(NpsUnits, KeysFollowOneRule) {
  const struct {
    const char* text;
    const char* key;
  } cases[] = {
      {"3rd Regiment, Ohio Infantry", "3 REGIMENT OHIO INFANTRY"},
      {" 1st  U.S.\tCav. ", "1 US CAV"},
      {"2d 3D 21st 22nd 18TH", "2 3 21 22 18"},
      {"2DA 1STS ST 3", "2DA 1STS ST 3"},  // only digits then an ordinal ending lose the ending
      {"Caper's Bn (Old) 1861-1862", "CAPER'S BN (OLD) 1861-1862"},
      {"Jos\xC3\xA9", "JOS\xC3\xA9"},
      {"5th,", "5"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(UnitKey(c.text), c.key) << c.text;
}

// The table is searched by halves, with keys made as it is searched: every unit must be found by
// each of its texts, or the generator and UnitKey disagree and units are lost without a sound.
TEST(NpsUnits, EveryUnitIsFoundByEachOfItsTextsAndByItsCode) {
  ASSERT_EQ(kNpsUnitCount, 7011u);
  std::size_t withShortForm = 0;
  for (std::size_t i = 0; i < kNpsUnitCount; ++i) {
    const NpsUnitRow& row = kNpsUnits[i];
    const Side side = row.side == 'C' ? Side::kConfederate : Side::kUnion;
    std::vector<std::string_view> texts = {NpsText(row.name)};
    if (!NpsText(row.shortForm).empty()) {
      texts.push_back(NpsText(row.shortForm));
      texts.push_back(NpsText(row.plainName));
      ++withShortForm;
    }
    for (std::string_view text : texts) {
      const UnitLookup lookup = LookUpUnit(text, side);
      ASSERT_EQ(lookup.outcome, UnitLookupOutcome::kFound) << text;
      bool found = false;
      for (const NpsUnit& unit : lookup.units) found = found || unit.index == i;
      EXPECT_TRUE(found) << NpsText(row.code) << " not found by " << text;
    }
    const std::optional<NpsUnit> byCode = NpsUnitWithCode(NpsText(row.code));
    ASSERT_TRUE(byCode.has_value()) << NpsText(row.code);
    EXPECT_EQ(byCode->index, i);
  }
  EXPECT_GT(withShortForm, 4500u);
  EXPECT_FALSE(NpsUnitWithCode("UOH0003RI").has_value());  // the suffix is part of the code
}
