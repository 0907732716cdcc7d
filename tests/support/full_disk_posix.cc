#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "support/full_disk.h"

const char* const kNoFullDiskHere = "no full disk can be played here";

std::string RunWithFullDisk(const std::string&, long limit, const std::function<std::string()>& work) {
  int fds[2];
  if (pipe(fds) != 0) return "pipe failed";
  const pid_t child = fork();
  if (child < 0) return "fork failed";
  if (child == 0) {
    close(fds[0]);
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit small{static_cast<rlim_t>(limit), static_cast<rlim_t>(limit)};
    setrlimit(RLIMIT_FSIZE, &small);
    const std::string report = work();
    if (write(fds[1], report.data(), report.size()) < 0) _exit(2);
    _exit(0);
  }
  close(fds[1]);
  std::string report;
  char chunk[512];
  for (ssize_t n; (n = read(fds[0], chunk, sizeof chunk)) > 0;) report.append(chunk, static_cast<std::size_t>(n));
  close(fds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "the child failed: " + std::to_string(status);
  return report;
}
