// Keeping a roll's companion in the user's cache from a roll's data directory, as the viewer does
// in the background: on files it opens itself, found as the database finds them, so that the
// database then uses what was built; once per roll; nothing written when stopped or passed over.
#include "store/companion_upkeep.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "store/companion_cache.h"
#include "store/roll_database.h"
#include "support/companion_roll.h"
#include "support/environment.h"
#include "support/scoped_env.h"

namespace {

class CompanionUpkeepTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env.Set(kUserCacheVariable, cache.Path().c_str());
    AddVariedEntries(&roll, 400, 3);
    roll.Build();
  }
  UpkeepResult Keep(const CompanionProgress& progress = {},
                    const std::function<bool(const std::string&)>& passOver = {}) {
    return KeepCompanion(roll.location.dataDirectory, 1, passOver, progress);
  }
  std::vector<std::string> CacheFiles() const {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(CompanionCachePlace(), error))
      names.push_back(entry.path().filename().string());
    return names;
  }

  ScopedTempDir cache;
  ScopedEnv env;
  TestRoll roll;
};

TEST_F(CompanionUpkeepTest, BuildsOnceWhatTheDatabaseThenUses) {
  const UpkeepResult built = Keep();
  ASSERT_EQ(built.end, UpkeepEnd::kBuilt) << built.error;
  EXPECT_EQ(CacheFiles(), std::vector<std::string>{built.fileName});

  // The database opens the same files and takes the companion as its own.
  RollDatabase database(roll.location, BoxAnswers());
  database.SetCompanionDirectory(CompanionCachePlace());
  ASSERT_EQ(database.Open(1), 1);
  EXPECT_NE(database.Companion(), nullptr);

  // A second time nothing is built.
  int steps = 0;
  const UpkeepResult again = Keep([&](int) { return ++steps, true; });
  EXPECT_EQ(again.end, UpkeepEnd::kSound);
  EXPECT_EQ(again.fileName, built.fileName);
  EXPECT_EQ(steps, 0);
}

TEST_F(CompanionUpkeepTest, AStoppedOrPassedOverBuildWritesNothing) {
  const UpkeepResult stopped = Keep([](int) { return false; });
  EXPECT_EQ(stopped.end, UpkeepEnd::kStopped);
  EXPECT_TRUE(CacheFiles().empty());

  std::string asked;
  const UpkeepResult passed = Keep({}, [&](const std::string& name) { return asked = name, true; });
  EXPECT_EQ(passed.end, UpkeepEnd::kPassedOver);
  EXPECT_EQ(asked, passed.fileName);
  EXPECT_FALSE(asked.empty());
  EXPECT_TRUE(CacheFiles().empty());
}

TEST_F(CompanionUpkeepTest, FailuresSayWhyAndMakeNothing) {
  // A cache that cannot be made: named, with the roll's companion file name for passing over.
  WriteFileBytes(cache.Prefix() + "dravenholt", "x");
  const UpkeepResult noCache = Keep();
  EXPECT_EQ(noCache.end, UpkeepEnd::kFailed);
  EXPECT_FALSE(noCache.fileName.empty());
  EXPECT_NE(noCache.error.find("dravenholt"), std::string::npos) << noCache.error;

  // A roll whose index is gone: nothing made in its place (the database would make one; this never).
  std::filesystem::remove(roll.dataDir + "mroll.tre");
  const UpkeepResult noIndex = Keep();
  EXPECT_EQ(noIndex.end, UpkeepEnd::kFailed);
  EXPECT_TRUE(noIndex.fileName.empty());
  EXPECT_NE(noIndex.error.find("mroll.tre"), std::string::npos) << noIndex.error;
  EXPECT_FALSE(std::filesystem::exists(roll.dataDir + "mroll.tre"));
}

}  // namespace
