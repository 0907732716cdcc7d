// This machine's and this process's part of temporary names, on POSIX systems.
#include <limits.h>
#include <unistd.h>

#include "platform/temporary_name.h"

std::string TemporaryHost() {
  char name[HOST_NAME_MAX + 1] = {};
  if (gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "localhost";
  std::string host(name);
  for (char& c : host) {
    if (c == '/' || c == '\\' || c == '@') c = '_';
  }
  return host;
}

std::string OwnTemporaryName(const std::string& name) {
  return TemporaryName(name, static_cast<std::uint32_t>(getpid()), TemporaryHost());
}
