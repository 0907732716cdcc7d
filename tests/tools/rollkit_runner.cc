#include "rollkit_runner.h"

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

extern char** environ;

const char* const kRollHeader =
    "surname,name,middle_initial,company,unit,rank_in,rank_out,misc,box,roll,record,side\n";

RunResult RunRollkit(const std::vector<std::string>& args, const std::map<std::string, std::string>& environment) {
  ScratchDir capture;
  const std::string outPath = capture / "out";
  const std::string errPath = capture / "err";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);

  std::vector<std::string> argStrings = {ROLLKIT_PATH};
  argStrings.insert(argStrings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : argStrings) argv.push_back(a.data());
  argv.push_back(nullptr);

  std::vector<std::string> envStrings;
  for (char** e = environ; *e; ++e) {
    const std::string entry(*e);
    if (!environment.count(entry.substr(0, entry.find('=')))) envStrings.push_back(entry);
  }
  for (const auto& [name, value] : environment) envStrings.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (auto& e : envStrings) envp.push_back(e.data());
  envp.push_back(nullptr);

  RunResult result;
  pid_t pid;
  if (posix_spawn(&pid, ROLLKIT_PATH, &actions, nullptr, argv.data(), envp.data()) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  result.out = ReadFile(outPath);
  result.err = ReadFile(errPath);
  return result;
}

ScratchDir::ScratchDir() {
  const char* base = getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/rollkit-test-XXXXXX";
  if (mkdtemp(pattern.data())) path_ = pattern;
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  if (!path_.empty()) std::filesystem::remove_all(path_, ec);
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> ListDir(const std::string& path) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(path, ec)) names.push_back(e.path().filename());
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
