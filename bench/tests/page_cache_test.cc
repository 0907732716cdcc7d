// The cold cases trust these to tell them the roll really left the page cache, and the bound
// trusts the measured costs; neither may hang on or read what is not a regular file.
#include "page_cache.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "machine_costs.h"
#include "sqlite_tuned.h"
#include "support/scoped_temp_dir.h"
#include "support/test_roll.h"

namespace {

TEST(PageCache, AFileReadIsResidentAndEvictedIsNot) {
  ScopedTempDir dir;
  const std::string path = dir.File("data");
  WriteFileBytes(path, std::string(1 << 20, 'x'));
  ASSERT_GT(MeasureCachedReadBandwidth(path), 0);  // reads it whole
  EXPECT_EQ(ResidentBytes(path), 1 << 20);
  const std::int64_t left = EvictAll({path});
  ASSERT_GE(left, 0);
  if (left > 0) GTEST_SKIP() << "this file system keeps evicted pages (" << left << " bytes)";
  EXPECT_EQ(left, 0);
}

TEST(PageCache, TheTunedCopyLetsGoOfItsMappedPagesWhenItMapsAfresh) {
  // Pages a process has mapped are not dropped: the cold More Info of the tuned copy, which maps
  // its file, is cold only if the screen maps the file afresh before the eviction.
  TestRoll roll;
  for (int i = 0; i < 3000; ++i) roll.Add("Name" + std::to_string(i % 300), "John", {std::to_string(i)});
  roll.Build();
  const std::string db = roll.familyDir + "roll.sqlite";
  std::string error;
  ASSERT_TRUE(LoadTunedSqliteRoll(roll.dataDir, db, &error)) << error;
  TunedSqliteScreen screen;
  ASSERT_TRUE(screen.Open(db));
  screen.Search("Name7", "");
  const std::string detail = screen.DetailText(0);
  ASSERT_NE(detail, "");

  screen.Remap();
  const std::int64_t left = EvictAll({db});
  ASSERT_GE(left, 0);
  if (left > 0) {
    // Either the mapping was kept, or this file system keeps evicted pages; tell which.
    ScopedTempDir dir;
    WriteFileBytes(dir.File("probe"), std::string(1 << 16, 'x'));
    ASSERT_TRUE(EvictFromPageCache(dir.File("probe")));
    if (ResidentBytes(dir.File("probe")) > 0) GTEST_SKIP() << "this file system keeps evicted pages";
  }
  EXPECT_EQ(left, 0);
  EXPECT_EQ(screen.DetailText(0), detail);  // and the screen still answers
}

TEST(PageCache, WhatIsNotARegularFileIsNeitherOpenedNorMeasured) {
  ScopedTempDir dir;
  const std::string fifo = dir.File("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // A FIFO without a writer would block an open for reading.
  EXPECT_FALSE(EvictFromPageCache(fifo));
  EXPECT_EQ(EvictAll({fifo}), -1);
  EXPECT_EQ(ResidentBytes(fifo), -1);
  EXPECT_EQ(MeasureCachedReadBandwidth(fifo), 0);
  EXPECT_EQ(MeasureOpenCloseNs(fifo), 0);
  EXPECT_EQ(ResidentBytes(dir.File("missing")), -1);
  EXPECT_EQ(MeasureOpenCloseNs(dir.File("missing")), 0);
  WriteFileBytes(dir.File("empty"), "");
  EXPECT_EQ(ResidentBytes(dir.File("empty")), 0);
  EXPECT_GT(MeasureOpenCloseNs(dir.File("empty"), 1, 10), 0);
}

}  // namespace
