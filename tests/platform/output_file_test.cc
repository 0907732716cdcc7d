// Output files: where a path ends up once its links are followed, and an output that is put in
// place only when committed.
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

TEST(OutputFile, IsInPlaceOnlyOnceCommitted) {
  ScopedTempDir dir;
  const std::string path = dir.File("out.csv");
  WriteFileBytes(path, "old");
  std::string error;
  {
    OutputFile abandoned;
    ASSERT_TRUE(abandoned.Open(path, &error)) << error;
    std::fputs("half", abandoned.Stream());
    std::fflush(abandoned.Stream());
    EXPECT_EQ(ListDir(dir.Prefix()).size(), 2u) << "the old file and the temporary one";
    EXPECT_EQ(ReadFileBytes(path), "old");
  }
  EXPECT_EQ(ListDir(dir.Prefix()), std::vector<std::string>{"out.csv"});
  EXPECT_EQ(ReadFileBytes(path), "old");

  OutputFile output;
  ASSERT_TRUE(output.Open(path, &error)) << error;
  std::fputs("new", output.Stream());
  ASSERT_TRUE(output.Commit(&error)) << error;
  EXPECT_EQ(ReadFileBytes(path), "new");
  EXPECT_EQ(ListDir(dir.Prefix()), std::vector<std::string>{"out.csv"});

  // Through a dangling link, the file is made where the link points.
  ASSERT_EQ(symlink("made.csv", dir.File("link.csv").c_str()), 0);
  OutputFile linked;
  ASSERT_TRUE(linked.Open(dir.File("link.csv"), &error)) << error;
  ASSERT_TRUE(linked.Commit(&error)) << error;
  EXPECT_TRUE(std::filesystem::is_regular_file(dir.File("made.csv")));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.csv")));

  OutputFile missing;
  EXPECT_FALSE(missing.Open(dir.File("no/such.csv"), &error));
  EXPECT_EQ(error, dir.File("no/such.csv") + ": cannot create: No such file or directory");
}

TEST(StagingDirectory, MovesItsFilesInTogetherAndLeavesNothing) {
  ScopedTempDir dir;
  WriteFileBytes(dir.File("a"), "old a");
  std::string error;
  {
    StagingDirectory staging;
    ASSERT_TRUE(staging.Create(dir.Prefix(), "set", &error)) << error;
    WriteFileBytes(staging.Path() + "a", "new a");
    WriteFileBytes(staging.Path() + "b", "new b");
    struct stat st;
    ASSERT_EQ(stat(staging.Path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ASSERT_TRUE(staging.Publish({"a", "b"}, &error)) << error;
  }
  EXPECT_EQ(ListDir(dir.Prefix()), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(ReadFileBytes(dir.File("a")), "new a");
  {
    StagingDirectory unpublished;
    ASSERT_TRUE(unpublished.Create(dir.Prefix(), "set", &error)) << error;
    WriteFileBytes(unpublished.Path() + "a", "newer a");
  }
  EXPECT_EQ(ListDir(dir.Prefix()), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(ReadFileBytes(dir.File("a")), "new a");
}

}  // namespace
