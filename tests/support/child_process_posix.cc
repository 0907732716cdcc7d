#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include "support/child_process.h"
#include "support/scoped_temp_dir.h"

extern char** environ;

RunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                     const std::map<std::string, std::string>& environment) {
  ScopedTempDir capture;
  const std::string outPath = capture.File("out");
  const std::string errPath = capture.File("err");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);

  std::vector<std::string> argStrings = {program};
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
  if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  result.out = ReadFileBytes(outPath);
  result.err = ReadFileBytes(errPath);
  return result;
}
