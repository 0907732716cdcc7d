// What the benchmarks read from a roll by themselves: its keys and entries, and a summary computed
// from a line in memory, which must be the line reader's.
#include "roll_catalog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "line_summary.h"
#include "search_screen.h"
#include "support/test_roll.h"

namespace {

const std::string kFF = "\xFF";

TEST(RollCatalog, WalksKeysInOrderAndVisitsEveryEntryWithItsLine) {
  TestRoll roll;
  for (int i = 0; i < 37; ++i) roll.Add(i % 2 ? "smith" : "Smith", "N" + std::to_string(i));
  roll.Add("Abbott", "ELI", {"X", "Y"});
  roll.Add("Quincy", "ABNER");
  roll.Build();

  RollDatabase db(roll.location, NoPromptDialogue());
  ASSERT_EQ(db.Open(1), 1);
  std::vector<SurnameRun> runs;
  ASSERT_TRUE(ListSurnameRuns(*db.Index(), &runs));
  ASSERT_EQ(runs.size(), 3u);
  for (std::size_t i = 1; i < runs.size(); ++i) EXPECT_LT(runs[i - 1].key, runs[i].key);
  EXPECT_EQ(SurnameOfKey(runs.back().key), "SMITH");
  EXPECT_EQ(runs.back().slotCount, 37);
  EXPECT_GE(LookupDepth(*db.Index(), runs.back().key), 1);

  std::vector<std::string> seen;
  std::string error;
  std::int32_t nameLength = -1;
  ASSERT_TRUE(VisitRollEntries(
      roll.dataDir,
      [&](const RollEntry& e) {
        seen.push_back(std::string(SurnameOfKey(e.run->key)) + "/" + std::to_string(e.slot) + "/" +
                       std::string(e.name) + "/" + std::string(e.line));
        return true;
      },
      &error, &nameLength));
  ASSERT_EQ(seen.size(), 39u);
  EXPECT_EQ(seen.front(), "ABBOTT/0/ELI/X" + kFF + "Y" + kFF + "\n");
  EXPECT_EQ(nameLength, db.NameLength());

  // A visitor that stops ends the visit there.
  int visits = 0;
  EXPECT_FALSE(VisitRollEntries(
      roll.dataDir, [&](const RollEntry&) { return ++visits < 5; }, &error));
  EXPECT_EQ(visits, 5);
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

TEST(WalkIndex, AnEmptyIndexHasNoKeysAndACycleEnds) {
  TestRoll roll;
  roll.Add("Solo", "A");
  roll.Build();
  WriteFileBytes(roll.dataDir + "mroll.tre", std::string(8, '\xFF') + "\x04");
  RollDatabase db(roll.location, NoPromptDialogue());
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

}  // namespace
