// The recorder queues and never waits: a log held by another program, or one that cannot be used
// at all, costs the poster nothing, and each problem is told once.
#include "research/research_recorder.h"

#include <gtest/gtest.h>

#include <mutex>

#include "research_fixture.h"

namespace {

// The messages a recorder reported, in order.
class Reports {
 public:
  ResearchRecorder::Report Sink() {
    return [this](const std::string& message) {
      std::lock_guard<std::mutex> lock(mutex);
      messages.push_back(message);
    };
  }
  std::vector<std::string> Taken() {
    std::lock_guard<std::mutex> lock(mutex);
    return messages;
  }

 private:
  std::mutex mutex;
  std::vector<std::string> messages;
};

using ResearchRecorderTest = LogTest;

TEST_F(ResearchRecorderTest, ABusyLogIsToldOnceAndWrittenAgainOnceFree) {
  {
    ResearchLog made;
    ASSERT_TRUE(made.Open(path, LogAccess::kWrite));
  }
  Connection other = OpenRaw(path);
  ASSERT_EQ(Execute(other.get(), "BEGIN EXCLUSIVE"), SQLITE_OK);

  Reports reports;
  ResearchRecorder recorder(path, reports.Sink(), Settings(100));
  // Posting returns at once although every one of these will wait for the lock and give up.
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(recorder.RecordSearch(SampleSearch("HELD" + std::to_string(i), i)));
  ASSERT_TRUE(recorder.WaitIdle(std::chrono::seconds(30)));
  EXPECT_EQ(reports.Taken(),
            std::vector<std::string>{path + ": in use by another program for longer than 0.1 seconds"});

  ASSERT_EQ(Execute(other.get(), "COMMIT"), SQLITE_OK);
  EXPECT_TRUE(recorder.RecordSearch(SampleSearch("FREE", 1)));
  ASSERT_TRUE(recorder.WaitIdle(std::chrono::seconds(30)));
  EXPECT_EQ(RowsIn(path, "searches"), 1);
  EXPECT_EQ(reports.Taken().size(), 1u);
}

TEST_F(ResearchRecorderTest, ALogThatCannotBeUsedIsToldOnceAndNotTriedAgain) {
  WriteFileBytes(
      path, "not a database, and long enough to have a header of a hundred bytes: " + std::string(100, '.'));
  const FileState before = StateOf(path);
  Reports reports;
  {
    ResearchRecorder recorder(path, reports.Sink(), Settings());
    for (int i = 0; i < 5; ++i) recorder.RecordSearch(SampleSearch("KELLY", i));
    ASSERT_TRUE(recorder.WaitIdle(std::chrono::seconds(30)));
  }
  EXPECT_EQ(
      reports.Taken(),
      std::vector<std::string>{path + ": not a research log (not an SQLite database); it is left as it is"});
  EXPECT_EQ(StateOf(path), before);
}

TEST_F(ResearchRecorderTest, WhatIsQueuedIsWrittenBeforeTheRecorderStops) {
  Reports reports;
  {
    ResearchRecorder recorder(path, reports.Sink(), Settings());
    for (int i = 0; i < 50; ++i) recorder.RecordSearch(SampleSearch("KELLY", i));
    recorder.Post([](ResearchLog& log) {
      SavedSoldier soldier = SampleSoldier("KELLY", 7);
      soldier.searchId = log.LastRecordedSearch();
      bool already = false;
      return log.SaveSoldier(&soldier, &already);
    });
  }
  EXPECT_TRUE(reports.Taken().empty());
  EXPECT_EQ(RowsIn(path, "searches"), 50);
  Connection db = OpenRaw(path);
  std::int64_t linked = 0;
  ASSERT_TRUE(QueryInt(db.get(), "SELECT search_id FROM soldiers", &linked));
  EXPECT_EQ(linked, 50);
}

}  // namespace
