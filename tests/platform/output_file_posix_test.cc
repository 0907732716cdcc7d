// Output files on POSIX: where a path ends up once its links are followed, a file made where a
// dangling link points, which links are followed at all (never another user's in a shared
// directory, never to a file the kernel would not let this user write), and a staging directory
// nobody else may enter.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/output_file.h"
#include "support/scoped_temp_dir.h"
#include "support/unprivileged.h"

namespace {

TEST(FinalTargetOf, FollowsRelativeAbsoluteAndDanglingLinksButNotALoop) {
  ScopedTempDir dir;
  std::filesystem::create_directory(dir.File("sub"));
  WriteFileBytes(dir.File("sub/file"), "x");
  ASSERT_EQ(symlink("sub/file", dir.File("relative").c_str()), 0);
  ASSERT_EQ(symlink(dir.File("relative").c_str(), dir.File("absolute").c_str()), 0);
  ASSERT_EQ(symlink("../nowhere", dir.File("sub/dangling").c_str()), 0);
  ASSERT_EQ(symlink("loop", dir.File("loop").c_str()), 0);

  EXPECT_EQ(FinalTargetOf(dir.File("sub/file")), dir.File("sub/file"));
  EXPECT_EQ(FinalTargetOf(dir.File("relative")), dir.File("sub/file"));
  EXPECT_EQ(FinalTargetOf(dir.File("absolute")), dir.File("sub/file"));
  EXPECT_EQ(FinalTargetOf(dir.File("sub/dangling")), dir.File("sub/../nowhere"));
  EXPECT_EQ(FinalTargetOf(dir.File("loop")), dir.File("loop")) << "given up after 40 links";
  EXPECT_EQ(FinalTargetOf("bare"), "bare");
  EXPECT_EQ(DirectoryOf("bare"), "./");
  EXPECT_EQ(DirectoryOf("/a/b"), "/a/");
}

TEST(OutputFile, ThroughADanglingLinkIsMadeWhereTheLinkPoints) {
  ScopedTempDir dir;
  std::string error;
  ASSERT_EQ(symlink("made.csv", dir.File("link.csv").c_str()), 0);
  {
    // Abandoned: the file the kernel made through the link goes again.
    OutputFile abandoned;
    ASSERT_TRUE(abandoned.Open(dir.File("link.csv"), &error)) << error;
    ASSERT_TRUE(abandoned.Write("half"));
  }
  EXPECT_EQ(ListDir(dir.Prefix()), std::vector<std::string>{"link.csv"});
  OutputFile linked;
  ASSERT_TRUE(linked.Open(dir.File("link.csv"), &error)) << error;
  ASSERT_TRUE(linked.Write("whole"));
  ASSERT_TRUE(linked.Commit(&error)) << error;
  EXPECT_EQ(ReadFileBytes(dir.File("made.csv")), "whole");
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.csv")));
  EXPECT_EQ(ListDir(dir.Prefix()), (std::vector<std::string>{"link.csv", "made.csv"}));
}

// Two users and a directory both may write (mode 1777, as /tmp): a link the other user planted
// there is not followed, whatever the system's protected-symlink setting says, so that no write
// lands in a file of this user's it leads to. A link of this user's own there, and the other's
// link in a directory that is not shared, are followed as the kernel follows them.
TEST(OutputFileBetweenUsers, AnotherUsersLinkInASharedDirectoryIsNotFollowed) {
  ScopedTempDir dir;
  ASSERT_TRUE(MakeDirectory(dir.File("shared")));
  ASSERT_TRUE(MakeDirectory(dir.File("home")));
  ShareAsSticky(dir.File("shared"));
  const std::string important = dir.File("home/important.txt");
  WriteFileBytes(important, "mine");
  const std::string planted = dir.File("shared/report.csv");
  ASSERT_EQ(symlink(important.c_str(), planted.c_str()), 0);
  if (!GiveToAnotherUser(planted)) GTEST_SKIP() << "only root can make a link of another user's";
  // Reached through this user's own link, or as a directory on the way to a new file.
  ASSERT_EQ(symlink(planted.c_str(), dir.File("home/chain.csv").c_str()), 0);
  const std::string plantedDirectory = dir.File("shared/docs");
  ASSERT_EQ(symlink(dir.File("home").c_str(), plantedDirectory.c_str()), 0);
  ASSERT_TRUE(GiveToAnotherUser(plantedDirectory));

  std::string error;
  for (const std::string& path : {planted, dir.File("home/chain.csv"), plantedDirectory + "/new.csv"}) {
    OutputFile output;
    EXPECT_FALSE(output.Open(path, &error)) << path;
    const std::string link = path == dir.File("home/chain.csv") ? planted
                             : path == planted                  ? path
                                                                : plantedDirectory;
    const std::string where = link == path ? "" : " (" + link + ")";
    EXPECT_EQ(error,
              path + ": another user's symbolic link in a shared directory" + where + ": not followed");
    EXPECT_EQ(output.Failure(),
              "another user's symbolic link in a shared directory" + where + ": not followed");
  }
  EXPECT_EQ(ReadFileBytes(important), "mine");
  EXPECT_EQ(ListDir(dir.File("home")), (std::vector<std::string>{"chain.csv", "important.txt"}));
  EXPECT_EQ(ListDir(dir.File("shared")), (std::vector<std::string>{"docs", "report.csv"}));

  ASSERT_EQ(symlink(important.c_str(), dir.File("shared/own.csv").c_str()), 0);
  ASSERT_EQ(symlink(important.c_str(), dir.File("home/given.csv").c_str()), 0);
  ASSERT_TRUE(GiveToAnotherUser(dir.File("home/given.csv")));
  for (const char* link : {"shared/own.csv", "home/given.csv"}) {
    OutputFile output;
    ASSERT_TRUE(output.Open(dir.File(link), &error)) << error;
    ASSERT_TRUE(output.Write(link));
    ASSERT_TRUE(output.Commit(&error)) << error;
    EXPECT_EQ(ReadFileBytes(important), link);
  }
}

// Through a link, a file is replaced only when the kernel lets this user open it for writing:
// being able to write its directory is not enough, and the link's text is never trusted alone.
TEST(OutputFileBetweenUsers, ThroughALinkOnlyAFileTheUserMayWriteIsReplaced) {
  if (geteuid() != 0) GTEST_SKIP() << "needs a file of another user's (the tests run as root to have one)";
  ScopedTempDir dir;
  OpenToOthers(dir.Prefix());
  ASSERT_TRUE(MakeDirectory(dir.File("open")));
  ASSERT_EQ(chmod(dir.File("open").c_str(), 0777), 0);
  WriteFileBytes(dir.File("open/theirs.txt"), "theirs");
  ASSERT_EQ(chmod(dir.File("open/theirs.txt").c_str(), 0644), 0);
  ASSERT_EQ(symlink("theirs.txt", dir.File("open/link.txt").c_str()), 0);
  EXPECT_EQ(RunUnprivileged([&] {
              OutputFile output;
              std::string error;
              const bool refused =
                  !output.Open(dir.File("open/link.txt"), &error) &&
                  error == dir.File("open/link.txt") + ": cannot be written: Permission denied";
              return refused ? 0 : 1;
            }),
            0);
  EXPECT_EQ(ReadFileBytes(dir.File("open/theirs.txt")), "theirs");
  EXPECT_EQ(ListDir(dir.File("open")), (std::vector<std::string>{"link.txt", "theirs.txt"}));
}

TEST(SomethingStandsAt, AnyNameCountsEvenOneThatLeadsNowhereOrCannotBeSeen) {
  ScopedTempDir dir;
  ASSERT_EQ(symlink("nowhere", dir.File("dangling").c_str()), 0);
  EXPECT_TRUE(SomethingStandsAt(dir.File("dangling")));
  EXPECT_FALSE(SomethingStandsAt(dir.File("missing")));
  EXPECT_FALSE(SomethingStandsAt(dir.File("missing/below")));
  if (geteuid() != 0) return;
  OpenToOthers(dir.Prefix());
  ASSERT_TRUE(MakeDirectory(dir.File("closed")));
  WriteFileBytes(dir.File("closed/file"), "");
  ASSERT_EQ(chmod(dir.File("closed").c_str(), 0700), 0);
  EXPECT_EQ(RunUnprivileged([&] { return SomethingStandsAt(dir.File("closed/file")) ? 0 : 1; }), 0);
}

TEST(StagingDirectory, IsThisUsersOnly) {
  ScopedTempDir dir;
  std::string error;
  StagingDirectory staging;
  ASSERT_TRUE(staging.Create(dir.Prefix(), "set", &error)) << error;
  struct stat st;
  ASSERT_EQ(stat(staging.Path().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
}

}  // namespace
