// Output files on Windows: both separators end a directory, a device such as NUL is written
// directly rather than replaced, and a temporary file left by a process that is gone is removed
// while one of a running process is kept.
#include "platform/output_file.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "support/scoped_temp_dir.h"

namespace {

TEST(DirectoryOf, TakesEitherSeparator) {
  EXPECT_EQ(DirectoryOf("bare"), ".\\");
  EXPECT_EQ(DirectoryOf("C:\\a\\b"), "C:\\a\\");
  EXPECT_EQ(DirectoryOf("C:/a/b"), "C:/a/");
  EXPECT_EQ(DirectoryOf("C:\\a/b\\c"), "C:\\a/b\\");
  EXPECT_EQ(FinalTargetOf("C:\\a\\b"), "C:\\a\\b");
}

TEST(OutputFile, ADeviceIsWrittenDirectly) {
  ScopedTempDir dir;
  std::string error;
  OutputFile output;
  ASSERT_TRUE(output.Open("NUL", &error)) << error;
  std::fputs("discarded", output.Stream());
  EXPECT_TRUE(output.Commit(&error)) << error;
  OutputFile directory;
  EXPECT_FALSE(directory.Open(dir.Prefix(), &error));
  EXPECT_EQ(error, dir.Prefix() + ": a directory");
}

TEST(RemoveStaleTemporaries, RemovesOnlyWhatAProcessThatIsGoneLeft) {
  ScopedTempDir dir;
  wchar_t host[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  ASSERT_TRUE(GetComputerNameW(host, &size));
  std::string hostName;
  for (DWORD i = 0; i < size; ++i) hostName += static_cast<char>(host[i]);  // ASCII on test machines
  // Process numbers are multiples of four: 4294967 is never one.
  const std::string gone = ".out.csv.4294967@" + hostName + ".tmp";
  const std::string running = ".out.csv." + std::to_string(GetCurrentProcessId()) + "@" + hostName + ".tmp";
  WriteFileBytes(dir.File(gone), "left");
  WriteFileBytes(dir.File(running), "mine");
  WriteFileBytes(dir.File("out.csv"), "kept");
  EXPECT_EQ(RemoveStaleTemporaries(dir.Prefix()), 1);
  EXPECT_EQ(ReadFileBytes(dir.File(running)), "mine");
  EXPECT_EQ(ReadFileBytes(dir.File("out.csv")), "kept");
  EXPECT_FALSE(FileExists(dir.File(gone)));
}

}  // namespace
