// Where the filter buffer goes on Windows, and what it does with a folder or a device in its place
// and with another program holding it.
#include "results/filter_buffer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/environment.h"
#include "support/scoped_env.h"
#include "support/scoped_temp_dir.h"

// Where the family's file cannot be had, the records go to a file of the user's own that the
// system deletes when it is closed; all of them come back.
TEST(FilterBufferPlacesOnWindows, AnUnusablePlaceKeepsTheRecordsInAPrivateFile) {
  ScopedTempDir dir;
  ScopedTempDir tmp;
  ScopedEnv env;
  env.Set(kTempDirectoryVariable, tmp.Prefix().c_str());
  for (const std::string& path : {dir.File("missing\\history.buf"), dir.Prefix() + std::string(300, 'x'), std::string()}) {
    {
      FilterBuffer buffer(path);
      EXPECT_EQ(buffer.Empty(), 1);
      EXPECT_TRUE(buffer.IsPrivate());
      for (int i = 0; i < 300; ++i) ASSERT_EQ(buffer.Append(i, "A", nullptr), 1);
      buffer.CountRecords();
      EXPECT_EQ(buffer.RecordCount(), 300);
      ResultRow rows[10];
      EXPECT_EQ(buffer.FirstPage(rows), 10);
      EXPECT_EQ(buffer.NextPage(rows), 10);
      EXPECT_EQ(rows[9].lineOffset, 19);
      EXPECT_EQ(buffer.TakeNotice(), "");
    }
    EXPECT_TRUE(std::filesystem::is_empty(PathFromUtf8(tmp.Prefix()))) << "the private file went with the buffer";
  }
  EXPECT_FALSE(FileExists(dir.File("missing")));
}

TEST(FilterBufferPlacesOnWindows, WithoutAFamilyDirectoryTheFileIsInLocalApplicationData) {
  ScopedTempDir local;
  ScopedEnv env;
  env.Set("LOCALAPPDATA", local.Prefix().c_str());
  EXPECT_EQ(FilterBufferPath(""), local.Prefix() + "Dravenholt\\history.buf");
  EXPECT_EQ(FilterBufferPath("\\"), local.Prefix() + "Dravenholt\\history.buf");
  EXPECT_TRUE(std::filesystem::is_directory(PathFromUtf8(local.Prefix() + "Dravenholt")));
  EXPECT_EQ(FilterBufferPath("D:\\family\\"), "D:\\family\\history.buf");
  EXPECT_EQ(FilterBufferPath(nullptr), "");
}

TEST(FilterBufferHostileOnWindows, AFolderOrADeviceInItsPlaceIsLeftAloneAndNamed) {
  ScopedTempDir dir;
  ASSERT_TRUE(MakeDirectory(dir.File("dir.buf")));
  for (const std::string& name : {std::string("dir.buf"), std::string("NUL")}) {
    const std::string path = dir.File(name);
    FilterBuffer buffer(path);
    EXPECT_TRUE(buffer.IsOpen()) << name;
    EXPECT_TRUE(buffer.IsPrivate()) << name;
    EXPECT_EQ(buffer.TakeNotice(), path + (name == "NUL" ? " is a device" : " is a directory") +
                                       ", not a file of this program: it was left alone.");
  }
}

// Two programs with one family directory: the first holds history.buf, the second works in a
// private file, and neither sees the other's records. (Two handles, as two programs would have.)
TEST(FilterBufferHostileOnWindows, TwoProgramsNeverShareTheFile) {
  ScopedTempDir dir;
  const std::string path = dir.File("history.buf");
  FilterBuffer first(path);
  for (int i = 0; i < 3; ++i) first.Append(100 + i, "FIRST", nullptr);
  first.CountRecords();
  {
    FilterBuffer second(path);
    EXPECT_TRUE(second.IsPrivate());
    EXPECT_EQ(second.TakeNotice(), "") << "a busy file is no news";
    second.Append(7, "SECOND", nullptr);
    second.CountRecords();
    EXPECT_EQ(second.RecordCount(), 1);
    ResultRow rows[10];
    ASSERT_EQ(second.FirstPage(rows), 1);
    EXPECT_STREQ(rows[0].nameText, "SECOND");
  }
  first.CountRecords();
  EXPECT_EQ(first.RecordCount(), 3);
  EXPECT_FALSE(first.IsPrivate());
}
