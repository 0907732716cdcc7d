#include "support/rollkit_runner.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

const char* const kRollHeader =
    "surname,name,middle_initial,company,unit,rank_in,rank_out,misc,box,roll,record,side\n";

namespace {

RunResult RunOnce(const std::vector<std::string>& args, const RunOptions& options) {
  ScopedTempDir capture;
  const pid_t pid = StartRollkit(args, options, capture / "out", capture / "err");
  RunResult result = WaitForRollkit(pid, options.timeoutSeconds);
  result.out = ReadFileBytes(capture / "out");
  result.err = ReadFileBytes(capture / "err");
  return result;
}

}  // namespace

RunResult RunRollkit(const std::vector<std::string>& args, const RunOptions& options) {
  RunResult result = RunOnce(args, options);
  // A crash of rollkit's own comes again on the same input, and still fails the test.
  if (EndedBeforeItRan(result)) result = RunOnce(args, options);
  EXPECT_FALSE(result.timedOut) << "rollkit " << (args.empty() ? "" : args[0]) << " did not end within "
                                << options.timeoutSeconds << " s";
  return result;
}

RunResult RunRollkit(const std::vector<std::string>& args, const std::map<std::string, std::string>& environment) {
  RunOptions options;
  options.environment = environment;
  return RunRollkit(args, options);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string BuildRoll(const ScopedTempDir& dir, const std::string& name, const std::string& csv) {
  WriteFileBytes(dir / (name + ".csv"), csv);
  const RunResult r = RunRollkit({"build", dir / (name + ".csv"), dir / name});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  return dir / name;
}

std::string RollkitLine(const std::string& message) { return "rollkit: " + message + "\n"; }
