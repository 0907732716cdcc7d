// generate and dump: the generator is deterministic, and a database rebuilt from its own dump is
// the same database, byte for byte.
#include <gtest/gtest.h>

#include "rollkit_runner.h"

namespace {

void ExpectSameDatabase(const std::string& a, const std::string& b) {
  for (const char* file : {"mroll.cor", "mroll.ext", "mroll.tre"}) {
    EXPECT_TRUE(ReadFile(a + "/" + file) == ReadFile(b + "/" + file)) << file << " differs";
  }
}

TEST(GenerateTest, SameSeedSameRollAndEveryRowBuilds) {
  ScratchDir dir;
  ASSERT_EQ(RunRollkit({"generate", "--entries", "3000", "--seed", "5", dir / "a.csv"}).exitCode, 0);
  ASSERT_EQ(RunRollkit({"generate", "--entries", "3000", "--seed", "5", dir / "b.csv"}).exitCode, 0);
  ASSERT_EQ(RunRollkit({"generate", "--entries", "3000", "--seed", "6", dir / "c.csv"}).exitCode, 0);
  const std::string a = ReadFile(dir / "a.csv");
  EXPECT_EQ(a, ReadFile(dir / "b.csv"));
  EXPECT_NE(a, ReadFile(dir / "c.csv"));
  EXPECT_EQ(Lines(a).size(), 3001u);
  EXPECT_EQ(Lines(a).front(),
            "\"surname\",\"name\",\"middle_initial\",\"company\",\"unit\",\"rank_in\",\"rank_out\",\"misc\","
            "\"box\",\"roll\",\"record\",\"side\"");

  const RunResult built = RunRollkit({"build", dir / "a.csv", dir / "db"});
  ASSERT_EQ(built.exitCode, 0) << built.err;
  EXPECT_EQ(RunRollkit({"check", dir / "db"}).exitCode, 0);
  // The common names are common: Smith has well over a hundred of 3,000 entries.
  const auto smith = Lines(RunRollkit({"search", "--data", dir / "db", "smith"}).out);
  EXPECT_GT(smith.size(), 100u);
  EXPECT_LT(smith.size(), 300u);
}

TEST(DumpTest, RebuildingADumpGivesTheSameDatabase) {
  ScratchDir dir;
  ASSERT_EQ(RunRollkit({"generate", "--entries", "5000", "--seed", "9", dir / "g.csv"}).exitCode, 0);
  ASSERT_EQ(RunRollkit({"build", dir / "g.csv", dir / "one"}).exitCode, 0);
  const RunResult dumped = RunRollkit({"dump", "--data", dir / "one"});
  ASSERT_EQ(dumped.exitCode, 0) << dumped.err;
  WriteFile(dir / "dump.csv", dumped.out);
  ASSERT_EQ(RunRollkit({"build", dir / "dump.csv", dir / "two"}).exitCode, 0);
  ExpectSameDatabase(dir / "one", dir / "two");
  EXPECT_EQ(RunRollkit({"dump", "--data", dir / "two"}).out, dumped.out);
}

TEST(DumpTest, KeysOfEveryLengthAndEightBitTextSurviveTheRoundTrip) {
  ScratchDir dir;
  std::string csv = kRollHeader;
  for (const char* surname : {"Abcdefghijklmnop",         // 16: padded to 22
                              "Abcdefghijklmnopq",        // 17: not padded
                              "Abcdefghijklmnopqrst  ",   // 22 with trailing blanks of its own
                              "Abcdefghijklmnopqrstuvw",  // 23: the longest
                              "O'Brien", "Van Buren", "Müller", "Ng"}) {
    csv += std::string(surname) + ",Zoë, , ,1 TX CAV,PVT,,\"Œuvre — “quoted, comma” \"\"ok\"\"\",,,,C\n";
  }
  BuildRoll(dir, "one", csv);
  ASSERT_EQ(RunRollkit({"dump", "--data", dir / "one", dir / "dump.csv"}).exitCode, 0);
  const std::string dump = ReadFile(dir / "dump.csv");
  EXPECT_NE(dump.find("\"ABCDEFGHIJKLMNOPQRST  \""), std::string::npos) << dump;
  EXPECT_NE(dump.find("\"MüLLER\",\"Zoë\",\" \""), std::string::npos) << dump;
  ASSERT_EQ(RunRollkit({"build", dir / "dump.csv", dir / "two"}).exitCode, 0);
  ExpectSameDatabase(dir / "one", dir / "two");
  EXPECT_EQ(Lines(RunRollkit({"search", "--data", dir / "two", "abcdefghijklmnopq"}).out).front(), "1 records found.");
}

}  // namespace
