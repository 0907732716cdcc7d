#include "store/data_location.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/error_mode.h"
#include "platform/file_system.h"
#include "platform/message_box.h"
#include "store/roll_database.h"
#include "support/fifo.h"
#include "support/scoped_env.h"
#include "support/scoped_temp_dir.h"
#include "support/scripted_message_box.h"
#include "support/test_roll.h"

TEST(DataLocation, EndsEveryDirectoryInOneSeparator) {
  const std::string sep(1, kPathSeparator);           // '/' on POSIX, '\' on Windows
  const std::string other = sep == "/" ? "\\" : "/";  // a separator only elsewhere, or also typed
  struct Case {
    std::string value;
    std::string expected;
  } cases[] = {
      {sep + "media" + sep + "rolls", sep + "media" + sep + "rolls" + sep},
      {sep + "media" + sep + "rolls" + sep, sep + "media" + sep + "rolls" + sep},
      {"", sep},
      {"D:" + other + "ROLLS" + other, "D:" + other + "ROLLS" + other + sep},  // only the platform's own counts
      {"rel", "rel" + sep},
  };
  for (const Case& c : cases) {
    DataLocation location;
    location.SetDirectories(c.value.c_str(), c.value.c_str());
    EXPECT_EQ(location.familyDirectory.get(), c.expected) << c.value;
    EXPECT_EQ(location.dataDirectory, c.expected) << c.value;
    EXPECT_TRUE(location.dataDirectoryUsable);
  }
}

TEST(DataLocation, ReadsBrevikIniAndFallsBackToTheRoot) {
  ScopedTempDir dir;
  const std::string ini = dir.File("brevik.ini");
  ScopedEnv env;
  env.Set("BREVIK_INI", ini.c_str());
  const std::string sep(1, kPathSeparator);

  DataLocation location;
  EXPECT_EQ(location.familyDirectory, nullptr);
  location.ReadConfiguration();  // no file at all
  EXPECT_EQ(location.familyDirectory.get(), sep);
  EXPECT_EQ(location.dataDirectory, sep);

  WriteFileBytes(ini, "[Kinloom7m]\nKinloomDir=" + sep + "kinloom\nMRPath=" + sep + "disk3" + sep + "\n");
  location.ReadConfiguration();
  EXPECT_EQ(location.familyDirectory.get(), sep + "kinloom" + sep);
  EXPECT_EQ(location.dataDirectory, sep + "disk3" + sep);
  location.Release();
  EXPECT_EQ(location.familyDirectory, nullptr);
}

TEST(DataLocation, TooLongADataDirectoryCountsAsAbsentNotAsAnotherPath) {
  ScopedTempDir dir;
  // A directory that exists and holds the marker, reached through a path padded with "./".
  WriteFileBytes(dir.File("mrdb.id"), "");
  std::string padded = dir.Prefix();
  while (padded.size() <= static_cast<std::size_t>(kMaxDataDirectoryLength)) padded += std::string(".") + kPathSeparator;

  DataLocation location;
  location.SetDirectories("/tmp", padded.c_str());
  EXPECT_FALSE(location.dataDirectoryUsable);
  EXPECT_STREQ(location.dataDirectory, "");
  EXPECT_EQ(location.MarkerFilePresent(), 0);

  padded.resize(kMaxDataDirectoryLength);
  while (padded.back() != kPathSeparator) padded.pop_back();
  location.SetDirectories("/tmp", padded.c_str());
  EXPECT_TRUE(location.dataDirectoryUsable);
  EXPECT_EQ(location.MarkerFilePresent(), 1);
}

TEST(DataLocation, MarkerTestKeepsTheCriticalErrorMode) {
  ScopedTempDir dir;
  DataLocation location;
  location.SetDirectories(dir.Prefix().c_str(), dir.Prefix().c_str());
  const unsigned before = SetCriticalErrorMode(kSemFailCriticalErrors | kSemNoOpenFileErrorBox);

  EXPECT_EQ(location.MarkerFilePresent(), 0);
  WriteFileBytes(dir.File("mrdb.id"), "");  // an empty marker counts
  EXPECT_EQ(location.MarkerFilePresent(), 1);
  EXPECT_EQ(CurrentCriticalErrorMode(), 0x8001u);
  SetCriticalErrorMode(before);
}

TEST(DataLocation, MarkerNameMatchesInAnyCase) {
  ScopedTempDir dir;
  DataLocation location;
  location.SetDirectories(dir.Prefix().c_str(), dir.Prefix().c_str());
  WriteFileBytes(dir.File("MRDB.ID"), "");
  EXPECT_EQ(location.MarkerFilePresent(), 1);
}

// The entry under the marker's own name decides when one stands there: a FIFO or a directory
// there is no marker, even beside a regular file of that name in another case.
TEST(DataLocation, MarkerUnderItsOwnNameThatIsNoFileHidesOneInAnotherCase) {
  ScopedTempDir dir;
  DataLocation location;
  location.SetDirectories(dir.Prefix().c_str(), dir.Prefix().c_str());
  WriteFileBytes(dir.File("MRDB.ID"), "");
  if (FileExists(dir.File("mrdb.id"))) GTEST_SKIP() << "the file system ignores the case of names";
  ASSERT_TRUE(std::filesystem::create_directory(dir.File("mrdb.id")));
  EXPECT_EQ(location.MarkerFilePresent(), 0);
  ASSERT_TRUE(std::filesystem::remove(dir.File("mrdb.id")));
  if (MakeFifo(dir.File("mrdb.id"))) {
    EXPECT_EQ(location.MarkerFilePresent(), 0);
    ASSERT_TRUE(std::filesystem::remove(dir.File("mrdb.id")));
  }
  EXPECT_EQ(location.MarkerFilePresent(), 1);
}

class DiskPrompt : public ::testing::Test {
 protected:
  DiskPrompt() {
    location.SetDirectories(dir.Prefix().c_str(), dir.Prefix().c_str());
  }
  ScopedTempDir dir;
  DataLocation location;
};

TEST_F(DiskPrompt, NoPromptWhileTheMarkerIsThere) {
  WriteFileBytes(dir.File("mrdb.id"), "x");
  ScriptedMessageBox boxes;
  RollDatabase database(location, BoxAnswers());
  EXPECT_EQ(database.EnsureDataPresent(), 1);
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(DiskPrompt, RepeatsUntilTheDiskIsBackOrTheUserCancels) {
  ScriptedMessageBox boxes;
  RollDatabase database(location, BoxAnswers());

  boxes.Answer({kIdOk, kIdOk, kIdCancel});
  EXPECT_EQ(database.EnsureDataPresent(), 0);
  ASSERT_EQ(boxes.Boxes().size(), 3u);
  for (const auto& box : boxes.Boxes()) {
    EXPECT_EQ(box.text, "Please insert Kinloom Disk 3(Dravenholt)\n\nClick OK when done.");
    EXPECT_EQ(box.style, 49u);
  }

  // The user puts the disk in while the second prompt is up.
  int shown = 0;
  boxes.OnShow([&](const ScriptedMessageBox::Box&) {
    if (++shown == 2) WriteFileBytes(dir.File("mrdb.id"), "");
  });
  boxes.Answer({kIdOk, kIdOk});
  EXPECT_EQ(database.EnsureDataPresent(), 1);
  EXPECT_EQ(shown, 2);
}

TEST_F(DiskPrompt, ABoxThatCannotShowLetsTheOperationGoOn) {
  ScriptedMessageBox boxes(/*defaultAnswer=*/0);
  RollDatabase database(location, BoxAnswers());
  EXPECT_EQ(database.EnsureDataPresent(), 1);
  EXPECT_EQ(boxes.Boxes().size(), 1u);
}
