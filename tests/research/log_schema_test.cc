// A log of the first layout is brought up to this program's with every row kept and a copy of the
// old log beside it; a log of a newer layout is left alone.
#include "research/log_schema.h"

#include <gtest/gtest.h>

#include "research_fixture.h"
#include "store/roll_format.h"

namespace {

// The first layout of the log: searches and soldiers with one roll column, no filters, no history.
constexpr const char* kPreviousLayout = R"sql(
CREATE TABLE searches (id INTEGER PRIMARY KEY, searched_at TEXT NOT NULL, roll TEXT NOT NULL,
  surname TEXT NOT NULL, given_name TEXT NOT NULL, match_mode TEXT NOT NULL, result_count INTEGER NOT NULL);
CREATE TABLE soldiers (id INTEGER PRIMARY KEY, saved_at TEXT NOT NULL, roll TEXT NOT NULL,
  surname TEXT NOT NULL, name_text TEXT NOT NULL, line BLOB NOT NULL, status TEXT NOT NULL, notes TEXT NOT NULL);
PRAGMA application_id = 1146252391;
PRAGMA user_version = 1;
INSERT INTO searches VALUES (1, '2024-11-02T09:00:00Z', 'abc', 'MULLER', '', 'soundex', 14);
INSERT INTO searches VALUES (2, '2024-11-02T09:01:00Z', 'abc', 'SMYTHE', 'John', 'exact', 0);
INSERT INTO soldiers VALUES (1, '2024-11-02T09:02:00Z', 'abc', 'MÜLLER', 'Johann', X'4AFF43FF3520504120494E46FF0A',
  'found', 'Same regiment as his brother.');
)sql";

void WritePreviousLog(const std::string& path, const char* extraSql = "") {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  Connection connection(db);
  ASSERT_EQ(Execute(db, kPreviousLayout), SQLITE_OK) << sqlite3_errmsg(db);
  ASSERT_EQ(Execute(db, extraSql), SQLITE_OK) << sqlite3_errmsg(db);
}

// The layout as SQLite keeps it: every table and index with its statement, in name order.
std::string LayoutOf(const std::string& path) {
  Connection db = OpenRaw(path);
  Statement rows(db.get(), "SELECT type, name, sql FROM sqlite_schema ORDER BY name");
  std::string layout;
  while (rows.Step() == SQLITE_ROW) layout += rows.Text(0) + " " + rows.Text(1) + ": " + rows.Text(2) + "\n";
  return layout;
}

using LogSchemaTest = LogTest;

TEST_F(LogSchemaTest, ThePreviousLayoutIsUpgradedWithEveryRowAndACopyKept) {
  WritePreviousLog(path);
  const std::string copy = dir / "research-v1-backup.sqlite";
  {
    ResearchLog log(Settings());
    ASSERT_TRUE(log.Open(path, LogAccess::kRead)) << log.Problem().message;
    EXPECT_EQ(log.Notice(), path + ": upgraded from layout 1 to 2; the log as it was is kept in " + copy);

    std::vector<LoggedSearch> searches;
    ASSERT_TRUE(log.Searches({}, &searches));
    ASSERT_EQ(searches.size(), 2u);
    EXPECT_EQ(DescribeSearch(searches[0]), "MULLER, sounds like (Soundex)");
    EXPECT_EQ(searches[0].count, 14);
    EXPECT_EQ(searches[0].roll.hash, "abc");
    EXPECT_EQ(DescribeSearch(searches[1]), "SMYTHE, given name John, exact spelling");

    SavedSoldier muller;
    ASSERT_TRUE(log.FindSoldier(1, &muller));
    EXPECT_EQ(muller.surname, "M\xDCLLER");
    EXPECT_EQ(muller.indexKey, KeyOf("M\xDCLLER"));  // made from the surname, as the index makes it
    EXPECT_EQ(muller.slot, -1);
    EXPECT_EQ(muller.status, ResearchStatus::kFound);
    EXPECT_EQ(EntryOf(muller).Field(kUnitField), "5 PA INF");
    std::vector<SoldierChange> history;
    ASSERT_TRUE(log.History(1, &history));
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].when, "2024-11-02T09:02:00Z");
    EXPECT_EQ(history[0].notes, "Same regiment as his brother.");

    // Writes go on in the new layout.
    SoldierEdit done;
    done.status = ResearchStatus::kDone;
    EXPECT_TRUE(log.ChangeSoldier(1, done));
  }
  EXPECT_EQ(IntegrityOf(path), "ok");

  // The upgraded log has exactly the layout a new one has.
  const std::string fresh = dir / "fresh.sqlite";
  {
    ResearchLog log(Settings());
    ASSERT_TRUE(log.Open(fresh, LogAccess::kWrite));
  }
  EXPECT_EQ(LayoutOf(path), LayoutOf(fresh));

  // The copy is the old log, whole.
  Connection old = OpenRaw(copy);
  std::int64_t version = 0;
  ASSERT_TRUE(QueryInt(old.get(), "PRAGMA user_version", &version));
  EXPECT_EQ(version, 1);
  EXPECT_EQ(RowsIn(copy, "searches"), 2);
  EXPECT_EQ(RowsIn(copy, "soldiers"), 1);

  // Upgraded once: opening again makes no second copy.
  ResearchLog again(Settings());
  ASSERT_TRUE(again.Open(path, LogAccess::kWrite));
  EXPECT_EQ(again.Notice(), "");
  EXPECT_FALSE(FileExists(dir / "research-v1-backup-2.sqlite"));
}

TEST_F(LogSchemaTest, AnUpgradeThatFailsLeavesTheOldLogAsItWas) {
  // A status the new layout does not allow makes the upgrade fail halfway: in either journal mode
  // the old log may have been written in, its file stays as it was.
  for (const char* journal : {"DELETE", "WAL"}) {
    const std::string old = dir / (std::string(journal) + ".sqlite");
    WritePreviousLog(old, "INSERT INTO soldiers VALUES (2, 'x', 'abc', 'KELLY', 'P', X'0A', 'maybe', '');");
    {
      Connection db = OpenRaw(old);
      ASSERT_EQ(Execute(db.get(), (std::string("PRAGMA journal_mode = ") + journal).c_str()), SQLITE_OK);
    }
    const FileState before = StateOf(old);
    ResearchLog log(Settings());
    EXPECT_FALSE(log.Open(old, LogAccess::kWrite)) << journal;
    EXPECT_EQ(log.Problem().kind, LogProblemKind::kCannotUpgrade) << journal;
    EXPECT_NE(log.Problem().message.find(
                  "written by an older version of Dravenholt (layout 1) and cannot be upgraded"),
              std::string::npos)
        << log.Problem().message;
    EXPECT_TRUE(log.Problem().Lasting());
    EXPECT_EQ(StateOf(old), before) << journal;
    EXPECT_EQ(RowsIn(old, "soldiers"), 2) << journal;
  }
}

TEST_F(LogSchemaTest, ANewerLayoutIsLeftAloneBeforeSqliteOpensIt) {
  {
    ResearchLog log(Settings());
    ASSERT_TRUE(log.Open(path, LogAccess::kWrite));
    LoggedSearch search = SampleSearch("KELLY", 2);
    ASSERT_TRUE(log.RecordSearch(&search));
  }
  {
    Connection db = OpenRaw(path);
    ASSERT_EQ(Execute(db.get(), "PRAGMA user_version = 3"), SQLITE_OK);
  }
  const FileState before = StateOf(path);
  ResearchLog log(Settings());
  EXPECT_FALSE(log.Open(path, LogAccess::kWrite));
  EXPECT_EQ(log.Problem().kind, LogProblemKind::kNewer);
  EXPECT_EQ(log.Problem().message, path +
                                       ": written by a newer version of Dravenholt (layout 3; this version "
                                       "knows up to 2); it is left as it is");
  EXPECT_EQ(StateOf(path), before);
  EXPECT_FALSE(FileExists(path + "-wal"));
  EXPECT_FALSE(FileExists(path + "-shm"));
}

}  // namespace
