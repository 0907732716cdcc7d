// The watch a search asks instead of looking at each path: it may say "quiet" only when nothing
// happened that a look at the paths would have seen, wherever on the way to the file it happened.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "platform/path_watch.h"
#include "support/scoped_temp_dir.h"

namespace {

// d/roll/f, reached through the link "via" -> d: the path watched is "via/roll/f".
struct Layout {
  ScopedTempDir dir;
  std::string file = dir.File("d/roll/f");
  std::string path = dir.File("via/roll/f");
  Layout() {
    MakeDirectory(dir.File("d"));
    MakeDirectory(dir.File("d/roll"));
    MakeDirectory(dir.File("e"));
    MakeDirectory(dir.File("e/roll"));
    WriteFileBytes(file, "roll bytes");
    WriteFileBytes(dir.File("e/roll/f"), "roll bytes");
    WriteFileBytes(dir.File("d/roll/g"), "another");
    EXPECT_EQ(symlink("d", dir.File("via").c_str()), 0);
  }
};

}  // namespace

TEST(PathWatch, EveryChangeALookWouldSeeEndsTheQuiet) {
  const struct {
    const char* what;
    std::function<void(Layout&)> change;
  } cases[] = {
      {"a byte written", [](Layout& l) { WriteFileBytes(l.file, "roll bytez"); }},
      {"cut short", [](Layout& l) { ASSERT_EQ(truncate(l.file.c_str(), 3), 0); }},
      {"times put back after a write",
       [](Layout& l) {
         struct stat before;
         ASSERT_EQ(stat(l.file.c_str(), &before), 0);
         WriteFileBytes(l.file, "roll bytez");
         const timespec times[2] = {before.st_atim, before.st_mtim};
         ASSERT_EQ(utimensat(AT_FDCWD, l.file.c_str(), times, 0), 0);
       }},
      {"replaced by rename",
       [](Layout& l) { ASSERT_EQ(rename(l.dir.File("d/roll/g").c_str(), l.file.c_str()), 0); }},
      {"removed", [](Layout& l) { ASSERT_EQ(unlink(l.file.c_str()), 0); }},
      {"its directory renamed",
       [](Layout& l) { ASSERT_EQ(rename(l.dir.File("d/roll").c_str(), l.dir.File("d/old").c_str()), 0); }},
      {"the link on the way led elsewhere",
       [](Layout& l) {
         ASSERT_EQ(symlink("e", l.dir.File("via2").c_str()), 0);
         ASSERT_EQ(rename(l.dir.File("via2").c_str(), l.dir.File("via").c_str()), 0);
       }},
      {"the link's target renamed",
       [](Layout& l) { ASSERT_EQ(rename(l.dir.File("d").c_str(), l.dir.File("gone").c_str()), 0); }},
      {"its directory closed to searching",
       [](Layout& l) { ASSERT_EQ(chmod(l.dir.File("d/roll").c_str(), 0600), 0); }},
  };
  for (const auto& c : cases) {
    Layout l;
    PathWatch watch;
    if (!watch.Arm({l.path}, PathWatch::Scope::kFiles)) GTEST_SKIP() << "no watch on this file system";
    EXPECT_TRUE(watch.Quiet()) << c.what;
    EXPECT_TRUE(watch.Quiet()) << c.what;
    c.change(l);
    EXPECT_FALSE(watch.Quiet()) << c.what;
    EXPECT_FALSE(watch.Quiet()) << c.what << ": the end of the quiet is kept";
    chmod(l.dir.File("d/roll").c_str(), 0700);
  }
}

// The watch leaves out the file's own directory, whose watch would slow every read of the roll:
// the file's own watch must hear of each change to which file its name gives, for a file named
// by a link and a file with a second name too.
TEST(PathWatch, TheFileItselfTellsOfEveryChangeToWhatItsNameGives) {
  const struct {
    const char* what;
    const char* path;
    std::function<void(Layout&)> change;
  } cases[] = {
      {"a link at the path made to lead elsewhere", "d/roll/link",
       [](Layout& l) {
         ASSERT_EQ(symlink("g", l.dir.File("d/roll/link2").c_str()), 0);
         ASSERT_EQ(rename(l.dir.File("d/roll/link2").c_str(), l.dir.File("d/roll/link").c_str()), 0);
       }},
      {"a link at the path removed", "d/roll/link",
       [](Layout& l) { ASSERT_EQ(unlink(l.dir.File("d/roll/link").c_str()), 0); }},
      {"the file a link leads to replaced", "d/roll/link",
       [](Layout& l) { ASSERT_EQ(rename(l.dir.File("d/roll/g").c_str(), l.file.c_str()), 0); }},
      {"a file with a second name removed under the watched one", "d/roll/f",
       [](Layout& l) {
         ASSERT_EQ(link(l.file.c_str(), l.dir.File("d/roll/second").c_str()), 0);
         ASSERT_EQ(unlink(l.file.c_str()), 0);
       }},
      {"a file moved away and another moved in", "d/roll/f",
       [](Layout& l) {
         ASSERT_EQ(rename(l.file.c_str(), l.dir.File("d/roll/away").c_str()), 0);
         ASSERT_EQ(rename(l.dir.File("d/roll/g").c_str(), l.file.c_str()), 0);
       }},
  };
  for (const auto& c : cases) {
    Layout l;
    ASSERT_EQ(symlink("f", l.dir.File("d/roll/link").c_str()), 0);
    PathWatch watch;
    if (!watch.Arm({l.dir.File(c.path)}, PathWatch::Scope::kWhichFile)) GTEST_SKIP() << "no watch here";
    EXPECT_EQ(ReadFileBytes(l.dir.File(c.path)), "roll bytes");
    EXPECT_TRUE(watch.Quiet()) << c.what;
    c.change(l);
    EXPECT_FALSE(watch.Quiet()) << c.what;
  }
}

TEST(PathWatch, ChangesBesideTheWatchedPathsKeepTheQuiet) {
  Layout l;
  PathWatch watch;
  if (!watch.Arm({l.path}, PathWatch::Scope::kFiles)) GTEST_SKIP() << "no watch on this file system";
  WriteFileBytes(l.dir.File("d/roll/g"), "written beside");
  WriteFileBytes(l.dir.File("d/roll/new"), "made beside");
  ASSERT_EQ(rename(l.dir.File("e").c_str(), l.dir.File("e2").c_str()), 0);
  ASSERT_EQ(unlink(l.dir.File("d/roll/new").c_str()), 0);
  EXPECT_TRUE(watch.Quiet());
  // Read: no change.
  EXPECT_EQ(ReadFileBytes(l.file), "roll bytes");
  EXPECT_TRUE(watch.Quiet());

  // Which file the path names, not its bytes: writes keep the quiet, a replacement does not.
  ASSERT_TRUE(watch.Arm({l.file}, PathWatch::Scope::kWhichFile));
  const int fd = open(l.file.c_str(), O_WRONLY | O_TRUNC);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(write(fd, "new", 3), 3);
  close(fd);
  EXPECT_TRUE(watch.Quiet());
  ASSERT_EQ(rename(l.dir.File("d/roll/g").c_str(), l.file.c_str()), 0);
  EXPECT_FALSE(watch.Quiet());
}

TEST(PathWatch, WhatCannotBeWatchedIsNeverQuiet) {
  Layout l;
  PathWatch watch;
  // A missing file, a file system the kernel does not see every change of, nothing at all.
  EXPECT_FALSE(watch.Arm({l.path, l.dir.File("d/roll/none")}, PathWatch::Scope::kFiles));
  EXPECT_FALSE(watch.Quiet());
  EXPECT_FALSE(watch.Arm({"/proc/self/status"}, PathWatch::Scope::kFiles));
  EXPECT_FALSE(watch.Quiet());
  EXPECT_FALSE(watch.Arm({}, PathWatch::Scope::kFiles));
  EXPECT_FALSE(watch.Quiet());
  if (watch.Arm({l.path}, PathWatch::Scope::kFiles)) {
    watch.Stop();
    EXPECT_FALSE(watch.Quiet());
  }
}
