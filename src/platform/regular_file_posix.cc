#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/regular_file.h"

UniqueFd::~UniqueFd() {
  if (fd_ >= 0) close(fd_);
}

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) close(fd_);
    fd_ = other.Release();
  }
  return *this;
}

UniqueFd OpenRegularFile(const std::string& path, std::string* error) {
  int fd;
  do {
    fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    *error = path + ": " + std::strerror(errno);
    return UniqueFd();
  }
  UniqueFd file(fd);
  struct stat st;
  if (fstat(fd, &st) != 0) {
    *error = path + ": " + std::strerror(errno);
    return UniqueFd();
  }
  if (!S_ISREG(st.st_mode)) {
    *error = path + ": not a regular file";
    return UniqueFd();
  }
  return file;
}

std::string DescriptorPath(int fd) {
#ifdef __linux__
  return "/proc/self/fd/" + std::to_string(fd);
#else
  return "/dev/fd/" + std::to_string(fd);
#endif
}

std::string FindEntryIgnoringCase(const std::string& directory, const std::string& name) {
  struct stat st;
  if (lstat((directory + name).c_str(), &st) == 0) return name;
  DIR* dir = opendir(directory.empty() ? "." : directory.c_str());
  if (!dir) return std::string();
  std::string found;
  while (const dirent* entry = readdir(dir)) {
    if (strcasecmp(entry->d_name, name.c_str()) == 0) {
      found = entry->d_name;
      break;
    }
  }
  closedir(dir);
  return found;
}
