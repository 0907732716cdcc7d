// Logs that cannot be used: each is reported with a message naming the file and what is wrong, the
// caller goes on, and the file is left exactly as it was. Also where a new log is made, and what a
// full disk does to one that holds rows already.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/user_file.h"
#include "research_fixture.h"
#include "support/fifo.h"
#include "support/full_disk.h"
#include "support/unprivileged.h"

namespace {

using LogFileTest = LogTest;

// A log with `searches` searches recorded, closed again.
void WriteLog(const std::string& path, int searches) {
  ResearchLog log;
  ASSERT_TRUE(log.Open(path, LogAccess::kWrite)) << log.Problem().message;
  for (int i = 0; i < searches; ++i) {
    LoggedSearch search = SampleSearch("SURNAME" + std::to_string(i), i);
    ASSERT_TRUE(log.RecordSearch(&search)) << log.Problem().message;
  }
}

int ModeOf(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
}

TEST_F(LogFileTest, AMissingLogIsMadeOnlyToWriteAndThenPrivately) {
  const std::string nested = dir / "data/dravenholt/research.sqlite";
  ResearchLog reader(Settings());
  EXPECT_FALSE(reader.Open(nested, LogAccess::kRead));
  EXPECT_EQ(reader.Problem().kind, LogProblemKind::kMissing);
  EXPECT_EQ(reader.Problem().message, nested + ": there is no research log yet");
  EXPECT_FALSE(FileExists(dir / "data"));

  ResearchLog writer(Settings());
  ASSERT_TRUE(writer.Open(nested, LogAccess::kWrite)) << writer.Problem().message;
  EXPECT_EQ(ModeOf(dir / "data"), 0700);
  EXPECT_EQ(ModeOf(dir / "data/dravenholt"), 0700);
  EXPECT_EQ(ModeOf(nested), 0600);
  LoggedSearch search = SampleSearch("KELLY", 1);
  ASSERT_TRUE(writer.RecordSearch(&search));
  EXPECT_EQ(ModeOf(nested + "-wal"), 0600);  // SQLite gives its files the log's own permissions

  ResearchLog none;
  EXPECT_FALSE(none.Open("", LogAccess::kWrite));
  EXPECT_EQ(none.Problem().kind, LogProblemKind::kNoPlace);
}

TEST_F(LogFileTest, WhatIsNoLogIsNamedAndLeftExactlyAsItWas) {
  struct Case {
    const char* name;
    LogProblemKind kind;
    const char* message;  // after "<path>: "
  };
  const Case cases[] = {
      {"fifo", LogProblemKind::kNotRegular, "a FIFO, not a research log; it is left as it is"},
      {"directory", LogProblemKind::kNotRegular, "a directory, not a research log; it is left as it is"},
      {"text", LogProblemKind::kNotALog, "not a research log (not an SQLite database); it is left as it is"},
      {"short", LogProblemKind::kNotALog, "not a research log (not an SQLite database); it is left as it is"},
      {"other", LogProblemKind::kNotALog,
       "not a research log (another program's SQLite database); it is left as it is"},
      {"damaged", LogProblemKind::kDamaged, nullptr},
  };
  ASSERT_TRUE(MakeFifo(dir / "fifo"));
  ASSERT_TRUE(MakeDirectory(dir / "directory"));
  WriteFileBytes(dir / "text", "surname,given\nKELLY,Patrick\n");
  WriteFileBytes(dir / "short", "SQLite format 3");
  {
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open((dir / "other").c_str(), &other), SQLITE_OK);
    Connection owned(other);
    ASSERT_EQ(Execute(other, "CREATE TABLE bookmarks (url TEXT)"), SQLITE_OK);
  }
  WriteLog(dir / "damaged", 300);
  // A page in the middle of the searches' table made nonsense: the log's own header is still whole.
  Corrupt(dir / "damaged", 4096 * 3, std::string(64, '\x5A'));

  for (const Case& c : cases) {
    const std::string file = dir / c.name;
    const FileState before = StateOf(file);
    for (LogAccess access : {LogAccess::kRead, LogAccess::kWrite}) {
      ResearchLog log(Settings());
      EXPECT_FALSE(log.Open(file, access)) << c.name;
      EXPECT_EQ(log.Problem().kind, c.kind) << c.name << ": " << log.Problem().message;
      EXPECT_TRUE(log.Problem().Lasting()) << c.name;
      if (c.message) {
        EXPECT_EQ(log.Problem().message, file + ": " + c.message);
      } else {
        EXPECT_EQ(log.Problem().message.rfind(file + ": damaged (", 0), 0u) << log.Problem().message;
      }
    }
    EXPECT_EQ(StateOf(file), before) << c.name;
    EXPECT_FALSE(FileExists(file + "-wal")) << c.name;
    EXPECT_FALSE(FileExists(file + "-shm")) << c.name;
  }
}

TEST_F(LogFileTest, AReadOnlyLogIsReadButNotWritten) {
  OpenToOthers(dir.Prefix());
  const std::string shared = dir / "shared";
  ASSERT_TRUE(MakeDirectory(shared));
  ASSERT_EQ(chmod(shared.c_str(), 0777), 0);
  // As a user without privileges, whom the file's mode binds.
  EXPECT_EQ(
      RunUnprivileged([&] {
        const std::string own = shared + "/own.sqlite";
        WriteLog(own, 2);
        if (::testing::Test::HasFailure() || chmod(own.c_str(), 0400) != 0) return 1;
        ResearchLog writer;
        if (writer.Open(own, LogAccess::kWrite) || writer.Problem().kind != LogProblemKind::kReadOnly ||
            writer.Problem().message != own + ": cannot be written (read-only)") {
          return 2;
        }
        ResearchLog reader;
        std::vector<LoggedSearch> searches;
        if (!reader.Open(own, LogAccess::kRead) || !reader.Searches({}, &searches) || searches.size() != 2)
          return 3;
        LoggedSearch search = SampleSearch("KELLY", 1);
        if (reader.RecordSearch(&search) ||
            reader.Problem().message != own + ": cannot be written (read-only)")
          return 4;
        return 0;
      }),
      0);
}

TEST_F(LogFileTest, AnotherUsersLogIsNeitherReadNorWritten) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to make a file of another user's";
  OpenToOthers(dir.Prefix());
  WriteLog(path, 1);
  ASSERT_EQ(chmod(path.c_str(), 0666), 0);
  const FileState before = StateOf(path);
  EXPECT_EQ(RunUnprivileged([&] {
              ResearchLog log;
              const bool refused =
                  !log.Open(path, LogAccess::kWrite) &&
                  log.Problem().message == path + ": belongs to another user; it is left as it is";
              return refused ? 0 : 1;
            }),
            0);
  EXPECT_EQ(StateOf(path), before);
}

TEST_F(LogFileTest, ALinkInAStickyDirectoryToAnotherUsersFileIsNotFollowedToWrite) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to act as two users";
  OpenToOthers(dir.Prefix());
  const std::string sticky = dir / "tmp";
  ASSERT_TRUE(MakeDirectory(sticky));
  ASSERT_EQ(chmod(sticky.c_str(), 01777), 0);
  const std::string victim = dir / "tmp/victim";
  const std::string link = dir / "tmp/research.sqlite";
  // Another user's file, and that user's link to it where this one would keep a log.
  ASSERT_EQ(RunUnprivileged([&] {
              WriteFileBytes(victim, "");
              return symlink(victim.c_str(), link.c_str()) == 0 ? 0 : 1;
            }),
            0);
  const FileState before = StateOf(victim);
  ResearchLog log(Settings());
  EXPECT_FALSE(log.Open(link, LogAccess::kWrite));
  // The kernel refuses the link where sticky directories are protected; elsewhere it is followed to
  // a file that is not this user's. Either way nothing is written.
  EXPECT_TRUE(log.Problem().message == link + ": cannot be opened: Permission denied; it is left as it is" ||
              log.Problem().message == link + ": belongs to another user; it is left as it is")
      << log.Problem().message;
  EXPECT_EQ(StateOf(victim), before);
  EXPECT_EQ(KindAtPath(link), FileKind::kSymlink);
}

TEST_F(LogFileTest, AWalFileThatIsALinkStopsTheLogFromBeingOpened) {
  WriteLog(path, 1);
  WriteFileBytes(dir / "elsewhere", "not to be written");
  ASSERT_EQ(symlink((dir / "elsewhere").c_str(), (path + "-wal").c_str()), 0);
  const FileState log = StateOf(path);
  ResearchLog opened(Settings());
  EXPECT_FALSE(opened.Open(path, LogAccess::kWrite));
  EXPECT_EQ(
      opened.Problem().message,
      path + "-wal: a symbolic link, not the log's own file; the research log beside it is left as it is");
  EXPECT_EQ(ReadFileBytes(dir / "elsewhere"), "not to be written");
  EXPECT_EQ(StateOf(path), log);
}

TEST_F(LogFileTest, AFullDiskLosesNothingSavedBefore) {
  WriteLog(path, 20);
  const long limit = static_cast<long>(ReadFileBytes(path).size()) + 48 * 1024;
  const std::string report = RunWithFullDisk(path, limit, [&] {
    ResearchLog log;
    if (!log.Open(path, LogAccess::kWrite)) return "open: " + log.Problem().message;
    for (int i = 0; i < 100000; ++i) {
      LoggedSearch search = SampleSearch("FILLER" + std::to_string(i), 1);
      search.unit = std::string(2000, 'X');
      if (!log.RecordSearch(&search)) return log.Problem().message;
    }
    return std::string("never full");
  });
  EXPECT_EQ(report, path + ": cannot be written: File too large");
  EXPECT_EQ(IntegrityOf(path), "ok");
  ResearchLog log(Settings());
  ASSERT_TRUE(log.Open(path, LogAccess::kRead)) << log.Problem().message;
  std::vector<LoggedSearch> searches;
  ASSERT_TRUE(log.Searches({}, &searches));
  ASSERT_GE(searches.size(), 20u);
  for (int i = 0; i < 20; ++i)
    EXPECT_EQ(searches[static_cast<std::size_t>(i)].surname, "SURNAME" + std::to_string(i));
}

}  // namespace
