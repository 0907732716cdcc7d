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

namespace {

// Whether this process may follow the symbolic link `link` (whose own status is `st`): not when
// it lies in a sticky directory that others may write and neither this user nor the directory's
// owner made it. The kernel's protected-symlink rule, kept whatever the system's setting.
bool MayFollow(const std::string& link, const struct stat& st) {
  struct stat dir;
  if (stat(DirectoryOf(link).c_str(), &dir) != 0) return false;
  const bool shared = (dir.st_mode & S_ISVTX) != 0 && (dir.st_mode & S_IWOTH) != 0;
  return !shared || st.st_uid == geteuid() || st.st_uid == dir.st_uid;
}

// The first symbolic link on the way to `path` that may not be followed (MayFollow): a directory
// on the way, or the last name itself, looked at as the kernel walks a path. "" when none.
std::string ForbiddenLinkOn(const std::string& path) {
  for (std::size_t at = path.find('/', 1);; at = path.find('/', at + 1)) {
    const std::string part = at == std::string::npos ? path : path.substr(0, at);
    struct stat st;
    // "a//b" has an empty name between its slashes; "a/" would be looked at through its link.
    if (!part.empty() && part.back() != '/' && lstat(part.c_str(), &st) == 0 && S_ISLNK(st.st_mode) &&
        !MayFollow(part, st)) {
      return part;
    }
    if (at == std::string::npos) return {};
  }
}

// Walks the links from `path` by their text, as FinalTargetOf does, checking every link on the
// way (ForbiddenLinkOn). *final receives where they lead; false with *refused naming a link that
// may not be followed. Only for checking: what the walk finds is compared with what the kernel
// opens.
bool WalkLinks(const std::string& path, std::string* final, std::string* refused) {
  std::string current = path;
  for (int hop = 0; hop < kMostLinksFollowed; ++hop) {
    if (std::string forbidden = ForbiddenLinkOn(current); !forbidden.empty()) {
      *refused = std::move(forbidden);
      return false;
    }
    struct stat st;
    if (lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
    char target[PATH_MAX];
    const ssize_t n = readlink(current.c_str(), target, sizeof target - 1);
    if (n <= 0) break;
    const std::string link(target, static_cast<std::size_t>(n));
    current = link[0] == '/' ? link : DirectoryOf(current) + link;
  }
  *final = current;
  return true;
}

bool SameInode(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

bool SomethingStandsAt(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 || (errno != ENOENT && errno != ENOTDIR);
}

OutputFile::~OutputFile() { Abandon(); }

void OutputFile::Abandon() {
  if (stream) std::fclose(stream);
  stream = nullptr;
  if (!temporaryPath.empty()) unlink(temporaryPath.c_str());
  // The empty file made through a dangling link goes too, unless something else stands there now.
  if (!placeholderPath.empty()) {
    struct stat st;
    if (lstat(placeholderPath.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size == 0 &&
        IdentityOfStat(st).SameFile(placeholder)) {
      unlink(placeholderPath.c_str());
    }
  }
  placeholderPath.clear();
  UnregisterCleanup(ticket);
  ticket = -1;
  temporaryPath.clear();
}

bool OutputFile::Fail(const std::string& what, const std::string& reason, std::string* error) {
  failure = reason;
  *error = givenPath + ": " + (what.empty() ? reason : what + ": " + reason);
  return false;
}

bool OutputFile::Open(const std::string& path, std::string* error) {
  Abandon();
  givenPath = path;
  failure.clear();
  std::string refused;
  if (!WalkLinks(path, &targetPath, &refused)) {
    const std::string which = refused == path ? std::string() : " (" + refused + ")";
    return Fail("", "another user's symbolic link in a shared directory" + which + ": not followed", error);
  }
  struct stat st;
  bool exists = lstat(path.c_str(), &st) == 0;
  if (!exists && errno != ENOENT) return Fail("cannot create", Reason(), error);
  const bool viaLink = exists && S_ISLNK(st.st_mode);
  if (!viaLink) targetPath = path;
  if (viaLink) {
    exists = stat(path.c_str(), &st) == 0;
    if (!exists && errno != ENOENT) return Fail("cannot be written", Reason(), error);
  }
  if (exists && S_ISDIR(st.st_mode)) return Fail("", "a directory", error);
  if (exists && !S_ISREG(st.st_mode)) {
    // Opened by the name as given, links followed by the kernel (and only then).
    const int fd = open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | (viaLink ? 0 : O_NOFOLLOW));
    if (fd < 0 || !(stream = fdopen(fd, "wb"))) {
      const std::string reason = Reason();
      if (fd >= 0) close(fd);
      return Fail("cannot be written", reason, error);
    }
    return true;
  }
  if (viaLink) {
    // Through the link, by the kernel's rules: the file it names is opened for writing (made,
    // empty, when there is none), and must be the one the link's text leads to.
    const int fd =
        open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (exists ? 0 : O_CREAT), 0666);
    if (fd < 0) return Fail(exists ? "cannot be written" : "cannot create", Reason(), error);
    struct stat opened;
    const bool known = fstat(fd, &opened) == 0;
    close(fd);
    if (!exists && known) {
      placeholderPath = targetPath;
      placeholder = IdentityOfStat(opened);
    }
    struct stat there;
    if (!known || !S_ISREG(opened.st_mode) || lstat(targetPath.c_str(), &there) != 0 ||
        !SameInode(opened, there)) {
      Abandon();
      return Fail("", "changed while it was being opened", error);
    }
    st = opened;
    exists = exists || known;
  }

  RemoveStaleTemporaries(DirectoryOf(targetPath));
  const std::string temporary = DirectoryOf(targetPath) + OwnTemporaryName(BaseNameOf(targetPath));
  ticket = RegisterCleanup(temporary, CleanupKind::kFile);
  if (ticket < 0) {
    Abandon();
    return Fail("cannot create", "the path is too long", error);
  }
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0666);
  if (fd < 0) {
    const std::string reason = Reason();
    Abandon();
    return Fail("cannot create", reason, error);
  }
  temporaryPath = temporary;
  if (exists) KeepOwnerAndMode(fd, st);
  stream = fdopen(fd, "wb");
  if (!stream) {
    const std::string reason = Reason();
    close(fd);
    Abandon();
    return Fail("cannot create", reason, error);
  }
  return true;
}

bool OutputFile::Write(std::string_view bytes) {
  if (!stream) {
    failure = std::strerror(EBADF);
    return false;
  }
  if (bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size()) return true;
  failure = Reason();
  return false;
}

bool OutputFile::Commit(std::string* error) {
  if (!stream) return Fail("", "not open", error);
  bool ok = true;
  std::string reason;
  if (std::fflush(stream) != 0) {
    ok = false;
    reason = Reason();
  } else if (std::ferror(stream)) {
    // A write that failed earlier told why then (Write); the flush had nothing left to fail on.
    ok = false;
    reason = failure.empty() ? Reason() : failure;
  }
  if (ok && !temporaryPath.empty()) {
    ok = fsync(fileno(stream)) == 0;
    if (!ok) reason = Reason();
  }
  const bool closed = std::fclose(stream) == 0;
  if (ok && !closed) reason = Reason();
  stream = nullptr;
  if (!ok || !closed) {
    Abandon();
    return Fail("write error", reason, error);
  }
  if (temporaryPath.empty()) return true;
  if (rename(temporaryPath.c_str(), targetPath.c_str()) != 0) {
    const std::string renameReason = Reason();
    Abandon();
    return Fail("cannot be replaced", renameReason, error);
  }
  // Renamed away: forgotten only now, so that no moment leaves the temporary name unguarded.
  temporaryPath.clear();
  placeholderPath.clear();
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
  const std::string host = TemporaryHost();
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
