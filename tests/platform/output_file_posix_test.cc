// Output files on POSIX: where a path ends up once its links are followed, a file made where a
// dangling link points, and a staging directory nobody else may enter.
#include "platform/output_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "support/scoped_temp_dir.h"

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
  OutputFile linked;
  ASSERT_TRUE(linked.Open(dir.File("link.csv"), &error)) << error;
  ASSERT_TRUE(linked.Commit(&error)) << error;
  EXPECT_TRUE(std::filesystem::is_regular_file(dir.File("made.csv")));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.csv")));
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
