// A roll read out of a disk image has a companion of its own, bound to the image file and to
// where each roll file lies in it: the same roll unpacked, or the image written again, is another.
#include <gtest/gtest.h>

#include "platform/data_file.h"
#include "store/companion_cache.h"
#include "store/companion_upkeep.h"
#include "store/roll_database.h"
#include "store/roll_format.h"
#include "support/companion_roll.h"
#include "support/environment.h"
#include "support/roll_image.h"
#include "support/scoped_env.h"

namespace {

struct ImageRoll {
  explicit ImageRoll(const std::string& image) {
    for (auto [file, name] :
         {std::pair{&names, kNameFileName}, {&lines, kLineFileName}, {&index, kIndexFileName}}) {
      EXPECT_EQ(OpenDataFile(image + kPathSeparator + name, file), OpenStatus::kOk) << name;
    }
  }
  RollFilesView View() const { return {&names, &lines, &index}; }
  ReadOnlyFile names, lines, index;
};

TEST(CompanionOfAnImage, IsBoundToTheImageAndWhereItsFilesLie) {
  TestRoll roll;
  AddVariedEntries(&roll, 500, 9);
  roll.Build();
  ScopedTempDir dir;
  const std::string iso = dir / "disk3.iso";
  WriteRollIso(roll.dataDir, iso);
  const std::string cache = dir.Prefix();
  std::string path, error, reason;
  CompanionStats stats;
  {
    ImageRoll image(iso);
    ASSERT_TRUE(
        BuildCompanionInCache(cache, image.View(), {}, kDefaultCompanionCacheCap, &path, &stats, &error))
        << error;
    CompanionReader reader;
    ASSERT_EQ(OpenCompanion(cache, image.View(), &reader, &reason), CompanionStatus::kOpen) << reason;
    EXPECT_TRUE(reader.VerifyAll());
    // The same roll unpacked is other files.
    OpenRoll unpacked(roll.dataDir);
    EXPECT_NE(CompanionFileName(unpacked.View()), CompanionFileName(image.View()));
    ReadOnlyFile file;
    ASSERT_EQ(file.Open(path), OpenStatus::kOk);
    EXPECT_FALSE(reader.Open(std::move(file), unpacked.View(), &reason));
    EXPECT_EQ(reason, "it was built from another name file");
  }
  // The image written again in its place (the files elsewhere in it, without Joliet names).
  const std::string built = ReadFileBytes(path);
  WriteRollIso(roll.dataDir, dir / "again.iso", false);
  ASSERT_TRUE(RenameReplacing((dir / "again.iso").c_str(), iso.c_str()));
  ImageRoll again(iso);
  WriteFileBytes(cache + CompanionFileName(again.View()), built);
  CompanionReader reader;
  EXPECT_EQ(OpenCompanion(cache, again.View(), &reader, &reason), CompanionStatus::kRefused);
  EXPECT_NE(reason.find("it was built from another name file"), std::string::npos) << reason;
}

}  // namespace

// The viewer's background build reads the roll out of the image as the database does: the
// database then takes what was built as its own.
TEST(CompanionOfAnImage, IsKeptFromTheDataDirectoryAsTheDatabaseOpensIt) {
  TestRoll roll;
  AddVariedEntries(&roll, 300, 4);
  roll.Build();
  ScopedTempDir dir;
  const std::string iso = dir / "disk3.iso";
  WriteRollIso(roll.dataDir, iso);
  ScopedEnv env;
  env.Set(kUserCacheVariable, (dir / "cache").c_str());
  DataLocation location;
  location.SetDirectories(roll.familyDir.c_str(), (iso + kPathSeparator).c_str());

  const UpkeepResult built = KeepCompanion(location.dataDirectory, 1, {}, {});
  ASSERT_EQ(built.end, UpkeepEnd::kBuilt) << built.error;
  RollDatabase database(location, BoxAnswers());
  database.SetCompanionDirectory(CompanionCachePlace());
  ASSERT_EQ(database.Open(1), 1);
  EXPECT_NE(database.Companion(), nullptr);
  EXPECT_EQ(KeepCompanion(location.dataDirectory, 1, {}, {}).end, UpkeepEnd::kSound);
}
