// rollkit index: builds the roll's companion into the user's cache and says where and how big;
// leaves a cached one that is up to date alone; builds nothing with --no-companion or for a roll
// it cannot read, and never writes beside the roll.
#include <gtest/gtest.h>

#include <regex>

#include "support/environment.h"
#include "support/rollkit_runner.h"

namespace {

class IndexTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string csv = kRollHeader;
    for (int i = 0; i < 80; ++i) {
      csv += (i % 3 ? "Smith," : "Kelly,") + std::string(i % 2 ? "John" : "Mary") +
             ",,A,5 IL INF,PVT,,,1,2,3," + (i % 4 ? "U" : "C") + "\n";
    }
    roll = BuildRoll(dir, "roll", csv);
    environment = {{kUserCacheVariable, cache.Path()}};
  }

  ScopedTempDir dir, cache;
  std::string roll;
  std::map<std::string, std::string> environment;
};

TEST_F(IndexTest, BuildsIntoTheCacheAndSaysWhereAndHowBig) {
  const std::vector<std::string> before = ListDir(roll);
  const RunResult built = RunRollkit({"index", "--data", roll}, environment);
  ASSERT_EQ(built.exitCode, 0) << built.err;
  const std::regex said(
      R"(.*: companion index built in [0-9.]+ s: (.*\.companion), [0-9.]+ MB \([0-9.]+% of the roll's [0-9.]+ MB; 2 surnames, 1 unit texts\)\n)");
  std::smatch match;
  ASSERT_TRUE(std::regex_match(built.out, match, said)) << built.out;
  EXPECT_EQ(match[1].str().rfind(cache / "dravenholt" + kPathSeparator, 0), 0u) << match[1];
  EXPECT_TRUE(FileExists(match[1]));
  EXPECT_EQ(ListDir(roll), before);

  const RunResult again = RunRollkit({"index", "--data", roll}, environment);
  ASSERT_EQ(again.exitCode, 0) << again.err;
  EXPECT_NE(again.out.find("companion index up to date: " + match[1].str()), std::string::npos) << again.out;
  const RunResult rebuilt = RunRollkit({"index", "--rebuild", "--data", roll}, environment);
  ASSERT_EQ(rebuilt.exitCode, 0) << rebuilt.err;
  EXPECT_NE(rebuilt.out.find("companion index built"), std::string::npos) << rebuilt.out;
}

TEST_F(IndexTest, ADamagedCompanionIsBuiltAgain) {
  ASSERT_EQ(RunRollkit({"index", "--data", roll}, environment).exitCode, 0);
  const std::string folder = cache / "dravenholt";
  const std::vector<std::string> files = ListDir(folder);
  ASSERT_EQ(files.size(), 1u);
  const std::string path = folder + kPathSeparator + files[0];
  std::string bytes = ReadFileBytes(path);
  bytes[bytes.size() / 2] ^= 1;
  WriteFileBytes(path, bytes);
  const RunResult again = RunRollkit({"index", "--data", roll}, environment);
  ASSERT_EQ(again.exitCode, 0) << again.err;
  EXPECT_NE(again.out.find("companion index built"), std::string::npos) << again.out;
  EXPECT_NE(ReadFileBytes(path), bytes);
}

TEST_F(IndexTest, NoCompanionBuildsNothingAndAMissingRollIsAProblem) {
  const RunResult off = RunRollkit({"index", "--no-companion", "--data", roll}, environment);
  EXPECT_EQ(off.exitCode, 0) << off.err;
  EXPECT_NE(off.out.find("the companion index is turned off (--no-companion): nothing built"),
            std::string::npos);
  EXPECT_TRUE(ListDir(cache.Path()).empty());

  const RunResult missing = RunRollkit({"index", "--data", dir / "nothing"}, environment);
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_TRUE(ListDir(cache.Path()).empty());
}

}  // namespace
