#include "support/unprivileged.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace {

constexpr uid_t kNobody = 65534;

}  // namespace

int RunUnprivileged(const std::function<int()>& body) {
  if (geteuid() != 0) return body();
  const pid_t child = fork();
  if (child < 0) return -1;
  if (child == 0) {
    if (setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(125);
    _exit(body());
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

void OpenToOthers(const std::string& directory) {
  std::string path = directory;
  while (!path.empty() && path.back() == '/') path.pop_back();
  chmod(path.c_str(), 0755);
}

bool GiveToAnotherUser(const std::string& path) {
  return geteuid() == 0 && lchown(path.c_str(), kNobody, kNobody) == 0;
}

void ShareAsSticky(const std::string& directory) {
  std::string path = directory;
  while (!path.empty() && path.back() == '/') path.pop_back();
  const std::size_t slash = path.rfind('/');
  if (slash != std::string::npos && slash > 0) OpenToOthers(path.substr(0, slash));
  chmod(path.c_str(), 01777);
}
