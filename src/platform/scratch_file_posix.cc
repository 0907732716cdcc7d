#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/file_system_posix.h"
#include "platform/scratch_file.h"

namespace {

// A directory that exists, is this user's, and nobody else may enter or change.
bool PrivateDirectory(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() &&
         (st.st_mode & 077) == 0;
}

// Makes each missing directory of `path` (mode 0700 for those it makes).
bool MakeDirectories(const std::string& path) {
  for (std::size_t at = 1; at <= path.size(); ++at) {
    if (at != path.size() && path[at] != '/') continue;
    const std::string part = path.substr(0, at);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return true;
}

std::string WithSlash(std::string path) {
  if (path.empty() || path.back() != '/') path += '/';
  return path;
}

// The program's own file: a regular one of this user's that nobody else may change. (Others
// reading it is the directory's business, as for any file a user keeps there.)
ScratchStatus JudgeOwnFile(const struct stat& st, FileKind* kind) {
  *kind = KindOfMode(st.st_mode);
  if (!S_ISREG(st.st_mode)) return ScratchStatus::kNotRegular;
  switch (OwnershipOfStat(st)) {
    case Ownership::kOtherOwner:
      return ScratchStatus::kNotOwned;
    case Ownership::kOpenToOthers:
      return ScratchStatus::kOpenToOthers;
    case Ownership::kOwn:
      break;
  }
  return ScratchStatus::kOk;
}

}  // namespace

const char* DescribeRefusal(ScratchStatus status, FileKind kind) {
  switch (status) {
    case ScratchStatus::kNotOwned:
      return "another user's file";
    case ScratchStatus::kOpenToOthers:
      return "a file others may write";
    default:
      return DescribeFileKind(kind);
  }
}

ScratchStatus CheckOwnFile(const std::string& path, FileKind* kind) {
  struct stat st;
  if (lstat(path.c_str(), &st) == 0) return JudgeOwnFile(st, kind);
  *kind = errno == ENOENT || errno == ENOTDIR ? FileKind::kMissing : FileKind::kUnknown;
  return *kind == FileKind::kMissing ? ScratchStatus::kOk : ScratchStatus::kFailed;
}

void KeepToOwner(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return;
  struct stat st;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid() &&
      (st.st_mode & (S_IWGRP | S_IWOTH)) != 0 && fchmod(fd, st.st_mode & 07755) != 0) {
    // Left as it is: the next start tells the user.
  }
  close(fd);
}

ScratchFile::~ScratchFile() { Close(); }

ScratchStatus ScratchFile::Open(const std::string& path, FileKind* kind) {
  Close();
  FileKind ignored;
  FileKind& what = kind ? *kind : ignored;
  if (const ScratchStatus before = CheckOwnFile(path, &what);
      before != ScratchStatus::kOk && before != ScratchStatus::kFailed) {
    return before;
  }
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
  if (fd < 0) {
    if (errno == ELOOP) {
      what = FileKind::kSymlink;
      return ScratchStatus::kNotRegular;
    }
    return ScratchStatus::kFailed;
  }
  // Judged again on what was opened: the name may have changed hands since it was looked at.
  struct stat st;
  const ScratchStatus opened = fstat(fd, &st) == 0 ? JudgeOwnFile(st, &what) : ScratchStatus::kFailed;
  if (opened != ScratchStatus::kOk) {
    close(fd);
    return opened;
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return errno == EWOULDBLOCK ? ScratchStatus::kBusy : ScratchStatus::kFailed;
  }
  handle = fd;
  return ScratchStatus::kOk;
}

ScratchStatus ScratchFile::OpenAnonymous(const std::string& directory) {
  Close();
  if (directory.empty()) return ScratchStatus::kFailed;
  std::string pattern = WithSlash(directory) + "dravenholt-XXXXXX";
  const int fd = mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) return ScratchStatus::kFailed;
  unlink(pattern.c_str());
  handle = fd;
  return ScratchStatus::kOk;
}

void ScratchFile::Close() {
  if (handle >= 0) close(static_cast<int>(handle));  // the lock goes with it
  handle = -1;
}

bool ScratchFile::Truncate() { return handle >= 0 && ftruncate(static_cast<int>(handle), 0) == 0; }

std::int64_t ScratchFile::Size() const {
  struct stat st;
  if (handle < 0 || fstat(static_cast<int>(handle), &st) != 0) return -1;
  return static_cast<std::int64_t>(st.st_size);
}

std::int64_t ScratchFile::ReadAt(std::int64_t offset, void* out, std::size_t size) const {
  if (handle < 0 || offset < 0) return -1;
  auto* bytes = static_cast<unsigned char*>(out);
  std::size_t got = 0;
  while (got < size) {
    const ssize_t n = pread(static_cast<int>(handle), bytes + got, size - got, static_cast<off_t>(offset) + static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return got > 0 ? static_cast<std::int64_t>(got) : -1;
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  return static_cast<std::int64_t>(got);
}

bool ScratchFile::WriteAt(std::int64_t offset, const void* data, std::size_t size) {
  if (handle < 0 || offset < 0) return false;
  const auto* bytes = static_cast<const unsigned char*>(data);
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = pwrite(static_cast<int>(handle), bytes + done, size - done, static_cast<off_t>(offset) + static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

FileIdentity ScratchFile::Identity() const {
  struct stat st;
  if (handle < 0 || fstat(static_cast<int>(handle), &st) != 0) return {};
  return IdentityOfStat(st);
}

std::string AnonymousFileDirectory() {
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime == '/' && PrivateDirectory(runtime)) {
    return WithSlash(runtime);
  }
  // A file made there is this user's alone (mode 0600, created exclusively) and loses its name at
  // once, so a directory that others may write serves too.
  if (const char* tmp = std::getenv("TMPDIR"); tmp && *tmp) return WithSlash(tmp);
  return "/tmp/";
}

std::string PerUserStateDirectory() {
  std::string base;
  if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state == '/') {
    base = state;
  } else if (const char* home = std::getenv("HOME"); home && *home == '/') {
    base = WithSlash(home) + ".local/state";
  } else {
    return {};
  }
  const std::string directory = WithSlash(base) + "dravenholt";
  if (!MakeDirectories(directory) || !PrivateDirectory(directory)) return {};
  return directory + "/";
}

void IgnoreFileSizeLimitSignal() { signal(SIGXFSZ, SIG_IGN); }
