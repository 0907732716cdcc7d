// Where the filter buffer goes on POSIX systems, and what it does with a symbolic link, a FIFO,
// another user's file or another program in its place.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "results/filter_buffer.h"
#include "support/scoped_env.h"
#include "support/scoped_temp_dir.h"
#include "support/unprivileged.h"

// Where the family's file cannot be had, the records go to a private file and all of them come
// back; only with no private place either does the buffer fail, quietly.
TEST(FilterBufferPlaces, AnUnwritablePlaceKeepsTheRecordsInAPrivateFile) {
  ScopedTempDir dir;
  ScopedTempDir tmp;
  ScopedEnv env;
  env.Set("XDG_RUNTIME_DIR", nullptr);
  env.Set("TMPDIR", tmp.Prefix().c_str());
  for (const std::string& path : {dir.File("missing/history.buf"), dir.Prefix() + std::string(300, 'x'), std::string()}) {
    FilterBuffer buffer(path);
    EXPECT_EQ(buffer.Empty(), 1);
    EXPECT_TRUE(buffer.IsPrivate());
    for (int i = 0; i < 300; ++i) ASSERT_EQ(buffer.Append(i, "A", nullptr), 1);
    buffer.CountRecords();
    EXPECT_EQ(buffer.RecordCount(), 300);
    ResultRow rows[10];
    EXPECT_EQ(buffer.FirstPage(rows), 10);
    EXPECT_EQ(buffer.NextPage(rows), 10);
    EXPECT_EQ(rows[9].lineOffset, 19);
    EXPECT_TRUE(std::filesystem::is_empty(tmp.Prefix())) << "the private file has no name";
    EXPECT_EQ(buffer.TakeNotice(), "");
  }
  EXPECT_FALSE(FileExists(dir.File("missing")));
}

TEST(FilterBufferPlaces, WithNoPlaceAtAllItFailsQuietly) {
  ScopedTempDir dir;
  ScopedEnv env;
  env.Set("XDG_RUNTIME_DIR", nullptr);
  env.Set("TMPDIR", dir.File("no-such-dir").c_str());
  FilterBuffer buffer(dir.File("missing/history.buf"));
  ResultRow rows[10];
  EXPECT_EQ(buffer.Empty(), 0);
  EXPECT_EQ(buffer.Reopen(), 0);
  EXPECT_EQ(buffer.Append(1, "A", nullptr), -1);
  buffer.CountRecords();
  EXPECT_EQ(buffer.RecordCount(), 0);
  EXPECT_EQ(buffer.FirstPage(rows), -1);
  EXPECT_EQ(buffer.NextPage(rows), -1);
  EXPECT_EQ(buffer.MoreAfter(), 0);
  EXPECT_EQ(buffer.MoreBefore(), 0);
}

TEST(FilterBufferPlaces, WithoutAFamilyDirectoryTheFileIsInTheUsersStateDirectory) {
  ScopedTempDir home;
  ScopedEnv env;
  env.Set("XDG_STATE_HOME", (home.Prefix() + "state").c_str());
  EXPECT_EQ(FilterBufferPath(""), home.Prefix() + "state/dravenholt/history.buf");
  EXPECT_EQ(FilterBufferPath("/"), home.Prefix() + "state/dravenholt/history.buf");
  struct stat st;
  ASSERT_EQ(stat((home.Prefix() + "state/dravenholt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(FilterBufferPath("/family/"), "/family/history.buf");
  EXPECT_EQ(FilterBufferPath(nullptr), "");
  // A state directory that is not this user's private one is not used.
  ASSERT_EQ(chmod((home.Prefix() + "state/dravenholt").c_str(), 0755), 0);
  EXPECT_EQ(FilterBufferPath(""), "");
}

// A link planted in the family directory is never followed: the file it points at keeps its
// bytes, and the user is told, once, which path was left alone.
TEST(FilterBufferHostile, ASymbolicLinkIsLeftAloneAndNamed) {
  ScopedTempDir dir;
  const std::string victim = dir.File("victim");
  WriteFileBytes(victim, "the user's own file");
  ASSERT_EQ(symlink(victim.c_str(), dir.File("history.buf").c_str()), 0);
  FilterBuffer buffer(dir.File("history.buf"));
  EXPECT_TRUE(buffer.IsOpen());
  EXPECT_TRUE(buffer.IsPrivate());
  ASSERT_EQ(buffer.Append(5, "JOHN", nullptr), 1);
  buffer.CountRecords();
  EXPECT_EQ(buffer.RecordCount(), 1);
  EXPECT_EQ(ReadFileBytes(victim), "the user's own file");
  EXPECT_EQ(buffer.TakeNotice(), dir.File("history.buf") + " is a symbolic link, not a file of this program: it was left alone.");
  EXPECT_EQ(buffer.Empty(), 1);
  EXPECT_EQ(buffer.TakeNotice(), "") << "told once";
  EXPECT_EQ(ReadFileBytes(victim), "the user's own file");

  // A FIFO or a directory in its place: the same, and nothing blocks.
  for (const bool fifo : {true, false}) {
    const std::string path = dir.File(fifo ? "fifo.buf" : "dir.buf");
    ASSERT_EQ(fifo ? mkfifo(path.c_str(), 0600) : mkdir(path.c_str(), 0700), 0);
    FilterBuffer other(path);
    EXPECT_TRUE(other.IsPrivate());
    EXPECT_EQ(other.TakeNotice(), path + (fifo ? " is a FIFO" : " is a directory") + ", not a file of this program: it was left alone.");
  }
}

// A family directory two users share (mode 1777): a history.buf that others may write, this
// user's own or the other user's, is not used. The matches would be the other's to read and
// change; they go to a private file instead, the user is told which file was left alone, and the
// file keeps the other's bytes.
TEST(FilterBufferHostile, AFileOthersMayWriteIsLeftAloneAndNamed) {
  ScopedTempDir dir;
  ASSERT_TRUE(MakeDirectory(dir.File("family")));
  ShareAsSticky(dir.File("family"));
  const std::string path = dir.File("family/history.buf");
  const std::string theirs(300, 'x');
  struct Case {
    mode_t mode;
    bool another;
    const char* what;
  };
  for (const Case& c :
       {Case{0620, false, "a file others may write"}, Case{0602, false, "a file others may write"},
        Case{0666, true, "another user's file"}}) {
    WriteFileBytes(path, theirs);
    ASSERT_EQ(chmod(path.c_str(), c.mode), 0);
    if (c.another && !GiveToAnotherUser(path)) GTEST_SKIP() << "only root can make a file of another user's";
    {
      FilterBuffer buffer(path);
      EXPECT_TRUE(buffer.IsPrivate()) << c.what;
      EXPECT_EQ(buffer.TakeNotice(),
                path + " is " + c.what + ", not a file of this program: it was left alone.");
      ASSERT_EQ(buffer.Append(5, "JOHN", nullptr), 1);
      buffer.CountRecords();
      EXPECT_EQ(buffer.RecordCount(), 1);
    }
    EXPECT_EQ(ReadFileBytes(path), theirs) << c.what;
    ASSERT_EQ(unlink(path.c_str()), 0);
  }
  // One of this user's own that nobody else may write is the buffer's.
  WriteFileBytes(path, theirs);
  ASSERT_EQ(chmod(path.c_str(), 0644), 0);
  FilterBuffer own(path);
  EXPECT_FALSE(own.IsPrivate());
  EXPECT_EQ(ReadFileBytes(path), "");
}

// Two programs with one family directory: the first holds history.buf, the second works in a
// private file, and neither sees the other's records.
TEST(FilterBufferHostile, TwoProgramsNeverShareTheFile) {
  ScopedTempDir dir;
  const std::string path = dir.File("history.buf");
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Another program: holds the file with records of its own until told to stop.
    FilterBuffer first(path);
    for (int i = 0; i < 3; ++i) first.Append(100 + i, "FIRST", nullptr);
    first.CountRecords();
    WriteFileBytes(dir.File("ready"), "");
    while (!FileExists(dir.File("stop"))) usleep(1000);
    first.CountRecords();
    _exit(first.RecordCount() == 3 && !first.IsPrivate() ? 0 : 1);
  }
  for (int i = 0; i < 5000 && !FileExists(dir.File("ready")); ++i) usleep(1000);
  ASSERT_TRUE(FileExists(dir.File("ready")));
  {
    FilterBuffer second(path);
    EXPECT_TRUE(second.IsPrivate());
    EXPECT_EQ(second.TakeNotice(), "") << "a busy file is no news";
    second.Append(7, "SECOND", nullptr);
    second.CountRecords();
    EXPECT_EQ(second.RecordCount(), 1);
    ResultRow rows[10];
    ASSERT_EQ(second.FirstPage(rows), 1);
    EXPECT_STREQ(rows[0].nameText, "SECOND");
    EXPECT_EQ(ReadFileBytes(path).size(), 900u) << "the first program's file was not emptied";
  }
  WriteFileBytes(dir.File("stop"), "");
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  // Once the first has gone, the file is free again.
  FilterBuffer third(path);
  EXPECT_FALSE(third.IsPrivate());
  EXPECT_EQ(ReadFileBytes(path), "");
}

