// Arguments rollkit cannot take: exit status 2, the reason, the subcommand's usage line. Numbers
// are plain decimal digits within their range, and the message names the range.
#include <gtest/gtest.h>

#include "support/rollkit_runner.h"

namespace {

std::string UsageError(const std::string& message, const std::string& usage) {
  return "rollkit: " + message + "\nUsage: rollkit " + usage + "\nRun with --help for more information.\n";
}

const std::string kSearch = "search [OPTIONS] SURNAME";
const std::string kShow = "show [OPTIONS] SURNAME INDEX...";
const std::string kBuild = "build [OPTIONS] CSV DIR";
const std::string kGenerate = "generate [OPTIONS] CSV";

TEST(RollkitArguments, BadArgumentsPrintTheReasonAndTheUsageAndExitTwo) {
  struct Case {
    std::vector<std::string> args;
    std::string err;
  };
  const Case cases[] = {
      {{}, UsageError("A subcommand is required", "[OPTIONS] SUBCOMMAND")},
      {{"frobnicate"}, UsageError("A subcommand is required", "[OPTIONS] SUBCOMMAND")},
      {{"search"}, UsageError("SURNAME is required", kSearch)},
      {{"search", "--raw", "--json", "smith"}, UsageError("--raw excludes --json", kSearch)},
      {{"search", "--data", "/tmp", "ABCDEFGHIJKLMNOPQRSTUVWX"}, UsageError("SURNAME is longer than 23 characters", kSearch)},
      {{"show", "smith"}, UsageError("INDEX is required", kShow)},
      {{"build", "only.csv"}, UsageError("DIR is required", kBuild)},
  };
  for (const Case& c : cases) {
    const RunResult r = RunRollkit(c.args);
    EXPECT_EQ(r.exitCode, 2) << (c.args.empty() ? "" : c.args[0]);
    EXPECT_EQ(r.err, c.err);
  }
  for (const char* sub : {"search", "show", "build", "check", "dump", "generate"}) {
    const RunResult help = RunRollkit({sub, "--help"});
    EXPECT_EQ(help.exitCode, 0) << sub;
    EXPECT_NE(help.out.find(std::string("Usage: rollkit ") + sub), std::string::npos) << help.out;
  }
}

// A negative count was once read as 2^64 - 5 entries and filled the disk; a leading zero as
// octal. Each is refused before anything is read or written.
TEST(RollkitArguments, NumbersOutsideTheirRangeAreRefusedNamingTheRange) {
  ScopedTempDir dir;
  const std::string out = dir / "out.csv";
  struct Case {
    std::vector<std::string> args;
    std::string err;
  };
  const std::string entries = "is not a whole number from 0 to 2147483647";
  const Case cases[] = {
      {{"generate", "--entries", "-5", out}, UsageError("--entries: -5 " + entries, kGenerate)},
      {{"generate", "--entries", "2147483648", out}, UsageError("--entries: 2147483648 " + entries, kGenerate)},
      {{"generate", "--entries", "0x10", out}, UsageError("--entries: 0x10 " + entries, kGenerate)},
      {{"generate", "--entries", " 5", out}, UsageError("--entries:  5 " + entries, kGenerate)},
      {{"generate", "--entries", "many", out}, UsageError("--entries: many " + entries, kGenerate)},
      {{"generate", "--entries", "", out}, UsageError("--entries: \"\" " + entries, kGenerate)},
      {{"generate", "--seed", "-1", out},
       UsageError("--seed: -1 is not a whole number from 0 to 18446744073709551615", kGenerate)},
      {{"generate", "--seed", "18446744073709551616", out},
       UsageError("--seed: 18446744073709551616 is not a whole number from 0 to 18446744073709551615", kGenerate)},
      {{"build", "--name-length", "0", "a.csv", dir / "db"},
       UsageError("--name-length: 0 is not a whole number from 1 to 255", kBuild)},
      {{"build", "--name-length", "256", "a.csv", dir / "db"},
       UsageError("--name-length: 256 is not a whole number from 1 to 255", kBuild)},
      {{"search", "--rows", "9", "smith"}, UsageError("--rows: 9 is not 10 or 8", kSearch)},
      {{"search", "--rows", "-10", "smith"}, UsageError("--rows: -10 is not 10 or 8", kSearch)},
      {{"show", "--rows", "010", "smith", "0"}, UsageError("--rows: 010 is not 10 or 8", kShow)},
      {{"show", "smith", "-1"}, UsageError("INDEX: -1 is not a whole number from 0 to 2147483647", kShow)},
      {{"show", "smith", "2147483648"}, UsageError("INDEX: 2147483648 is not a whole number from 0 to 2147483647", kShow)},
  };
  for (const Case& c : cases) {
    const RunResult r = RunRollkit(c.args);
    EXPECT_EQ(r.exitCode, 2) << c.args[1] << " " << c.args[2];
    EXPECT_EQ(r.err, c.err);
  }
  EXPECT_EQ(ListDir(dir.Path()), std::vector<std::string>{});

  // The limits themselves are taken.
  const RunResult most = RunRollkit({"generate", "--entries", "0", "--seed", "18446744073709551615", out});
  EXPECT_EQ(most.exitCode, 0) << most.err;
  EXPECT_EQ(Lines(ReadFileBytes(out)).size(), 1u) << "the header alone";
}

}  // namespace
