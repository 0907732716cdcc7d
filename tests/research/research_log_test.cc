// What the log keeps: searches (those that found nothing too), saved soldiers with the entry as
// found, their status and notes with every change, across closing and opening again.
#include <gtest/gtest.h>

#include "research_fixture.h"
#include "store/roll_format.h"

namespace {

using ResearchLogTest = LogTest;

TEST_F(ResearchLogTest, SearchesAreKeptWithEveryFieldAndThoseThatFoundNothing) {
  {
    ResearchLog log(Settings());
    ASSERT_TRUE(log.Open(path, LogAccess::kWrite)) << log.Problem().message;
    LoggedSearch muller = SampleSearch("MULLER", 12);
    muller.mode = "soundex";
    muller.givenName = "J";
    muller.side = "U";
    muller.state = "PA";
    muller.unit = "INF";
    muller.company = "K";
    ASSERT_TRUE(log.RecordSearch(&muller));
    LoggedSearch nobody = SampleSearch("SMYTHE", 0);
    ASSERT_TRUE(log.RecordSearch(&nobody));
    EXPECT_EQ(log.LastRecordedSearch(), nobody.id);
    EXPECT_LT(muller.id, nobody.id);
    EXPECT_EQ(muller.when, "2025-03-01T10:00:00Z");
  }
  ResearchLog again(Settings());
  ASSERT_TRUE(again.Open(path, LogAccess::kRead)) << again.Problem().message;
  std::vector<LoggedSearch> searches;
  ASSERT_TRUE(again.Searches({}, &searches));
  ASSERT_EQ(searches.size(), 2u);
  const LoggedSearch& muller = searches[0];
  EXPECT_EQ(DescribeSearch(muller),
            "MULLER, given name J, sounds like (Soundex), Union, state PA, unit \"INF\", company K");
  EXPECT_EQ(muller.count, 12);
  EXPECT_EQ(muller.roll.label, "KINLOOM3");
  EXPECT_EQ(muller.roll.hash, "00000000000000000000000000000001");
  EXPECT_EQ(muller.program, "test");
  EXPECT_EQ(searches[1].surname, "SMYTHE");
  EXPECT_EQ(searches[1].count, 0);

  LogFilter newest;
  newest.newestFirst = true;
  newest.surname = "smythe";
  ASSERT_TRUE(again.Searches(newest, &searches));
  ASSERT_EQ(searches.size(), 1u);
  EXPECT_EQ(searches[0].surname, "SMYTHE");
}

TEST_F(ResearchLogTest, ASoldierIsSavedOnceWithTheEntryAsFoundByteForByte) {
  ResearchLog log(Settings());
  ASSERT_TRUE(log.Open(path, LogAccess::kWrite));
  LoggedSearch search = SampleSearch("KELLY", 3);
  ASSERT_TRUE(log.RecordSearch(&search));

  SavedSoldier kelly = SampleSoldier("KELLY", 17);
  kelly.notes = "Check the pension index";
  kelly.searchId = search.id;
  const SavedSoldier asGiven = kelly;
  bool already = true;
  ASSERT_TRUE(log.SaveSoldier(&kelly, &already)) << log.Problem().message;
  EXPECT_FALSE(already);
  EXPECT_EQ(kelly.searchId, search.id);

  SavedSoldier twice = SampleSoldier("KELLY", 17);
  ASSERT_TRUE(log.SaveSoldier(&twice, &already));
  EXPECT_TRUE(already);
  EXPECT_EQ(twice.id, kelly.id);
  EXPECT_EQ(twice.notes, "Check the pension index");  // the saved one, not the one offered again

  // Another slot of the same key is another man; a search the log does not hold is not linked.
  SavedSoldier other = SampleSoldier("KELLY", 18);
  other.searchId = 999;
  ASSERT_TRUE(log.SaveSoldier(&other, &already));
  EXPECT_FALSE(already);
  EXPECT_EQ(other.searchId, 0);

  SavedSoldier read;
  ASSERT_TRUE(log.FindSoldier(kelly.id, &read));
  EXPECT_EQ(read.line, asGiven.line);  // 0xFF separators and all
  EXPECT_EQ(read.nameText, "Ren\xE9");
  EXPECT_EQ(read.indexKey, asGiven.indexKey);
  EXPECT_EQ(read.slot, 17);
  EXPECT_EQ(read.status, ResearchStatus::kToDo);
  EXPECT_EQ(FullName(EntryOf(read)), "Ren\xC3\xA9 G. KELLY");
  EXPECT_EQ(EntryOf(read).Field(kUnitField), "25 BTRY OH LT ART");

  std::vector<SoldierChange> history;
  ASSERT_TRUE(log.History(kelly.id, &history));
  ASSERT_EQ(history.size(), 1u);
  EXPECT_EQ(history[0].what, "saved");
  EXPECT_EQ(history[0].notes, "Check the pension index");
}

TEST_F(ResearchLogTest, EveryChangeOfStatusAndNotesIsDatedInTheHistory) {
  ResearchLog log(Settings());
  ASSERT_TRUE(log.Open(path, LogAccess::kWrite));
  SavedSoldier kelly = SampleSoldier("KELLY", 1);
  bool already = false;
  ASSERT_TRUE(log.SaveSoldier(&kelly, &already));

  SoldierEdit ordered;
  ordered.status = ResearchStatus::kRecordsOrdered;
  ordered.notes = "Ordered the pension file.";
  ordered.appendNotes = true;
  ASSERT_TRUE(log.ChangeSoldier(kelly.id, ordered));
  SoldierEdit arrived;
  arrived.notes = "It arrived: he is ours.";
  arrived.appendNotes = true;
  ASSERT_TRUE(log.ChangeSoldier(kelly.id, arrived));
  SoldierEdit done;
  done.status = ResearchStatus::kDone;
  ASSERT_TRUE(log.ChangeSoldier(kelly.id, done));
  ASSERT_TRUE(log.ChangeSoldier(kelly.id, done));  // changes nothing: no history entry
  SoldierEdit rewritten;
  rewritten.notes = "Pension file read.";
  ASSERT_TRUE(log.ChangeSoldier(kelly.id, rewritten));

  std::vector<SoldierChange> history;
  ASSERT_TRUE(log.History(kelly.id, &history));
  ASSERT_EQ(history.size(), 5u);
  EXPECT_EQ(history[1].what, "status, notes");
  EXPECT_EQ(history[1].status, ResearchStatus::kRecordsOrdered);
  EXPECT_EQ(history[2].what, "notes");
  EXPECT_EQ(history[2].notes, "Ordered the pension file.\n\nIt arrived: he is ours.");
  EXPECT_EQ(history[3].what, "status");
  EXPECT_EQ(history[4].notes, "Pension file read.");
  for (std::size_t i = 1; i < history.size(); ++i) EXPECT_LT(history[i - 1].when, history[i].when);

  SavedSoldier read;
  ASSERT_TRUE(log.FindSoldier(kelly.id, &read));
  EXPECT_EQ(read.status, ResearchStatus::kDone);
  EXPECT_EQ(read.notes, "Pension file read.");
  EXPECT_EQ(read.changedAt, history.back().when);

  EXPECT_FALSE(log.ChangeSoldier(kelly.id + 100, done));
  EXPECT_EQ(log.Problem().kind, LogProblemKind::kNoSuchSoldier);
  EXPECT_EQ(log.Problem().message, path + ": no saved soldier " + std::to_string(kelly.id + 100));
  EXPECT_FALSE(log.Problem().Lasting());
}

TEST_F(ResearchLogTest, SoldiersAreListedByStatusAndSurname) {
  ResearchLog log(Settings());
  ASSERT_TRUE(log.Open(path, LogAccess::kWrite));
  bool already = false;
  const char* const surnames[] = {"KELLY", "MULLER", "KELLY"};
  for (int i = 0; i < 3; ++i) {
    SavedSoldier soldier = SampleSoldier(surnames[i], i);
    ASSERT_TRUE(log.SaveSoldier(&soldier, &already));
  }
  SoldierEdit found;
  found.status = ResearchStatus::kFound;
  ASSERT_TRUE(log.ChangeSoldier(3, found));

  std::vector<SavedSoldier> soldiers;
  LogFilter kellys;
  kellys.surname = "Kelly";
  ASSERT_TRUE(log.Soldiers(kellys, &soldiers));
  ASSERT_EQ(soldiers.size(), 2u);
  kellys.status = ResearchStatus::kFound;
  ASSERT_TRUE(log.Soldiers(kellys, &soldiers));
  ASSERT_EQ(soldiers.size(), 1u);
  EXPECT_EQ(soldiers[0].id, 3);
}

TEST_F(ResearchLogTest, ALogHeldByAnotherProgramGivesUpAfterTheBusyTimeoutAndThenGoesOn) {
  ResearchLog log(Settings(100));
  ASSERT_TRUE(log.Open(path, LogAccess::kWrite));
  Connection other = OpenRaw(path);
  ASSERT_EQ(Execute(other.get(), "BEGIN EXCLUSIVE"), SQLITE_OK);

  LoggedSearch search = SampleSearch("KELLY", 1);
  EXPECT_FALSE(log.RecordSearch(&search));
  EXPECT_EQ(log.Problem().kind, LogProblemKind::kBusy);
  EXPECT_EQ(log.Problem().message, path + ": in use by another program for longer than 0.1 seconds");
  EXPECT_FALSE(log.Problem().Lasting());
  // Reading is not held up by a writer.
  std::vector<LoggedSearch> searches;
  EXPECT_TRUE(log.Searches({}, &searches));

  ASSERT_EQ(Execute(other.get(), "COMMIT"), SQLITE_OK);
  EXPECT_TRUE(log.RecordSearch(&search)) << log.Problem().message;
  EXPECT_EQ(RowsIn(path, "searches"), 1);
}

TEST_F(ResearchLogTest, WhatAnotherProgramPutInTheLogIsReadWithinBounds) {
  ResearchLog log(Settings());
  ASSERT_TRUE(log.Open(path, LogAccess::kWrite));
  SavedSoldier kelly = SampleSoldier("KELLY", 1);
  bool already = false;
  ASSERT_TRUE(log.SaveSoldier(&kelly, &already));
  {
    Connection other = OpenRaw(path);
    ASSERT_EQ(
        Execute(other.get(),
                "UPDATE soldiers SET line = zeroblob(20000000), name_text = printf('%.*c', 5000000, 'x')"),
        SQLITE_OK);
  }
  SavedSoldier read;
  ASSERT_TRUE(log.FindSoldier(kelly.id, &read));
  EXPECT_EQ(read.line.size(), 4999u);
  EXPECT_EQ(read.nameText.size(), 1024u);
}

TEST(ResearchStatusTest, WordsAreReadAsTheyAreWrittenOnACommandLine) {
  ResearchStatus status;
  ASSERT_TRUE(ParseStatus("records-ordered", &status));
  EXPECT_EQ(status, ResearchStatus::kRecordsOrdered);
  ASSERT_TRUE(ParseStatus("Not_This_Man", &status));
  EXPECT_EQ(status, ResearchStatus::kNotThisMan);
  EXPECT_FALSE(ParseStatus("todo", &status));
  EXPECT_EQ(StatusChoices(), "to-do, found, not-this-man, records-ordered, done");
}

}  // namespace
