// What stands in a file's place on Windows: devices under their reserved names, pipes, folders,
// a file another program holds to itself; names outside the ANSI code page; paths over MAX_PATH.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/file_system.h"
#include "platform/profile.h"
#include "platform/scratch_file.h"
#include "support/child_process_win32.h"
#include "support/scoped_env.h"
#include "support/scoped_temp_dir.h"

TEST(ReadOnlyFileOnWindows, RefusesDevicesPipesAndFoldersWithoutBlocking) {
  ScopedTempDir dir;
  ASSERT_TRUE(MakeDirectory(dir.File("folder")));
  // A pipe with a server waiting: looking at it must not take its one connection.
  HANDLE server = CreateNamedPipeW(L"\\\\.\\pipe\\dravenholt-test-pipe", PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE, 1, 0, 0, 0, nullptr);
  ASSERT_NE(server, INVALID_HANDLE_VALUE);
  const struct {
    std::string path;
    OpenStatus status;
    FileKind kind;
  } cases[] = {
      {dir.File("NUL"), OpenStatus::kNotRegular, FileKind::kDevice},  // in any folder
      {dir.File("nul"), OpenStatus::kNotRegular, FileKind::kDevice},
      {"\\\\.\\pipe\\dravenholt-test-pipe", OpenStatus::kNotRegular, FileKind::kDevice},
      {dir.File("folder"), OpenStatus::kNotRegular, FileKind::kDirectory},
      {dir.File("none"), OpenStatus::kMissing, FileKind::kMissing},
      {dir.File("none") + "\\deeper", OpenStatus::kMissing, FileKind::kMissing},
  };
  for (const auto& c : cases) {
    ReadOnlyFile f;
    FileKind kind = FileKind::kRegular;
    EXPECT_EQ(f.Open(c.path, &kind), c.status) << c.path;
    EXPECT_EQ(kind, c.kind) << c.path;
    EXPECT_FALSE(f.IsOpen()) << c.path;
  }
  // The console, which would wait for typing: a device, or where there is no console (wine
  // without a terminal) nothing that can be looked at; never opened either way.
  ReadOnlyFile console;
  EXPECT_NE(console.Open(dir.File("CON")), OpenStatus::kOk);
  EXPECT_FALSE(console.IsOpen());
  // The pipe's connection is still there for its client.
  HANDLE client = CreateFileW(L"\\\\.\\pipe\\dravenholt-test-pipe", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(client, INVALID_HANDLE_VALUE);
  if (client != INVALID_HANDLE_VALUE) CloseHandle(client);
  CloseHandle(server);
}

// A file another program opened without sharing it: there, but not to be read.
TEST(ReadOnlyFileOnWindows, AFileHeldByAnotherProgramIsNotAMissingOne) {
  ScopedTempDir dir;
  WriteFileBytes(dir.File("held"), "x");
  HANDLE other = CreateFileW(WideFromUtf8(dir.File("held")).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                             OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  ReadOnlyFile f;
  FileKind kind = FileKind::kMissing;
  EXPECT_EQ(f.Open(dir.File("held"), &kind), OpenStatus::kUnreadable);
  EXPECT_FALSE(f.IsOpen());
  CloseHandle(other);
  EXPECT_EQ(f.Open(dir.File("held")), OpenStatus::kOk);
}

TEST(ReadOnlyFileOnWindows, AnIniFileNamingADeviceReadsAsEmpty) {
  for (const char* device : {"CON", "NUL", "CONIN$"}) {
    ScopedEnv env;
    env.Set("BREVIK_INI", device);
    char out[260];
    EXPECT_EQ(ReadProfileString("Kinloom7m", "MRPath", "none", out, sizeof out), 4u) << device;
    EXPECT_STREQ(out, "none");
  }
}

TEST(FilesOnWindows, NamesOutsideTheAnsiCodePage) {
  ScopedTempDir dir;
  // Greek, Polish and Japanese letters: none of them is in Windows-1252.
  const std::string folder = dir.File("\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1-\xC5\x81\xC3\xB3\xC5\xBA" "d\xC5\xBA-\xE6\x97\xA5\xE6\x9C\xAC");
  ASSERT_TRUE(MakeDirectory(folder));
  const std::string file = folder + "\\mrdb.id";
  ASSERT_TRUE(CreateNewFile(file, "x"));
  EXPECT_EQ(ReadFileBytes(file), "x");
  EXPECT_EQ(KindOfPath(file), FileKind::kRegular);
  ReadOnlyFile f;
  ASSERT_EQ(f.Open(file), OpenStatus::kOk);
  const FileIdentity id = f.Identity();
  EXPECT_TRUE(PathNamesFile(file, id));
  f.Close();
  EXPECT_TRUE(RenameReplacing(file.c_str(), (folder + "\\moved").c_str()));
  EXPECT_FALSE(PathNamesFile(file, id));
  EXPECT_TRUE(PathNamesFile(folder + "\\moved", id));
  FileHandle written = OpenFile((folder + "\\out.csv").c_str(), "wb");
  ASSERT_NE(written, nullptr);
}

TEST(FilesOnWindows, PathsLongerThanMaxPath) {
  ScopedTempDir dir;
  std::string deep = dir.Prefix();
  while (deep.size() < 300) {
    deep += std::string(40, 'd') + "\\";
    ASSERT_TRUE(MakeDirectory(deep)) << deep.size();
  }
  const std::string file = deep + "history.buf";
  ASSERT_GT(file.size(), static_cast<std::size_t>(MAX_PATH));
  {
    ScratchFile scratch;
    ASSERT_EQ(scratch.Open(file), ScratchStatus::kOk);
    ASSERT_TRUE(scratch.WriteAt(0, "0123456789", 10));
    char out[4] = {};
    EXPECT_EQ(scratch.ReadAt(3, out, 4), 4);
    EXPECT_EQ(std::string(out, 4), "3456");
    EXPECT_EQ(scratch.Size(), 10);
    EXPECT_TRUE(PathNamesFile(file, scratch.Identity()));
  }
  ReadOnlyFile f;
  ASSERT_EQ(f.Open(file), OpenStatus::kOk);
  EXPECT_EQ(f.Size(), 10);
  f.Close();
  EXPECT_TRUE(RenameReplacing(file.c_str(), (deep + "other").c_str()));
  EXPECT_TRUE(RemoveFile((deep + "other").c_str()));
  EXPECT_FALSE(RemoveFile((deep + "other").c_str()));
}

// (Over a file another program holds open the rename may fail, depending on the file system;
// rollkit build then says so and leaves the old roll whole.)
TEST(FilesOnWindows, ARenameReplacesTheFileThere) {
  ScopedTempDir dir;
  WriteFileBytes(dir.File("new"), "new");
  WriteFileBytes(dir.File("old"), "old");
  EXPECT_TRUE(RenameReplacing(dir.File("new").c_str(), dir.File("old").c_str()));
  EXPECT_EQ(ReadFileBytes(dir.File("old")), "new");
  EXPECT_FALSE(FileExists(dir.File("new")));
}

// The exclusive hold on a scratch file: a second program is told it is busy, a reader may read.
TEST(ScratchFileOnWindows, HeldByOneProgramReadableByOthers) {
  ScopedTempDir dir;
  ScratchFile first;
  ASSERT_EQ(first.Open(dir.File("history.buf")), ScratchStatus::kOk);
  ASSERT_TRUE(first.WriteAt(0, "abc", 3));
  ScratchFile second;
  EXPECT_EQ(second.Open(dir.File("history.buf")), ScratchStatus::kBusy);
  EXPECT_EQ(ReadFileBytes(dir.File("history.buf")), "abc");
  first.Close();
  EXPECT_EQ(second.Open(dir.File("history.buf")), ScratchStatus::kOk);

  // A file without a name lives only while it is open.
  ScratchFile anonymous;
  ASSERT_EQ(anonymous.OpenAnonymous(dir.Prefix()), ScratchStatus::kOk);
  ASSERT_TRUE(anonymous.WriteAt(0, "x", 1));
  anonymous.Close();
  std::size_t left = 0;
  for (const auto& entry : std::filesystem::directory_iterator(PathFromUtf8(dir.Prefix()))) {
    left += entry.path().filename() != "history.buf";
  }
  EXPECT_EQ(left, 0u);
}
