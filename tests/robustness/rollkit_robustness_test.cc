// rollkit over damaged and vanishing data: check names the damaged file, search and show never
// crash or hang on it, and neither search nor show leaves anything behind (nor when interrupted:
// rollkit_interrupt_*_test.cc).
#include <gtest/gtest.h>

#include <filesystem>

#include "damages.h"
#include "support/rollkit_runner.h"
#include "session_checks.h"
#include "many_smiths.h"
#include "support/environment.h"

namespace {

class RollkitDamage : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    BuildDamageRoll(roll);
    pristine = {ReadFileBytes(roll.dataDir + "mroll.cor"), ReadFileBytes(roll.dataDir + "mroll.ext"),
                ReadFileBytes(roll.dataDir + "mroll.tre")};
  }
  TestRoll roll;
  Files pristine;
};

}  // namespace

TEST_P(RollkitDamage, CheckNamesItAndSearchAndShowSurviveIt) {
  const Damage damage = Damages()[static_cast<std::size_t>(GetParam())];
  SCOPED_TRACE(damage.name);
  Files f = pristine;
  damage.apply(f);
  WriteFileBytes(roll.dataDir + "mroll.cor", f.cor);
  WriteFileBytes(roll.dataDir + "mroll.ext", f.ext);
  WriteFileBytes(roll.dataDir + "mroll.tre", f.tre);
  const auto before = Snapshot(roll.dataDir);

  const RunResult check = RunRollkit({"check", roll.dataDir});
  if (damage.file) {
    EXPECT_EQ(check.exitCode, 1) << check.out << check.err;
    EXPECT_NE(check.out.find(damage.file), std::string::npos) << check.out << check.err;
  } else {
    EXPECT_TRUE(check.exitCode == 0 || check.exitCode == 1) << check.err;
  }
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"search", "--data", roll.dataDir, "Smith"},
           {"search", "--data", roll.dataDir, "--given", "n", "Smith"},
           {"search", "--data", roll.dataDir, "Surname120"},
           {"search", "--data", roll.dataDir, "Zzz"},
           {"show", "--data", roll.dataDir, "Smith", "0"},
           {"show", "--data", roll.dataDir, "Smith", "24"},
           {"show", "--data", roll.dataDir, "--given", "n", "Smith", "3"},
           {"dump", "--data", roll.dataDir, roll.familyDir + "dump.csv"}}) {
    const RunResult r = RunRollkit(args);
    // 0 with a result, or 1 with a message naming the trouble; never a crash (-1).
    EXPECT_TRUE(r.exitCode == 0 || r.exitCode == 1) << args[0] << " " << args.back() << ": " << r.exitCode << "\n" << r.err;
    if (r.exitCode == 1) {
      // One line of rollkit's own (which one depends on the damage), nothing else.
      EXPECT_EQ(r.err.rfind("rollkit: ", 0), 0u) << r.err;
      EXPECT_EQ(Lines(r.err).size(), 1u) << r.err;
    }
  }
  EXPECT_EQ(Changes(before, Snapshot(roll.dataDir)), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(EachDamage, RollkitDamage, ::testing::Range(0, static_cast<int>(Damages().size())));

namespace {

class RollkitLeavesNothing : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteManySmiths(data.Prefix());
    ASSERT_TRUE(MakeDirectory(tmp));
  }
  ScopedTempDir data;
  ScopedTempDir scratch;
  std::string tmp = scratch.Prefix() + "tmp";
};

}  // namespace

TEST_F(RollkitLeavesNothing, SearchAndShowChangeNothingAndRemoveTheirScratch) {
  const auto before = Snapshot(data.Prefix());
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"search", "--data", data.Prefix(), "Smith"},
           {"search", "--data", data.Prefix(), "--given", "john1", "smith"},
           {"show", "--data", data.Prefix(), "--given", "j", "Smith", "2999"},
           {"show", "--data", data.Prefix(), "Smith", "3000"}}) {
    const RunResult r = RunRollkit(args, {{kTempDirectoryVariable, tmp}});
    EXPECT_TRUE(r.exitCode == 0 || r.exitCode == 1) << r.err;
    EXPECT_TRUE(std::filesystem::is_empty(PathFromUtf8(tmp))) << args[0] << " " << args.back();
  }
  EXPECT_EQ(Changes(before, Snapshot(data.Prefix())), std::vector<std::string>{});
}
