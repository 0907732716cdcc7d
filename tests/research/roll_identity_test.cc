// Which roll a search ran on: the index file's XXH3-128 over every byte, and the volume label of
// the disk image the roll is read out of, so that a copy of the roll is the same roll.
#include "research/roll_identity.h"

#include <gtest/gtest.h>
#define XXH_INLINE_ALL
#include <xxhash.h>

#include <random>

#include "platform/volume_label.h"
#include "store/index_hash.h"
#include "support/raw_image.h"
#include "support/scoped_temp_dir.h"

namespace {

std::string RandomBytes(std::size_t size) {
  std::mt19937 random(7);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

// A cooked image whose primary volume descriptor (sector 16) carries `label`, padded with blanks.
std::string ImageWithLabel(const std::string& label) {
  std::string image(18 * 2048, '\0');
  std::string descriptor = std::string(
      "\x01"
      "CD001"
      "\x01",
      7);
  descriptor.resize(40, ' ');
  descriptor += label + std::string(32 - label.size(), ' ');
  image.replace(16 * 2048, descriptor.size(), descriptor);
  image[17 * 2048] = '\xFF';  // the set's terminator
  image.replace(17 * 2048 + 1, 5, "CD001");
  return image;
}

TEST(IndexHashTest, IsXxh3Of128BitsOverEveryByteReadInChunks) {
  ScopedTempDir dir;
  // Longer than one chunk, and not a whole number of them.
  const std::string bytes = RandomBytes(200001);
  WriteFileBytes(dir / "mroll.tre", bytes);
  ReadOnlyFile file;
  ASSERT_EQ(file.Open(dir / "mroll.tre"), OpenStatus::kOk);
  IndexHash hash;
  ASSERT_TRUE(HashIndexFile(file, &hash));

  const XXH128_hash_t expected = XXH3_128bits(bytes.data(), bytes.size());
  EXPECT_EQ(hash.high, expected.high64);
  EXPECT_EQ(hash.low, expected.low64);
  XXH128_canonical_t canonical;
  XXH128_canonicalFromHash(&canonical, expected);
  std::string hex;
  for (unsigned char byte : canonical.digest) {
    char two[3];
    std::snprintf(two, sizeof two, "%02x", byte);
    hex += two;
  }
  EXPECT_EQ(hash.Hex(), hex);

  // The file cut short after it was opened is no longer the file of that size: no hash.
  WriteFileBytes(dir / "mroll.tre", bytes.substr(0, 1000));
  IndexHash unchanged = hash;
  EXPECT_FALSE(HashIndexFile(file, &unchanged));
  EXPECT_EQ(unchanged, hash);
}

TEST(VolumeLabelTest, IsReadInEverySectorLayoutAndShownSafely) {
  ScopedTempDir dir;
  WriteFileBytes(dir / "disk.iso", ImageWithLabel("KINLOOM_DISK_3"));
  EXPECT_EQ(VolumeLabelOfImage(dir / "disk.iso"), "KINLOOM_DISK_3");
  for (RawMode mode : {RawMode::kMode1Raw, RawMode::kMode2Raw}) {
    const std::string bin = dir / (std::string(RawModeName(mode)).substr(0, 5) + ".bin");
    const std::string cue = bin.substr(0, bin.size() - 4) + ".cue";
    WriteRawImage(dir / "disk.iso", bin, cue, mode);
    EXPECT_EQ(VolumeLabelOfImage(bin), "KINLOOM_DISK_3") << RawModeName(mode);
    EXPECT_EQ(VolumeLabelOfImage(cue), "KINLOOM_DISK_3") << RawModeName(mode);
  }
  WriteFileBytes(dir / "escape.iso", ImageWithLabel("A\x1B[2JB"));
  EXPECT_EQ(VolumeLabelOfImage(dir / "escape.iso"), "A_[2JB");
  WriteFileBytes(dir / "none.iso", std::string(18 * 2048, '\0'));
  EXPECT_EQ(VolumeLabelOfImage(dir / "none.iso"), "");
  EXPECT_EQ(VolumeLabelOfImage(dir / "missing.iso"), "");
}

TEST(RollIdentityTest, TheSameIndexBytesAreTheSameRollWhereverTheyLie) {
  ScopedTempDir dir;
  const std::string bytes = RandomBytes(5000);
  ASSERT_TRUE(MakeDirectory(dir / "a"));
  ASSERT_TRUE(MakeDirectory(dir / "b"));
  WriteFileBytes(dir / "a/mroll.tre", bytes);
  WriteFileBytes(dir / "b/mroll.tre", bytes);
  RollIdentity first;
  RollIdentity second;
  ASSERT_TRUE(IdentifyRoll(dir / "a/mroll.tre", &first));
  ASSERT_TRUE(IdentifyRoll(dir / "b/mroll.tre", &second));
  EXPECT_EQ(first.hash, second.hash);
  EXPECT_EQ(first.hash.size(), 32u);
  EXPECT_EQ(first.label, "");

  WriteFileBytes(dir / "b/mroll.tre", bytes + "x");
  ASSERT_TRUE(IdentifyRoll(dir / "b/mroll.tre", &second));
  EXPECT_NE(first.hash, second.hash);
  EXPECT_FALSE(IdentifyRoll(dir / "c/mroll.tre", &second));
}

}  // namespace
