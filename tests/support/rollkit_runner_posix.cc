// Starting rollkit on POSIX: fork, the files, limits and user set in the child, then exec.
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "support/rollkit_runner.h"

extern char** environ;

namespace {

constexpr uid_t kNobody = 65534;

// Everything the child needs, made before the fork: between fork and exec only system calls.
struct Launch {
  std::vector<std::string> argStrings;
  std::vector<std::string> envStrings;
  std::vector<char*> argv;
  std::vector<char*> envp;

  Launch(const std::vector<std::string>& args, const std::map<std::string, std::string>& environment) {
    argStrings = {ROLLKIT_PATH};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    for (char** e = environ; *e; ++e) {
      const std::string entry(*e);
      if (!environment.count(entry.substr(0, entry.find('=')))) envStrings.push_back(entry);
    }
    for (const auto& [name, value] : environment) envStrings.push_back(name + "=" + value);
    for (auto& a : argStrings) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto& e : envStrings) envp.push_back(e.data());
    envp.push_back(nullptr);
  }
};

void OpenOnto(const char* path, int flags, int target) {
  const int fd = open(path, flags | O_CLOEXEC, 0644);
  if (fd < 0 || dup2(fd, target) < 0) _exit(126);
  close(fd);
}

void Limit(int resource, long long bytes) {
  if (bytes < 0) return;
  const rlimit limit{static_cast<rlim_t>(bytes), static_cast<rlim_t>(bytes)};
  if (setrlimit(resource, &limit) != 0) _exit(126);
}

}  // namespace

pid_t StartRollkit(const std::vector<std::string>& args, const RunOptions& options, const std::string& outPath,
                   const std::string& errPath) {
  Launch launch(args, options.environment);
  const std::string out = !options.output.empty() ? options.output : outPath.empty() ? "/dev/null" : outPath;
  const int outFlags = O_WRONLY | O_CREAT | (options.appendOutput ? O_APPEND : O_TRUNC);
  const std::string err = errPath.empty() ? "/dev/null" : errPath;
  const pid_t pid = fork();
  if (pid != 0) return pid;
  // The child: every signal back to its default, the files, the limits, the user, then rollkit.
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  for (int sig = 1; sig < NSIG; ++sig) signal(sig, SIG_DFL);
  OpenOnto(options.input.empty() ? "/dev/null" : options.input.c_str(), O_RDONLY, 0);
  OpenOnto(out.c_str(), outFlags, 1);
  OpenOnto(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 2);
  Limit(RLIMIT_CORE, 0);  // a signal that dumps core leaves no core file behind
  Limit(RLIMIT_FSIZE, options.fileSizeLimit);
  Limit(RLIMIT_AS, options.addressSpaceLimit);
  if (options.unprivileged && geteuid() == 0) {
    if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(125);
  }
  execve(ROLLKIT_PATH, launch.argv.data(), launch.envp.data());
  _exit(127);
}

RunResult WaitForRollkit(pid_t pid, int timeoutSeconds) {
  RunResult result;
  if (pid < 0) return result;
  const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  if (pidfd >= 0) {
    pollfd ready{pidfd, POLLIN, 0};
    if (poll(&ready, 1, timeoutSeconds * 1000) == 0) {
      kill(pid, SIGKILL);
      result.timedOut = true;
    }
    close(pidfd);
  }
  int status = 0;
  if (waitpid(pid, &status, 0) == pid) {
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  }
  return result;
}

bool EndedBeforeItRan(const RunResult&) { return false; }
