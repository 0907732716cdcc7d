#include "records/unit_names.h"

#include <gtest/gtest.h>

#include <string>

#include "records/unit_table.h"

namespace {

struct Row {
  const char* unit;
  const char* side;      // the entry's side field
  const char* expected;  // UnitInPlainWords
};

}  // namespace

// Each row checked by hand against its line of data/nps/nps_units.csv.
TEST(UnitNames, DecodesRowsOfTheParkServiceList) {
  const Row rows[] = {
      // UME0018RI "18th Regiment, Maine Infantry", US
      {"18 ME INF", "U", "18th Maine Infantry (Union)"},
      // CAL0031RI "31st Regiment, Alabama Infantry", Confederate
      {"31 AL INF", "C", "31st Alabama Infantry (Confederate)"},
      // UOH0025YAL "25th Independent Battery, Ohio Light Artillery"
      {"25 BTRY OH LT ART", "U", "25th Battery, Ohio Light Artillery (Union)"},
      // CSC0003B0R "3rd Battalion, South Carolina Reserves"
      {"3 BN SC RES", "C", "3rd Battalion, South Carolina Reserves (Confederate)"},
      // UME0001BS "1st Battalion, Sharpshooters, Maine Infantry"
      {"1 BN ME SS", "U", "1st Battalion, Maine Sharpshooters (Union)"},
      // UME0001RAH "1st Regiment, Maine Heavy Artillery"; UUS0010RAH0C "10th Regiment, United
      // States Colored Heavy Artillery"
      {"1 ME HVY ART", "U", "1st Maine Heavy Artillery (Union)"},
      {"10 USCT HVY ART", "U", "10th United States Colored Heavy Artillery (Union)"},
      // CALCOOPBI "Cooper's Battalion, Alabama Infantry": named for its commander
      {"COOPER'S BN AL INF", "C", "Cooper's Battalion, Alabama Infantry (Confederate)"},
      // UUR0028RI "28th Regiment, US Infantry (Regular Army)"; UVR0001R0R "1st Regiment, Veteran
      // Reserve Corps"; CCS0010RC "10th Regiment, Confederate Cavalry"
      {"28 US INF", "U", "28th United States Infantry (Union)"},
      {"1 VRC RES", "U", "1st Veteran Reserve Corps (Union)"},
      {"10 CS CAV", "C", "10th Confederate Cavalry (Confederate)"},
      // CKY0004RIT "4th Regiment, Kentucky Mounted Infantry"
      {"4 KY MTD INF", "C", "4th Kentucky Mounted Infantry (Confederate)"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(UnitInPlainWords(row.unit, row.side), row.expected) << row.unit;
  }
}

TEST(UnitNames, TheEntrysSideChoosesBetweenUnitsOfBothSides) {
  // "1st Regiment, Alabama Cavalry" served on both sides (UAL0001RC and CAL0001RC).
  EXPECT_EQ(UnitInPlainWords("1 AL CAV", "U"), "1st Alabama Cavalry (Union)");
  EXPECT_EQ(UnitInPlainWords("1 AL CAV", "C"), "1st Alabama Cavalry (Confederate)");
  EXPECT_EQ(UnitInPlainWords("1 AL CAV", ""), "1st Alabama Cavalry");
  EXPECT_EQ(UnitInPlainWords("1 AL CAV", "X"), "1st Alabama Cavalry");
  // CALWARDYAL and UALWARDYAL: a commander's battery on each side.
  EXPECT_EQ(UnitInPlainWords("WARD'S BTRY AL LT ART", "C"),
            "Ward's Battery, Alabama Light Artillery (Confederate)");

  // A unit of one side keeps the list's side, whatever the entry says.
  const DecodedUnit maine = DecodeUnit("18 ME INF", Side::kConfederate);
  EXPECT_TRUE(maine.known);
  EXPECT_EQ(maine.name, "18th Maine Infantry");
  EXPECT_EQ(maine.side, Side::kUnion);
}

TEST(UnitNames, AnUnknownTextStandsAsItIs) {
  // A state and an arm the list has, but no such regiment; an abbreviation it never uses.
  EXPECT_FALSE(DecodeUnit("999 ME INF", Side::kUnion).known);
  EXPECT_EQ(UnitInPlainWords("999 ME INF", "U"), "999 ME INF (Union)");
  EXPECT_EQ(UnitInPlainWords("18 MAINE INF", "U"), "18 MAINE INF (Union)");
  EXPECT_EQ(UnitInPlainWords("  MCCULLOCH'S RANGERS ", ""), "MCCULLOCH'S RANGERS");
  EXPECT_EQ(UnitInPlainWords("18 ME", ""), "18 ME");
  EXPECT_EQ(UnitInPlainWords("", "U"), "");
  EXPECT_EQ(UnitInPlainWords("   ", ""), "");
  const DecodedUnit unknown = DecodeUnit("18 ME INF X", Side::kUnion);
  EXPECT_TRUE(unknown.name.empty());
  EXPECT_EQ(unknown.side, Side::kUnknown);
}

TEST(UnitNames, BlanksAndCaseOfTheRollTextDoNotCount) {
  EXPECT_EQ(UnitInPlainWords(" 18  ME\tINF ", "U"), "18th Maine Infantry (Union)");
  EXPECT_EQ(UnitInPlainWords("25 btry oh lt art", "u"), "25th Battery, Ohio Light Artillery (Union)");
  EXPECT_EQ(UnitInPlainWords("1 al cav", " c "), "1st Alabama Cavalry (Confederate)");
  EXPECT_EQ(SideOfField("UC"), Side::kUnknown);
}

// The table is searched by halves: a row out of order would be lost without a sound.
TEST(UnitNames, EveryShortFormOfTheTableIsFound) {
  ASSERT_GT(kUnitTableSize, 3000u);
  for (std::size_t i = 0; i < kUnitTableSize; ++i) {
    const DecodedUnit decoded = DecodeUnit(kUnitTable[i].shortForm, Side::kUnknown);
    EXPECT_EQ(decoded.name, kUnitTable[i].name) << kUnitTable[i].shortForm;
  }
}
