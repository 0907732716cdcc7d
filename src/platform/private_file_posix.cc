#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/file_system_posix.h"
#include "platform/private_file.h"
#include "platform/signal_cleanup.h"
#include "platform/temporary_name.h"

namespace {

std::string Reason() { return std::strerror(errno); }

// What is wrong with a file or directory for the program to trust it as its own; "" when nothing.
std::string NotOwn(const struct stat& st) {
  switch (OwnershipOfStat(st)) {
    case Ownership::kOtherOwner:
      return "owned by another user";
    case Ownership::kOpenToOthers:
      return "writable by others";
    case Ownership::kOwn:
      break;
  }
  return {};
}

bool WriteAll(int fd, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

bool MakePrivateDirectory(const std::string& path, std::string* error) {
  if (path.empty() || path[0] != '/') return *error = "\"" + path + "\": not an absolute directory", false;
  for (std::size_t at = 1; at <= path.size(); ++at) {
    if (at != path.size() && path[at] != '/') continue;
    const std::string part = path.substr(0, at);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
      return *error = part + ": cannot create: " + Reason(), false;
  }
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return *error = path + ": " + Reason(), false;
  if (!S_ISDIR(st.st_mode))
    return *error = path + ": " + DescribeFileKind(KindOfMode(st.st_mode)) + ", not a directory", false;
  if (const std::string why = NotOwn(st); !why.empty()) return *error = path + ": " + why, false;
  return true;
}

PrivateFileStatus OpenPrivateFile(const std::string& path, ReadOnlyFile* file, std::string* why) {
  file->Close();
  std::string ignored;
  std::string& reason = why ? *why : ignored;
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) {
    reason = errno == ENOENT || errno == ENOTDIR ? "missing" : Reason();
    return errno == ENOENT || errno == ENOTDIR ? PrivateFileStatus::kMissing : PrivateFileStatus::kUnreadable;
  }
  if (!S_ISREG(st.st_mode)) {
    reason = DescribeFileKind(KindOfMode(st.st_mode));
    return PrivateFileStatus::kNotRegular;
  }
  if (reason = NotOwn(st); !reason.empty()) return PrivateFileStatus::kNotOwn;
  if (file->Open(path) != OpenStatus::kOk) {
    reason = "cannot be opened";
    return PrivateFileStatus::kUnreadable;
  }
  // What was opened must be what was looked at: a file put in its place between the two (a link
  // to another's file) is not read.
  const FileIdentity opened = file->Identity();
  if (!opened.known || opened.device != static_cast<std::uint64_t>(st.st_dev) ||
      opened.file != static_cast<std::uint64_t>(st.st_ino)) {
    file->Close();
    reason = "replaced while it was opened";
    return PrivateFileStatus::kNotRegular;
  }
  return PrivateFileStatus::kOk;
}

bool WritePrivateFile(const std::string& path, std::string_view bytes, std::string* error) {
  const std::size_t slash = path.rfind('/');
  const std::string directory = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::string temporary = directory + OwnTemporaryName(name);
  const int ticket = RegisterCleanup(temporary, CleanupKind::kFile);
  if (ticket < 0) return *error = path + ": cannot create: the path is too long", false;
  const int fd =
      open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0600);
  if (fd < 0) {
    *error = path + ": cannot create: " + Reason();
    UnregisterCleanup(ticket);
    return false;
  }
  // No fsync: a file the cache loses to a crash is checked and found damaged when it is next read,
  // and only costs its rebuilding.
  const bool written = WriteAll(fd, bytes);
  const std::string writeReason = written ? std::string() : Reason();
  const bool closed = close(fd) == 0;
  bool ok = written && closed;
  if (!ok) {
    *error = path + ": write error: " + (written ? Reason() : writeReason);
  } else if (rename(temporary.c_str(), path.c_str()) != 0) {
    *error = path + ": cannot be replaced: " + Reason();
    ok = false;
  }
  if (!ok) unlink(temporary.c_str());
  UnregisterCleanup(ticket);
  return ok;
}

std::vector<PrivateFileEntry> ListPrivateFiles(const std::string& directory, std::string_view suffix) {
  std::vector<PrivateFileEntry> files;
  const int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return files;
  DIR* dir = fdopendir(fd);
  if (!dir) {
    close(fd);
    return files;
  }
  while (const dirent* entry = readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name.size() < suffix.size() || name.substr(name.size() - suffix.size()) != suffix) continue;
    struct stat st;
    if (fstatat(dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
        st.st_uid != geteuid()) {
      continue;
    }
    files.push_back({std::string(name), static_cast<std::int64_t>(st.st_size), IdentityOfStat(st).modified});
  }
  closedir(dir);
  return files;
}

void TouchPrivateFile(const std::string& path) {
  if (utimensat(AT_FDCWD, path.c_str(), nullptr, AT_SYMLINK_NOFOLLOW) != 0) {
    // Eviction then takes the file for older than it is: it is made again when next wanted.
  }
}

bool RemovePrivateFile(const std::string& path) { return unlink(path.c_str()) == 0; }
