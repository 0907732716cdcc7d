#include "records/soldier_entry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

SoldierEntry Entry(const std::string& given, const std::string& initial) {
  return EntryFromRoll("KELLY", given, {initial});
}

}  // namespace

TEST(SoldierEntry, TakesTheRollsBytesAsUtf8WithoutOuterBlanks) {
  // Windows-1252: 0xE9 e acute, 0x92 right single quote, 0x80 euro sign.
  const std::vector<std::string_view> fields = {" ", "A", "18 ME INF", "PVT ", "CORP",
                                                "Wounded at Gettysburg\x92s field", "12",
                                                "34", "5678", "U\r"};
  const SoldierEntry entry = EntryFromRoll("D\xC9JEAN", "  Jos\xE9\t", fields);
  EXPECT_EQ(entry.surname, "D\u00C9JEAN");
  EXPECT_EQ(entry.givenName, "Jos\u00E9");
  EXPECT_EQ(entry.Field(kMiddleInitialField), "");
  EXPECT_EQ(entry.Field(kRankInField), "PVT");
  EXPECT_EQ(entry.Field(kRemarksField), "Wounded at Gettysburg\u2019s field");
  EXPECT_EQ(entry.Field(kSideField), "U");
}

TEST(SoldierEntry, MissingFieldsAreEmptyAndExtraOnesAreDropped) {
  SoldierEntry entry = EntryFromRoll("KELLY", "Patrick", {"G", "D"});
  EXPECT_EQ(entry.Field(kCompanyField), "D");
  for (int i = kUnitField; i < kEntryFieldCount; ++i) EXPECT_EQ(entry.fields[i], "") << i;

  std::vector<std::string_view> eleven(11, "x");
  eleven[10] = "eleventh";
  entry = EntryFromRoll("KELLY", "Patrick", eleven);
  EXPECT_EQ(entry.Field(kSideField), "x");

  entry = EntryFromRoll("", "", {});
  EXPECT_EQ(entry.surname, "");
  EXPECT_EQ(FullName(entry), "");
}

TEST(SoldierEntry, ControlBytesBecomeBlanks) {
  // A terminal escape, a line break and bytes Windows-1252 leaves undefined (0x9D would turn
  // into an operating system command introducer on some terminals).
  const SoldierEntry entry =
      EntryFromRoll("KEL\x1B[2JLY", "Pat\nrick", {"", "", "", "", "", "Killed\x9D]0;x\x07 at\x81X"});
  EXPECT_EQ(entry.surname, "KEL [2JLY");
  EXPECT_EQ(entry.givenName, "Pat rick");
  EXPECT_EQ(entry.Field(kRemarksField), "Killed ]0;x  at X");
}

TEST(SoldierEntry, GivenNamesAndFullName) {
  struct Case {
    const char* given;
    const char* initial;
    const char* givenNames;
    const char* fullName;
  };
  const Case cases[] = {
      {"Patrick", "G", "Patrick G", "Patrick G. KELLY"},
      {"John A", "A", "John A", "John A. KELLY"},   // the name text has the initial already
      {"John A.", "A", "John A.", "John A. KELLY"},
      {"G A", "", "G A", "G. A. KELLY"},           // initials only
      {"Wm", "", "Wm", "Wm KELLY"},
      {"Anna", "A", "Anna A", "Anna A. KELLY"},      // "A" is not the end of "Anna"
      {"", "J", "J", "J. KELLY"},
      {"", "", "", "KELLY"},
  };
  for (const Case& c : cases) {
    const SoldierEntry entry = Entry(c.given, c.initial);
    EXPECT_EQ(GivenNames(entry), c.givenNames) << c.given << "|" << c.initial;
    EXPECT_EQ(FullName(entry), c.fullName) << c.given << "|" << c.initial;
  }
}
