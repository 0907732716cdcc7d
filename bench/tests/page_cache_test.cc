// The cold cases trust these to tell them the roll really left the page cache, and the bound
// trusts the measured costs; neither may hang on or read what is not a regular file.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

#include "machine_costs.h"
#include "page_cache.h"
#include "support/scoped_temp_dir.h"

namespace {

TEST(PageCache, AFileReadIsResidentAndEvictedIsNot) {
  ScopedTempDir dir;
  const std::string path = dir.File("data");
  WriteFileBytes(path, std::string(1 << 20, 'x'));
  ASSERT_GT(MeasureCachedReadBandwidth(path), 0);  // reads it whole
  EXPECT_EQ(ResidentBytes(path), 1 << 20);
  ASSERT_TRUE(EvictFromPageCache(path));
  const std::int64_t left = ResidentBytes(path);
  if (left > 0) GTEST_SKIP() << "this file system keeps evicted pages (" << left << " bytes)";
  EXPECT_EQ(left, 0);
}

TEST(PageCache, WhatIsNotARegularFileIsNeitherOpenedNorMeasured) {
  ScopedTempDir dir;
  const std::string fifo = dir.File("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // A FIFO without a writer would block an open for reading.
  EXPECT_FALSE(EvictFromPageCache(fifo));
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
