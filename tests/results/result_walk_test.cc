// Walking a whole result: every row of every mode in listing order, with its line, while the list
// on screen keeps its page, its filter buffer and its hold on the database.
#include "results/result_walk.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "results/result_list.h"
#include "store/roll_database.h"
#include "support/held_files.h"
#include "support/scripted_message_box.h"
#include "support/test_roll.h"

namespace {

// "SURNAME|name|company" of a walked row.
std::string Brief(const WalkedRow& row) {
  const std::vector<std::string_view> fields = SplitFields(row.line);
  return row.surname + "|" + row.nameText + "|" + std::string(fields.size() > 1 ? fields[1] : "?");
}

std::vector<std::string> WalkAll(SearchSession& s, WalkStart* start = nullptr) {
  ResultWalk walk(s.database, s.list);
  const WalkStart how = walk.Start();
  if (start != nullptr) *start = how;
  std::vector<std::string> rows;
  WalkedRow row;
  while (walk.Next(&row)) rows.push_back(Brief(row));
  EXPECT_EQ(static_cast<std::int64_t>(rows.size()), how == WalkStart::kReady ? walk.Count() : 0);
  return rows;
}

// The same rows the list shows, page by page, from its first page on.
std::vector<std::string> PagedAll(SearchSession& s) {
  std::vector<std::string> rows;
  for (int guard = 0; guard < 100; ++guard) {
    for (int i = 0; i < s.list.RowCount(); ++i) {
      WalkedRow row;
      EXPECT_TRUE(ReadPageRow(s.list, s.database, i, &row));
      rows.push_back(Brief(row));
    }
    if (!s.list.HasNextPage()) break;
    s.list.NextPage();
  }
  return rows;
}

void AddEntries(TestRoll* roll) {
  for (int i = 0; i < 25; ++i)
    roll->Add("Smith", "NAME" + std::to_string(100 + i), SampleFields("C" + std::to_string(i)));
  roll->Add("Smyth", "NED", SampleFields("Y"));
  roll->Add("Solo", "ONLY", SampleFields("S"));
}

class Walk : public ::testing::Test {
 protected:
  void SetUp() override {
    AddEntries(&roll);
    roll.Build();
  }

  TestRoll roll;
  ScriptedMessageBox boxes;
};

TEST_F(Walk, RangeAndFilteredModeGiveEveryRowWhileTheShownPageStays) {
  for (const char* given : {"", "name1"}) {
    SCOPED_TRACE(given);
    SearchSession reference(roll.location);
    reference.Search("Smith", given);
    const std::vector<std::string> expected = PagedAll(reference);
    ASSERT_EQ(expected.size(), 25u);
    EXPECT_EQ(expected.front(), "SMITH|NAME100|C0");
    EXPECT_EQ(expected.back(), "SMITH|NAME124|C24");

    // The screen's list on its second page of eight.
    SearchSession s(roll.location);
    s.Search("Smith", given, true);
    s.list.NextPage();
    const std::vector<std::string> page = s.PageRows();
    const std::int32_t records = s.list.Buffer().RecordCount();

    EXPECT_EQ(WalkAll(s), expected);
    EXPECT_EQ(WalkAll(s), expected) << "a second walk";

    EXPECT_EQ(s.PageRows(), page);
    EXPECT_EQ(s.list.Buffer().RecordCount(), records);
    s.list.NextPage();
    EXPECT_EQ(s.PageNames().front(), "NAME116") << "the page after the shown one";
    s.list.PreviousPage();
    s.list.PreviousPage();
    EXPECT_EQ(s.PageNames().front(), "NAME100");
    // The database still fills the screen's list.
    s.Search("Solo");
    EXPECT_EQ(s.PageRows(), std::vector<std::string>{"SOLO\tONLY\tJ, S, 5 IL INF, PVT, ..."});
  }
}

TEST_F(Walk, FoundModeGivesEachRowItsOwnSurname) {
  SearchSession s(roll.location);
  s.request.SetSurname("SM?TH");
  s.request.SetDatabase(1);
  ASSERT_EQ(s.Find(s.request, FindOptions{MatchMode::kWildcard, {}}, {}), FindOutcome::kShown);
  SearchSession paged(roll.location);
  paged.request = s.request;
  ASSERT_EQ(paged.Find(paged.request, FindOptions{MatchMode::kWildcard, {}}, {}), FindOutcome::kShown);
  const std::vector<std::string> expected = PagedAll(paged);
  ASSERT_EQ(expected.size(), 26u);
  EXPECT_EQ(expected.back(), "SMYTH|NED|Y");

  s.list.NextPage();
  const std::vector<std::string> page = s.PageRows();
  EXPECT_EQ(WalkAll(s), expected);
  EXPECT_EQ(s.PageRows(), page);
}

TEST_F(Walk, NothingToWalkWithoutTheDiskOrWhenTheRollChanged) {
  SearchSession s(roll.location);
  s.Search("Smith");
  const std::vector<std::string> page = s.PageRows();

  std::remove((roll.dataDir + "mrdb.id").c_str());
  boxes.Answer({kIdCancel});
  WalkStart start = WalkStart::kReady;
  EXPECT_TRUE(WalkAll(s, &start).empty());
  EXPECT_EQ(start, WalkStart::kNoData);
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{kDiskPrompt});

  // A roll written anew with another Smith: what the screen lists is no longer what the roll holds.
  // Its files replace the ones the session holds open, where the system can do that.
  TestRoll rewritten;
  AddEntries(&rewritten);
  rewritten.Add("Smith", "NAME999");
  rewritten.Build();
  for (const char* f : {"mroll.cor", "mroll.ext", "mroll.tre", "mrdb.id"}) {
    REPLACE_HELD_FILE_OR_SKIP(rewritten.dataDir + f, roll.dataDir + f);
  }
  EXPECT_TRUE(WalkAll(s, &start).empty());
  EXPECT_EQ(start, WalkStart::kChanged);
  EXPECT_EQ(s.PageRows(), page);

  // An empty result walks as nothing at all.
  s.Search("Nobody");
  EXPECT_TRUE(WalkAll(s, &start).empty());
  EXPECT_EQ(start, WalkStart::kReady);
}

TEST_F(Walk, PageRowsAreReadWithTheirLines) {
  SearchSession s(roll.location);
  s.Search("Solo");
  WalkedRow row;
  ASSERT_TRUE(ReadPageRow(s.list, s.database, 0, &row));
  EXPECT_EQ(row.surname, "SOLO");
  EXPECT_EQ(row.nameText, "ONLY");
  EXPECT_EQ(row.line, JoinFields({"J", "S", "5 IL INF", "PVT", "CORP", "", "12", "34", "56", "U"}));
  EXPECT_FALSE(ReadPageRow(s.list, s.database, 1, &row));
  EXPECT_FALSE(ReadPageRow(s.list, s.database, -1, &row));
}

}  // namespace
