// What differs on Windows: where brevik.ini is looked for, both separators in what the user
// types, device names in place of data files, paths over MAX_PATH and names outside the ANSI
// code page.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/file_system.h"
#include "platform/places.h"
#include "platform/profile.h"
#include "store/roll_database.h"
#include "support/environment.h"
#include "support/scoped_temp_dir.h"
#include "support/scripted_message_box.h"
#include "support/test_roll.h"

namespace {

std::string ProgramDirectory() {
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::string utf8 = Utf8Path(std::filesystem::path(std::wstring(path, n)));
  return utf8.substr(0, utf8.find_last_of("\\/"));
}

// Removes a file the test put outside its own directory.
struct RemovedAfterwards {
  std::string path;
  ~RemovedAfterwards() { std::remove(path.c_str()); }
};

}  // namespace

TEST(ProfileOnWindows, TheWindowsDirectoryThenBesideTheProgram) {
  ScopedEnvironment env("BREVIK_INI", nullptr);
  wchar_t windows[MAX_PATH];
  const UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
  const std::string inWindows = Utf8Path(std::filesystem::path(std::wstring(windows, n))) + "\\brevik.ini";
  const std::string besideProgram = ProgramDirectory() + "\\brevik.ini";
  if (FileExists(inWindows)) GTEST_SKIP() << inWindows << " is this machine's own";

  RemovedAfterwards beside{besideProgram};
  WriteFileBytes(besideProgram, "[Kinloom7m]\r\nMRPath=D:\\\r\n");
  EXPECT_EQ(FindProfilePath(), besideProgram);
  char out[260];
  ReadProfileString("Kinloom7m", "MRPath", "", out, sizeof out);
  EXPECT_STREQ(out, "D:\\");

  // The Windows directory comes first, where the user may write there (wine: yes).
  RemovedAfterwards windowsIni{inWindows};
  WriteFileBytes(inWindows, "[Kinloom7m]\r\nMRPath=E:\\\r\n");
  if (FileExists(inWindows)) EXPECT_EQ(FindProfilePath(), inWindows);

  env.Set("BREVIK_INI", "C:\\elsewhere\\brevik.ini");
  EXPECT_EQ(FindProfilePath(), "C:\\elsewhere\\brevik.ini");
}

TEST(PathsOnWindows, EitherSeparatorEndsADirectory) {
  EXPECT_EQ(JoinPath("C:\\rolls", "mroll.cor"), "C:\\rolls\\mroll.cor");
  EXPECT_EQ(JoinPath("C:\\rolls\\", "mroll.cor"), "C:\\rolls\\mroll.cor");
  EXPECT_EQ(JoinPath("C:/rolls/", "mroll.cor"), "C:/rolls/mroll.cor");
  EXPECT_EQ(JoinPath("", "mroll.cor"), "mroll.cor");

  // A data directory typed with forward slashes finds the roll all the same.
  TestRoll roll;
  roll.Add("Smith", "JOHN");
  roll.Build();
  std::string typed = roll.dataDir;
  for (char& c : typed) {
    if (c == '\\') c = '/';
  }
  DataLocation location;
  location.SetDirectories(roll.familyDir.c_str(), typed.c_str());
  ScriptedMessageBox boxes;
  SearchSession s(location);
  s.Search("Smith");
  EXPECT_EQ(s.list.ResultCount(), 1);
  EXPECT_TRUE(boxes.boxes().empty());
}

TEST(FilesOnWindows, ADeviceNameIsNoDataFile) {
  ScopedTempDir dir;
  for (const char* device : {"NUL", "CON", "nul", "COM1"}) {
    EXPECT_EQ(OpenDataFile(dir.File(device).c_str(), "rb"), nullptr) << device;
  }
  // An INI file that names the console would wait for the user's typing; it reads as empty.
  for (const char* device : {"CON", "NUL", "CONIN$"}) {
    ScopedEnvironment env("BREVIK_INI", device);
    char out[260];
    EXPECT_EQ(ReadProfileString("Kinloom7m", "MRPath", "none", out, sizeof out), 4u) << device;
    EXPECT_STREQ(out, "none");
  }
}

TEST(FilesOnWindows, NamesOutsideTheAnsiCodePage) {
  ScopedTempDir dir;
  // Greek, Polish and Japanese letters: none of them is in Windows-1252.
  const std::string name = dir.File("\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1-\xC5\x81\xC3\xB3\xC5\xBA" "d\xC5\xBA-\xE6\x97\xA5\xE6\x9C\xAC");
  ASSERT_TRUE(MakeDirectory(name));
  const std::string file = name + "\\mrdb.id";
  {
    FileHandle f = OpenFile(file.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fwrite("x", 1, 1, f.get()), 1u);
  }
  EXPECT_EQ(ReadFileBytes(file), "x");
  FileHandle f = OpenDataFile(file.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  const FileIdentity id = IdentityOf(f.get());
  EXPECT_TRUE(PathNamesFile(file.c_str(), id));
  EXPECT_TRUE(RenameReplacing(file.c_str(), (name + "\\moved").c_str()));
  EXPECT_FALSE(PathNamesFile(file.c_str(), id));
  EXPECT_TRUE(PathNamesFile((name + "\\moved").c_str(), id));
}

TEST(FilesOnWindows, PathsLongerThanMaxPath) {
  ScopedTempDir dir;
  std::string deep = dir.path();
  while (deep.size() < 300) {
    deep += std::string(40, 'd') + "\\";
    ASSERT_TRUE(MakeDirectory(deep)) << deep.size();
  }
  const std::string file = deep + "history.buf";
  ASSERT_GT(file.size(), static_cast<std::size_t>(MAX_PATH));
  {
    FileHandle f = OpenFile(file.c_str(), "wb+");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fwrite("0123456789", 1, 10, f.get()), 10u);
    ASSERT_EQ(std::fflush(f.get()), 0);
    char out[4] = {};
    EXPECT_EQ(ReadAt(f.get(), 3, out, 4), 4);
    EXPECT_EQ(std::string(out, 4), "3456");
    EXPECT_EQ(FileSize(f.get()), 10);
    EXPECT_TRUE(PathNamesFile(file.c_str(), IdentityOf(f.get())));
  }
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
