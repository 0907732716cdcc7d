// A companion answers only for the roll it was built from, as its files are now: one of another
// roll, of an older state of the files (same size, times put back), truncated or bit-flipped is
// refused with a reason, or (damage in a block no open reads) answers nothing rather than
// something wrong.
#include <gtest/gtest.h>

#include <filesystem>

#include "store/companion_cache.h"
#include "store/roll_format.h"
#include "support/companion_roll.h"
#include "support/environment.h"
#include "support/scoped_env.h"

namespace {

namespace fs = std::filesystem;

class CompanionBinding : public ::testing::Test {
 protected:
  void SetUp() override {
    // Large enough for a companion of several blocks, so that damage can lie where no open reads.
    AddVariedEntries(&roll, 30000, 2);
    roll.Build();
    cache = cacheDir.Prefix();
    OpenRoll files(roll.dataDir);
    std::string error;
    CompanionStats stats;
    ASSERT_TRUE(
        BuildCompanionInCache(cache, files.View(), {}, kDefaultCompanionCacheCap, &path, &stats, &error))
        << error;
    built = ReadFileBytes(path);
  }

  CompanionStatus Open(const TestRoll& which, std::string* reason) {
    OpenRoll files(which.dataDir);
    CompanionReader reader;
    return OpenCompanion(cache, files.View(), &reader, reason);
  }

  // Rewrites `file` of the roll in place, keeping its size and putting its times back.
  void RewriteKeepingTimes(const std::string& file, long offset, const std::string& bytes) {
    const std::string target = roll.dataDir + file;
    const auto time = fs::last_write_time(PathFromUtf8(target));
    const auto size = fs::file_size(PathFromUtf8(target));
    Corrupt(target, offset, bytes);
    fs::last_write_time(PathFromUtf8(target), time);
    ASSERT_EQ(fs::file_size(PathFromUtf8(target)), size);
  }

  TestRoll roll;
  ScopedTempDir cacheDir;
  std::string cache, path, built;
};

TEST_F(CompanionBinding, OpensForTheRollItWasBuiltFromWhereverTheRollIsReachedFrom) {
  std::string reason;
  EXPECT_EQ(Open(roll, &reason), CompanionStatus::kOpen) << reason;
  // The same files under another path (a link to the directory) are the same roll.
  const std::string linked = cacheDir / "linked";
  std::error_code failed;
  fs::create_directory_symlink(PathFromUtf8(roll.dataDir), PathFromUtf8(linked), failed);
  if (failed) GTEST_SKIP() << "no symbolic links here: " << failed.message();
  OpenRoll files(linked + kPathSeparator);
  CompanionReader reader;
  EXPECT_EQ(OpenCompanion(cache, files.View(), &reader, &reason), CompanionStatus::kOpen) << reason;
}

TEST_F(CompanionBinding, AnotherRollsCompanionIsRefused) {
  TestRoll other;
  AddVariedEntries(&other, 30000, 2);  // the same entries, other files
  other.Build();
  OpenRoll files(other.dataDir);
  std::string reason;
  EXPECT_EQ(Open(other, &reason), CompanionStatus::kMissing) << reason;
  WriteFileBytes(cache + CompanionFileName(files.View()), built);
  EXPECT_EQ(Open(other, &reason), CompanionStatus::kRefused);
  EXPECT_NE(reason.find("it was built from another name file"), std::string::npos) << reason;
}

TEST_F(CompanionBinding, AnOlderStateOfTheFilesIsRefusedThoughSizesAndTimesAreTheSame) {
  std::string reason;
  RewriteKeepingTimes(kLineFileName, 0, "Q");
  EXPECT_EQ(Open(roll, &reason), CompanionStatus::kRefused);
  EXPECT_NE(reason.find("the line file changed since it was built"), std::string::npos) << reason;
  // Where the file system keeps no change time of its own, the index's bytes tell.
  OpenRoll files(roll.dataDir);
  RollBinding binding;
  std::string error;
  ASSERT_TRUE(BindRoll(files.View(), &binding, &error)) << error;
  ReadOnlyFile file;
  ASSERT_EQ(file.Open(path), OpenStatus::kOk);
  CompanionHeader header;
  ASSERT_TRUE(CompanionHeader::Decode(reinterpret_cast<const unsigned char*>(built.data()),
                                      static_cast<std::int64_t>(built.size()), &header, &error));
  RollBinding older = header.roll;
  older.indexHash.low ^= 1;
  CompanionReader reader;
  EXPECT_FALSE(reader.Open(std::move(file), older, &reason));
  EXPECT_EQ(reason, "the index file's bytes are not those it was built from");
}

TEST_F(CompanionBinding, ATruncatedCompanionIsRefused) {
  for (std::size_t length : {std::size_t{0}, std::size_t{100}, std::size_t{511}, std::size_t{512},
                             built.size() / 2, built.size() - 1}) {
    WriteFileBytes(path, built.substr(0, length));
    std::string reason;
    EXPECT_EQ(Open(roll, &reason), CompanionStatus::kRefused) << length;
    EXPECT_NE(reason.find("truncated?"), std::string::npos) << length << ": " << reason;
  }
}

TEST_F(CompanionBinding, ABitFlippedCompanionIsRefusedOrAnswersNothingWrong) {
  RollScan scan(roll.dataDir);
  const EntryFilter side = [] {
    EntryFilter f;
    f.side = 'C';
    return f;
  }();
  int refused = 0, found = 0;
  for (std::size_t at = 0; at < built.size(); at += 1 + built.size() / 97) {
    std::string flipped = built;
    flipped[at] = static_cast<char>(flipped[at] ^ 0x10);
    WriteFileBytes(path, flipped);
    OpenRoll files(roll.dataDir);
    CompanionReader reader;
    std::string reason;
    if (OpenCompanion(cache, files.View(), &reader, &reason) != CompanionStatus::kOpen) {
      ++refused;
      continue;
    }
    // Every answer given is the scan's; the damaged block makes the questions that read it fail.
    for (std::size_t k = 0; k < reader.KeyCount(); ++k) {
      CompanionKey key;
      std::int64_t count = -1;
      if (!reader.Key(k, &key) || !reader.CountOfKey(k, CompanionFilter::From('C', "", "", ""), &count))
        break;
      EXPECT_EQ(count, static_cast<std::int64_t>(scan.Passing(key.begin, key.end, side).size()))
          << "flip at " << at;
    }
    EXPECT_FALSE(reader.VerifyAll()) << "flip at " << at;
    EXPECT_NE(reader.Problem().find("damaged (checksum)"), std::string::npos) << reader.Problem();
    ++found;
  }
  EXPECT_GT(refused, 0);
  EXPECT_GT(found, 0);
}

TEST_F(CompanionBinding, ACompanionWhoseChecksumsHoldButWhoseOffsetsLieAnswersNothing) {
  // Sealed again after the damage, as a companion written wrong would be: the damage is found
  // where it is read, before anything of the size it claims is read or made.
  OpenRoll files(roll.dataDir);
  RollBinding binding;
  std::string error, reason;
  ASSERT_TRUE(BindRoll(files.View(), &binding, &error)) << error;
  CompanionHeader header;
  ASSERT_TRUE(CompanionHeader::Decode(reinterpret_cast<const unsigned char*>(built.data()),
                                      static_cast<std::int64_t>(built.size()), &header, &error));
  auto sealed = [&](CompanionSection section, std::size_t at, std::uint32_t value) {
    std::string file = built.substr(0, header.blockTableOffset);
    const std::string le = Le32(static_cast<int>(value));
    file.replace(header.Section(section).offset + at, 4, le);
    SealCompanion(header, &file);
    WriteFileBytes(path, file);
    ReadOnlyFile opened;
    EXPECT_EQ(opened.Open(path), OpenStatus::kOk);
    return opened;
  };
  CompanionReader reader;
  // The second key's counts said to begin far past their section.
  ASSERT_TRUE(
      reader.Open(sealed(CompanionSection::kKeys, kKeyRecordSize + 12, 0xFFFFFFF0u), binding, &reason))
      << reason;
  std::int64_t count = -1;
  EXPECT_FALSE(reader.CountOfKey(0, CompanionFilter::From('C', "", "", ""), &count));
  EXPECT_EQ(reader.Problem(), "its key counts are out of order");
  CompanionKey key;
  EXPECT_FALSE(reader.Key(0, &key));  // and nothing more is answered
  // The first group's list said to begin past its section.
  ASSERT_TRUE(reader.Open(sealed(CompanionSection::kGroups, 12, 0xFFFFFFF0u), binding, &reason)) << reason;
  std::vector<std::int32_t> slots;
  EXPECT_FALSE(reader.GroupSlots(0, 0, 10, &slots));
  EXPECT_TRUE(slots.empty());
  // The first key said to keep one name: not what is kept of any run (none of a short or
  // unordered one, one a step of a long one).
  ASSERT_TRUE(reader.Open(sealed(CompanionSection::kSampleStarts, 4, 1), binding, &reason)) << reason;
  std::string kept = "left";
  EXPECT_FALSE(reader.NameSamples(0, &kept));
  EXPECT_EQ(reader.Problem(), "key 0's kept names are malformed");
  EXPECT_TRUE(kept.empty());
}

TEST_F(CompanionBinding, NothingInTheCacheMeansNoCompanionAndAFileThereNoCache) {
  ScopedTempDir home;
  ScopedEnv env;
  env.Set(kUserCacheVariable, home.Path().c_str());
  std::string error;
  const std::string directory = CompanionCacheDirectory(&error);
  EXPECT_EQ(directory, home / "dravenholt" + kPathSeparator) << error;
  EXPECT_EQ(ListDir(home.Path()), std::vector<std::string>{"dravenholt"});

  // A file where the cache's directory belongs: no cache, and nothing written.
  ScopedTempDir blocked;
  WriteFileBytes(blocked / "dravenholt", "mine");
  env.Set(kUserCacheVariable, blocked.Path().c_str());
  EXPECT_EQ(CompanionCacheDirectory(&error), "");
  EXPECT_NE(error.find("not a directory"), std::string::npos) << error;
  EXPECT_EQ(ReadFileBytes(blocked / "dravenholt"), "mine");
}

}  // namespace
