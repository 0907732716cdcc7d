// Output files put in place only when committed, and staging directories whose files move in
// together. Links and modes: output_file_posix_test.cc; devices and separators: *_win32_test.cc.
#include "platform/output_file.h"
#include "platform/signal_cleanup.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "support/scoped_temp_dir.h"

namespace {

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

  OutputFile missing;
  EXPECT_FALSE(missing.Open(dir.File(std::string("no") + kPathSeparator + "such.csv"), &error));
  EXPECT_EQ(error, dir.File(std::string("no") + kPathSeparator + "such.csv") + ": cannot create: No such file or directory");
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
    // Held around the whole, as a caller that does more than publish holds them: held twice.
    const SignalsHeld held;
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
