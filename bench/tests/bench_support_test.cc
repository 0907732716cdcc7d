// The SQLite side of the benchmarks must show what the engine shows, or its timings mean nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "line_summary.h"
#include "roll_catalog.h"
#include "sqlite_roll.h"
#include "support/test_roll.h"

namespace {

const std::string kFF = "\xFF";

// A roll with a common surname (names in mixed case, short, with initials and punctuation), a
// few rare ones, and lines that exercise every turn of the summary.
class SideBySide : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* names[] = {"John", "JOHNNY", "jon", "J. W.", "J", "Mary Ann", "MARY", "", "JOHN W", "Zeb"};
    for (int i = 0; i < 37; ++i) {
      std::vector<std::string> fields = SampleFields(std::string(1, static_cast<char>('A' + i % 7)));
      if (i % 5 == 1) fields[5] = "DIED OF WOUNDS RECEIVED AT GETTYSBURG JULY 3 1863";
      if (i % 5 == 2) fields[0] = "  ";
      if (i % 5 == 3) fields[1] = "";
      roll.Add(i % 2 ? "smith" : "Smith", names[i % 10], fields);
    }
    roll.Add("Abbott", "ELI", {std::string(29, 'X'), "Y"});
    roll.Add("M\xE9ndez", "JOS\xC9", {std::string(30, 'Q')});
    roll.Add("Quincy", "ABNER", {"A  ", "", "   ", "B"});
    roll.Add("Abcdefghijklmnopqrstu", "LONG", SampleFields());
    roll.Build();
    ASSERT_TRUE(LoadSqliteRoll(roll.dataDir, roll.familyDir + "roll.sqlite", &error, &rows)) << error;
    ASSERT_TRUE(sqlite.Open(roll.familyDir + "roll.sqlite"));
  }

  // Runs the same search on both sides and compares count and page, then pages forward to the
  // end and back to the start comparing every page.
  void ExpectSame(const std::string& surname, const std::string& given) {
    SCOPED_TRACE(surname + " / " + given);
    SearchSession engine(roll.location);
    engine.Search(surname, given);
    sqlite.Search(surname, given);
    ASSERT_EQ(engine.list.ResultCount(), sqlite.count);
    ASSERT_EQ(engine.PageRows(), sqlite.FormattedRows());
    if (engine.list.RowCount() > 0) {
      EXPECT_EQ(std::string(engine.list.DetailText(0)), sqlite.DetailText(0));
    }
    int turns = 0;
    while (engine.list.HasNextPage() && turns++ < 10) {
      ASSERT_TRUE(sqlite.HasNextPage());
      engine.list.NextPage();
      sqlite.NextPage();
      ASSERT_EQ(engine.PageRows(), sqlite.FormattedRows()) << "forward page " << turns;
    }
    EXPECT_FALSE(sqlite.HasNextPage());
    for (int back = 0; back <= turns; ++back) {
      engine.list.PreviousPage();
      sqlite.PreviousPage();
      ASSERT_EQ(engine.PageRows(), sqlite.FormattedRows()) << "backward page " << back;
    }
  }

  TestRoll roll;
  SqliteSession sqlite;
  std::string error;
  std::int64_t rows = 0;
};

}  // namespace

TEST_F(SideBySide, LoadsEveryEntryOnce) { EXPECT_EQ(rows, 41); }

TEST_F(SideBySide, SurnameSearchesShowTheSamePagesAndDetail) {
  for (const char* surname : {"Smith", "SMITH", "abbott", "M\xE9ndez", "m\xE9ndez", "Quincy", "Nobody",
                              "Abcdefghijklmnopqrstu"}) {
    ExpectSame(surname, "");
  }
}

TEST_F(SideBySide, GivenNamePrefixesMatchTheSameEntries) {
  // Whole words, one letter, a prefix longer than some names, punctuation after the letters,
  // a leading non-letter, lower case, and nothing at all.
  for (const char* given : {"john", "J", "JOHNNY", "J. W.", "MARY ANN", ".", "jo", "Q", "JOHNX"}) {
    ExpectSame("Smith", given);
  }
}

TEST_F(SideBySide, TheCatalogWalksKeysInOrderWithTheirRuns) {
  RollDatabase db(roll.location);
  ASSERT_EQ(db.Open(1), 1);
  std::vector<SurnameRun> runs;
  ASSERT_TRUE(ListSurnameRuns(*db.Index(), &runs));
  ASSERT_EQ(runs.size(), 5u);
  for (std::size_t i = 1; i < runs.size(); ++i) EXPECT_LT(runs[i - 1].key, runs[i].key);
  std::int32_t slots = 0;
  for (const SurnameRun& r : runs) slots += r.slotCount;
  EXPECT_EQ(slots, 41);
  EXPECT_EQ(SurnameOfKey(runs.back().key), "SMITH");
  EXPECT_EQ(runs.back().slotCount, 37);
  EXPECT_GE(LookupDepth(*db.Index(), runs.back().key), 1);
}

TEST(RowSummary, ReportsHowMuchOfTheLineItLookedAt) {
  int consumed = 0;
  const std::string shortLine = "A" + kFF + "B" + kFF + "\n";
  EXPECT_EQ(RowSummary(shortLine, &consumed), "A, B,  ");  // the line feed shown as a space
  EXPECT_EQ(consumed, static_cast<int>(shortLine.size()));
  const std::string longLine = std::string(40, 'Z') + kFF + "\n";
  EXPECT_EQ(RowSummary(longLine, &consumed), std::string(30, 'Z') + "...");
  EXPECT_EQ(consumed, 31);  // thirty bytes and the one that shows the cut
  EXPECT_EQ(RowSummary("", &consumed), "...");
  EXPECT_EQ(consumed, 0);
}

TEST(LoadSqliteRoll, ANonRollLeavesNoDatabaseBehind) {
  TestRoll roll;  // directories only, nothing built
  std::string error;
  const std::string db = roll.familyDir + "roll.sqlite";
  EXPECT_FALSE(LoadSqliteRoll(roll.dataDir, db, &error));
  EXPECT_NE(error.find(roll.dataDir), std::string::npos) << error;
  EXPECT_FALSE(FileExists(db));
  EXPECT_FALSE(FileExists(db + ".tmp"));
}

TEST(LoadSqliteRoll, AnUnreadableIndexIsRefusedNotHalfLoaded) {
  TestRoll roll;
  for (int i = 0; i < 40; ++i) roll.Add("Name" + std::string(1, static_cast<char>('a' + i % 26)) + std::to_string(i), "A");
  roll.Build();
  // The root's first child: its entry count made impossible.
  RollDatabase db(roll.location);
  ASSERT_EQ(db.Open(1), 1);
  const std::int32_t child = db.Index()->RootCache().children[0];
  ASSERT_GT(child, 0);
  db.Close();
  Corrupt(roll.dataDir + "mroll.tre", child, Le32(9));
  std::string error;
  EXPECT_FALSE(LoadSqliteRoll(roll.dataDir, roll.familyDir + "roll.sqlite", &error));
  EXPECT_NE(error.find("mroll.tre"), std::string::npos) << error;
  EXPECT_FALSE(FileExists(roll.familyDir + "roll.sqlite"));
}

TEST(WalkIndex, AnEmptyIndexHasNoKeysAndACycleEnds) {
  TestRoll roll;
  roll.Add("Solo", "A");
  roll.Build();
  WriteFileBytes(roll.dataDir + "mroll.tre", std::string(8, '\xFF') + "\x04");
  RollDatabase db(roll.location);
  ASSERT_EQ(db.Open(1), 1);
  std::vector<SurnameRun> runs;
  EXPECT_TRUE(ListSurnameRuns(*db.Index(), &runs));
  EXPECT_TRUE(runs.empty());
  db.Close();

  // A root whose first child is the root itself.
  std::string node = Le32(1) + Le32(0) + Le32(1) + "SOLO" + std::string(18, ' ') + std::string(2, '\0') +
                     std::string(96, '\0') + Le32(8) + Le32(-1) + Le32(-1) + Le32(-1) + Le32(-1);
  ASSERT_EQ(node.size(), 152u);
  WriteFileBytes(roll.dataDir + "mroll.tre", Le32(8) + Le32(-1) + node + "\x04");
  ASSERT_EQ(db.Open(1), 1);
  EXPECT_FALSE(ListSurnameRuns(*db.Index(), &runs));
}
