#include "platform/output_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/file_system_posix.h"
#include "platform/signal_cleanup.h"
#include "platform/temporary_name.h"

namespace {

constexpr int kMostLinksFollowed = 40;

std::string Reason() { return std::strerror(errno); }

std::string HostName() {
  char name[HOST_NAME_MAX + 1] = {};
  if (gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "localhost";
  std::string host(name);
  for (char& c : host) {
    if (c == '/' || c == '@') c = '_';
  }
  return host;
}

// This process's temporary name for `name` (platform/temporary_name.h).
std::string OwnTemporaryName(const std::string& name) { return TemporaryName(name, static_cast<std::uint32_t>(getpid()), HostName()); }

std::string BaseNameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The new file takes the old one's place: it keeps who may read it. Best effort, as an editor's
// save does: only the administrator may give a file to another owner.
void KeepOwnerAndMode(int fd, const struct stat& old) {
  if (geteuid() == 0 && fchown(fd, old.st_uid, old.st_gid) != 0) {
    // The new file stays the administrator's; its mode is still set below.
  }
  if (fchmod(fd, old.st_mode & 07777) != 0) {
    // The process's umask applies instead.
  }
}

bool ProcessExists(pid_t pid) { return kill(pid, 0) == 0 || errno == EPERM; }

// Unlinks the entries of a directory (one level) and the directory.
void RemoveDirectoryAndEntries(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd >= 0) {
    if (DIR* dir = fdopendir(fd)) {
      while (const dirent* entry = readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
          unlinkat(dirfd(dir), entry->d_name, 0);
        }
      }
      closedir(dir);
    } else {
      close(fd);
    }
  }
  rmdir(path.c_str());
}

}  // namespace

std::string FinalTargetOf(const std::string& path) {
  std::string current = path;
  for (int hop = 0; hop < kMostLinksFollowed; ++hop) {
    struct stat st;
    if (lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    char target[PATH_MAX];
    const ssize_t n = readlink(current.c_str(), target, sizeof target - 1);
    if (n <= 0) return current;
    const std::string link(target, static_cast<std::size_t>(n));
    current = link[0] == '/' ? link : DirectoryOf(current) + link;
  }
  return current;
}

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

FileIdentity StandardInputIdentity() {
  struct stat st;
  return fstat(STDIN_FILENO, &st) == 0 ? IdentityOfStat(st) : FileIdentity{};
}

FileIdentity StandardOutputIdentity() {
  struct stat st;
  return fstat(STDOUT_FILENO, &st) == 0 ? IdentityOfStat(st) : FileIdentity{};
}

// --- OutputFile ---

OutputFile::~OutputFile() { Abandon(); }

void OutputFile::Abandon() {
  if (stream) std::fclose(stream);
  stream = nullptr;
  if (!temporaryPath.empty()) unlink(temporaryPath.c_str());
  UnregisterCleanup(ticket);
  ticket = -1;
  temporaryPath.clear();
}

bool OutputFile::Open(const std::string& path, std::string* error) {
  Abandon();
  givenPath = path;
  targetPath = FinalTargetOf(path);
  struct stat st;
  const bool exists = stat(targetPath.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) {
    *error = path + ": a directory";
    return false;
  }
  if (exists && !S_ISREG(st.st_mode)) {
    const int fd = open(targetPath.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0 || !(stream = fdopen(fd, "wb"))) {
      *error = path + ": cannot be written: " + Reason();
      if (fd >= 0) close(fd);
      return false;
    }
    return true;
  }

  const std::string temporary = DirectoryOf(targetPath) + OwnTemporaryName(BaseNameOf(targetPath));
  ticket = RegisterCleanup(temporary, CleanupKind::kFile);
  if (ticket < 0) {
    *error = path + ": cannot create: the path is too long";
    return false;
  }
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0666);
  if (fd < 0) {
    *error = path + ": cannot create: " + Reason();
    UnregisterCleanup(ticket);
    ticket = -1;
    return false;
  }
  temporaryPath = temporary;
  if (exists) KeepOwnerAndMode(fd, st);
  stream = fdopen(fd, "wb");
  if (!stream) {
    *error = path + ": cannot create: " + Reason();
    close(fd);
    Abandon();
    return false;
  }
  return true;
}

bool OutputFile::Commit(std::string* error) {
  if (!stream) {
    *error = givenPath + ": not open";
    return false;
  }
  bool ok = std::fflush(stream) == 0 && !std::ferror(stream);
  if (ok && !temporaryPath.empty()) ok = fsync(fileno(stream)) == 0;
  const std::string reason = ok ? std::string() : Reason();
  const bool closed = std::fclose(stream) == 0;
  stream = nullptr;
  if (!ok || !closed) {
    *error = givenPath + ": write error: " + (ok ? Reason() : reason);
    Abandon();
    return false;
  }
  if (temporaryPath.empty()) return true;
  if (rename(temporaryPath.c_str(), targetPath.c_str()) != 0) {
    *error = givenPath + ": cannot be replaced: " + Reason();
    Abandon();
    return false;
  }
  // Renamed away: forgotten only now, so that no moment leaves the temporary name unguarded.
  temporaryPath.clear();
  UnregisterCleanup(ticket);
  ticket = -1;
  return true;
}

// --- StagingDirectory ---

StagingDirectory::~StagingDirectory() {
  if (!givenPath.empty()) RemoveDirectoryAndEntries(givenPath);
  UnregisterCleanup(ticket);
}

bool StagingDirectory::Create(const std::string& directory, const std::string& stem, std::string* error) {
  parentDirectory = directory.empty() || directory.back() == '/' ? directory : directory + "/";
  const std::string path = parentDirectory + OwnTemporaryName(stem);
  ticket = RegisterCleanup(path, CleanupKind::kDirectory);
  if (ticket < 0) {
    *error = directory + ": the path is too long";
    return false;
  }
  if (mkdir(path.c_str(), 0700) != 0) {
    *error = directory + ": cannot create a file there: " + Reason();
    UnregisterCleanup(ticket);
    ticket = -1;
    return false;
  }
  givenPath = path + "/";
  return true;
}

bool StagingDirectory::Publish(const std::vector<std::string>& names, std::string* error) {
  const SignalsHeld held;
  for (const std::string& name : names) {
    if (rename((givenPath + name).c_str(), (parentDirectory + name).c_str()) != 0) {
      *error = parentDirectory + name + ": cannot be replaced: " + Reason();
      return false;
    }
  }
  return true;
}

int RemoveStaleTemporaries(const std::string& directory) {
  const std::string parent = directory.empty() || directory.back() == '/' ? directory : directory + "/";
  const int fd = open(parent.empty() ? "." : parent.c_str(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return 0;
  DIR* dir = fdopendir(fd);
  if (!dir) {
    close(fd);
    return 0;
  }
  const std::string host = HostName();
  std::vector<std::string> stale;
  while (const dirent* entry = readdir(dir)) {
    const auto pid = static_cast<pid_t>(OwnerOfTemporaryName(entry->d_name, host));
    if (pid <= 0 || pid == getpid() || ProcessExists(pid)) continue;
    struct stat st;
    if (fstatat(dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || st.st_uid != geteuid()) continue;
    if (S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)) stale.emplace_back(entry->d_name);
  }
  closedir(dir);
  int removed = 0;
  for (const std::string& name : stale) {
    const std::string path = parent + name;
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) continue;
    if (S_ISDIR(st.st_mode)) {
      RemoveDirectoryAndEntries(path);
    } else if (S_ISREG(st.st_mode)) {
      unlink(path.c_str());
    }
    if (lstat(path.c_str(), &st) != 0) ++removed;
  }
  return removed;
}
