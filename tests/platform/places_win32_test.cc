// Where things are on Windows: brevik.ini, and both separators in what the user types.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/places.h"
#include "platform/profile.h"
#include "store/roll_database.h"
#include "support/scoped_env.h"
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
  ScopedEnv env;
  env.Set("BREVIK_INI", nullptr);
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
  EXPECT_TRUE(boxes.Boxes().empty());
}
