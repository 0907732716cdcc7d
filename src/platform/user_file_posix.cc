#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "platform/file_system_posix.h"
#include "platform/user_file.h"

namespace {

// Directories made at most, so that a path of endless components cannot loop for long.
constexpr int kMostDirectories = 64;

}  // namespace

UserFileCheck CheckUserFile(const std::string& path, std::size_t headerBytes) {
  UserFileCheck check;
  // O_NONBLOCK: a FIFO without a writer or a device would otherwise hold the open.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    check.error = errno;
    if (errno == ENOENT || errno == ENOTDIR) {
      check.kind = KindAtPath(path) == FileKind::kSymlink ? FileKind::kSymlink : FileKind::kMissing;
      check.status =
          check.kind == FileKind::kMissing ? UserFileStatus::kMissing : UserFileStatus::kUnreadable;
    } else {
      check.kind = FileKind::kUnknown;
      check.status = UserFileStatus::kUnreadable;
    }
    return check;
  }
  struct stat st;
  if (fstat(fd, &st) != 0) {
    check.error = errno;
    check.kind = FileKind::kUnknown;
    check.status = UserFileStatus::kUnreadable;
    close(fd);
    return check;
  }
  check.kind = KindOfMode(st.st_mode);
  check.identity = IdentityOfStat(st);
  if (check.kind != FileKind::kRegular) {
    check.status = UserFileStatus::kNotRegular;
  } else if (st.st_uid != geteuid()) {
    check.status = UserFileStatus::kOtherOwner;
  } else {
    check.status = UserFileStatus::kOk;
    check.header.resize(headerBytes);
    std::size_t got = 0;
    while (got < headerBytes) {
      const ssize_t n = pread(fd, check.header.data() + got, headerBytes - got, static_cast<off_t>(got));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    check.header.resize(got);
  }
  close(fd);
  return check;
}

FileKind KindAtPath(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0)
    return errno == ENOENT || errno == ENOTDIR ? FileKind::kMissing : FileKind::kUnknown;
  return KindOfMode(st.st_mode);
}

bool MakePrivateDirectories(const std::string& directory, std::string* error) {
  // The missing directories, deepest first, then made from the top down.
  std::vector<std::string> missing;
  std::string at = directory;
  while (at.size() > 1 && at.back() == '/') at.pop_back();
  for (int i = 0; i < kMostDirectories && !at.empty(); ++i) {
    struct stat st;
    if (stat(at.c_str(), &st) == 0) {
      if (!S_ISDIR(st.st_mode)) {
        *error = at + ": " + DescribeFileKind(KindOfMode(st.st_mode)) + ", not a directory";
        return false;
      }
      break;
    }
    if (errno != ENOENT) {
      *error = at + ": " + SystemErrorText(errno);
      return false;
    }
    missing.push_back(at);
    const std::size_t slash = at.find_last_of('/');
    if (slash == std::string::npos || slash == 0) break;
    at.resize(slash);
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    if (mkdir(it->c_str(), 0700) != 0 && errno != EEXIST) {
      *error = *it + ": " + SystemErrorText(errno);
      return false;
    }
  }
  return true;
}

bool CreatePrivateFile(const std::string& path, std::string* error) {
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0600);
  if (fd < 0) {
    *error = path + ": cannot be created: " + SystemErrorText(errno);
    return false;
  }
  close(fd);
  return true;
}

std::string SystemErrorText(int error) { return std::strerror(error); }
