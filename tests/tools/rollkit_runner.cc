#include "rollkit_runner.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

const char* const kRollHeader =
    "surname,name,middle_initial,company,unit,rank_in,rank_out,misc,box,roll,record,side\n";

RunResult RunRollkit(const std::vector<std::string>& args, const RunOptions& options) {
  ScratchDir capture;
  const pid_t pid = StartRollkit(args, options, capture / "out", capture / "err");
  RunResult result = WaitForRollkit(pid, options.timeoutSeconds);
  EXPECT_FALSE(result.timedOut) << "rollkit " << (args.empty() ? "" : args[0]) << " did not end within "
                                << options.timeoutSeconds << " s";
  result.out = ReadFile(capture / "out");
  result.err = ReadFile(capture / "err");
  return result;
}

RunResult RunRollkit(const std::vector<std::string>& args, const std::map<std::string, std::string>& environment) {
  RunOptions options;
  options.environment = environment;
  return RunRollkit(args, options);
}

void WriteFile(const std::string& path, const std::string& bytes) { WriteFileBytes(path, bytes); }

std::string ReadFile(const std::string& path) { return ReadFileBytes(path); }

std::vector<std::string> ListDir(const std::string& path) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(PathFromUtf8(path), ec)) names.push_back(Utf8Path(e.path().filename()));
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string BuildRoll(const ScratchDir& dir, const std::string& name, const std::string& csv) {
  WriteFile(dir / (name + ".csv"), csv);
  const RunResult r = RunRollkit({"build", dir / (name + ".csv"), dir / name});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  return dir / name;
}

std::string RollkitLine(const std::string& message) { return "rollkit: " + message + "\n"; }
