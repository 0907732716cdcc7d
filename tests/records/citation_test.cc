#include "records/citation.h"

#include <gtest/gtest.h>

namespace {

const char* const kSource =
    "Kinloom Disk 3, Civil War muster-roll database (CD-ROM), searched with Dravenholt";

SoldierEntry Kelly() {
  return EntryFromRoll("KELLY", "Patrick",
                       {"G", "G", "25 BTRY OH LT ART", "CORP", "SERG", "", "12", "34", "5678", "U"});
}

}  // namespace

TEST(Citation, AWholeEntry) {
  EXPECT_EQ(PlainCitation(Kelly()),
            std::string("Patrick G. KELLY, Company G, 25th Battery, Ohio Light Artillery (Union), "
                        "rank in CORP, rank out SERG. Source: ") +
                kSource + ". National Archives microfilm: box 12, roll 34, record 5678.");
  EXPECT_EQ(EvidenceCitation(Kelly()),
            std::string(kSource) +
                ", entry for Patrick G. KELLY, Co. G, 25th Battery, Ohio Light Artillery (Union), "
                "rank in CORP, rank out SERG; citing National Archives microfilm, box 12, roll 34, "
                "record 5678.");
}

TEST(Citation, PartsTheEntryLacksAreLeftOutWithTheirWords) {
  // Field and staff, no unit but a side, only a microfilm roll.
  const SoldierEntry smith = EntryFromRoll("SMITH", "John", {" ", "F&S", "", "", "", "", " ", "7", " ", "C"});
  EXPECT_EQ(PlainCitation(smith), std::string("John SMITH, Field and Staff, Confederate. Source: ") +
                                      kSource + ". National Archives microfilm: roll 7.");
  EXPECT_EQ(EvidenceCitation(smith), std::string(kSource) +
                                         ", entry for John SMITH, Field and Staff, Confederate; "
                                         "citing National Archives microfilm, roll 7.");

  // An abbreviation the unit list does not know, ranks that end in a full stop, no microfilm.
  const SoldierEntry jones = EntryFromRoll("JONES", "", {"", "", "99 ZZ INF", "SERG.", "SERG."});
  EXPECT_EQ(PlainCitation(jones),
            std::string("JONES, 99 ZZ INF, rank in SERG., rank out SERG. Source: ") + kSource + ".");
  EXPECT_EQ(EvidenceCitation(jones),
            std::string(kSource) + ", entry for JONES, 99 ZZ INF, rank in SERG., rank out SERG.");

  const SoldierEntry nobody = EntryFromRoll("", "", {});
  EXPECT_EQ(PlainCitation(nobody), std::string("Source: ") + kSource + ".");
  EXPECT_EQ(EvidenceCitation(nobody), std::string(kSource) + ".");
}

TEST(Citation, NamesKeepTheirAccentsAndApostrophes) {
  const SoldierEntry entry = EntryFromRoll("O'BRIEN", "Jos\xE9", {"", "B", "1 AL CAV", "PVT", "PVT", "", "3", "1", "9", "U"});
  EXPECT_EQ(EvidenceCitation(entry),
            std::string(kSource) +
                ", entry for Jos\u00E9 O'BRIEN, Co. B, 1st Alabama Cavalry (Union), rank in PVT, "
                "rank out PVT; citing National Archives microfilm, box 3, roll 1, record 9.");
  EXPECT_EQ(MicrofilmReference(entry), "box 3, roll 1, record 9");
}
