#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "platform/file_system.h"
#include "platform/file_system_posix.h"

FileKind KindOfMode(unsigned mode) {
  if (S_ISLNK(mode)) return FileKind::kSymlink;
  if (S_ISREG(mode)) return FileKind::kRegular;
  if (S_ISDIR(mode)) return FileKind::kDirectory;
  if (S_ISFIFO(mode)) return FileKind::kFifo;
  if (S_ISSOCK(mode)) return FileKind::kSocket;
  if (S_ISCHR(mode) || S_ISBLK(mode)) return FileKind::kDevice;
  return FileKind::kOther;
}

FileIdentity IdentityOfStat(const struct stat& st) {
  FileIdentity id;
  id.device = static_cast<std::uint64_t>(st.st_dev);
  id.file = static_cast<std::uint64_t>(st.st_ino);
  id.size = static_cast<std::int64_t>(st.st_size);
  id.modified = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  id.changed = static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
  id.known = true;
  return id;
}

Ownership OwnershipOfStat(const struct stat& st) {
  if (st.st_uid != geteuid()) return Ownership::kOtherOwner;
  if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0) return Ownership::kOpenToOthers;
  return Ownership::kOwn;
}

namespace {

bool Missing(int error) { return error == ENOENT || error == ENOTDIR; }

}  // namespace

const char* DescribeFileKind(FileKind kind) {
  switch (kind) {
    case FileKind::kMissing: return "missing";
    case FileKind::kRegular: return "a regular file";
    case FileKind::kDirectory: return "a directory";
    case FileKind::kFifo: return "a FIFO";
    case FileKind::kSocket: return "a socket";
    case FileKind::kDevice: return "a device";
    case FileKind::kSymlink: return "a symbolic link";
    case FileKind::kOther: return "not a regular file";
    case FileKind::kUnknown: return "not accessible";
  }
  return "not a regular file";
}

OpenStatus ReadOnlyFile::Open(const std::string& path, FileKind* kind) {
  Close();
  FileKind ignored;
  FileKind& what = kind ? *kind : ignored;
  // Looked at before it is opened: opening a device or a FIFO may block or have effects of its
  // own. The open itself is non-blocking too, for what may stand there by the time it happens.
  struct stat st;
  if (stat(path.c_str(), &st) != 0) {
    what = Missing(errno) ? FileKind::kMissing : FileKind::kUnknown;
    return what == FileKind::kMissing ? OpenStatus::kMissing : OpenStatus::kUnreadable;
  }
  what = KindOfMode(st.st_mode);
  if (what != FileKind::kRegular) return OpenStatus::kNotRegular;
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return Missing(errno) ? OpenStatus::kMissing : OpenStatus::kUnreadable;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    what = KindOfMode(st.st_mode);
    close(fd);
    return OpenStatus::kNotRegular;
  }
  // Reading a roll's files is no use of them worth recording, and without an access time to keep,
  // each read skips the kernel's look at whether one is due (about a sixth of a small read's
  // cost). Only the file's owner or a privileged process may ask; anyone else reads as opened.
  if (const int flags = fcntl(fd, F_GETFL); flags >= 0) (void)fcntl(fd, F_SETFL, flags | O_NOATIME);
  handle = fd;
  fileSize = static_cast<std::int64_t>(st.st_size);
  return OpenStatus::kOk;
}

void ReadOnlyFile::Close() {
  if (handle >= 0) close(static_cast<int>(handle));
  handle = -1;
  fileSize = -1;
  image.reset();
  extent.reset();
}

std::int64_t ReadOnlyFile::ReadAt(std::int64_t offset, void* out, std::size_t size) const {
  if (image) return WindowRead(offset, out, size);
  if (handle < 0 || offset < 0) return -1;
  const int fd = static_cast<int>(handle);
  auto* bytes = static_cast<unsigned char*>(out);
  std::size_t got = 0;
  // A read from a regular file returns short only at its end or when a signal came between.
  while (got < size) {
    const ssize_t n = pread(fd, bytes + got, size - got, static_cast<off_t>(offset + static_cast<std::int64_t>(got)));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return got > 0 ? static_cast<std::int64_t>(got) : -1;
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  return static_cast<std::int64_t>(got);
}

FileIdentity ReadOnlyFile::Identity() const {
  if (image) return WindowIdentity();
  struct stat st;
  if (handle < 0 || fstat(static_cast<int>(handle), &st) != 0) return {};
  return IdentityOfStat(st);
}

FileKind KindOfPath(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return Missing(errno) ? FileKind::kMissing : FileKind::kUnknown;
  return KindOfMode(st.st_mode);
}

bool RegularFileReadable(const std::string& path) {
  struct stat st;
  // The effective ids, as the open would check them.
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
         faccessat(AT_FDCWD, path.c_str(), R_OK, AT_EACCESS) == 0;
}

FileIdentity IdentityOfPath(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return {};
  return IdentityOfStat(st);
}

bool PathNamesFile(const std::string& path, const FileIdentity& identity) {
  return identity.known && IdentityOfPath(path).SameFile(identity);
}

std::string ResolveDataFile(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) == 0 || !Missing(errno)) return path;
  const std::size_t slash = path.rfind('/');
  const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty()) return path;
  DIR* d = opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return path;
  std::string best;
  // Bounded by the directory's entries; a directory being filled while it is read ends all the
  // same, as readdir reports each entry at most once.
  while (const dirent* e = readdir(d)) {
    if (strcasecmp(e->d_name, name.c_str()) == 0 && (best.empty() || std::strcmp(e->d_name, best.c_str()) < 0)) {
      best = e->d_name;
    }
  }
  closedir(d);
  return best.empty() ? path : dir + best;
}

bool CreateNewFile(const std::string& path, std::string_view bytes) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  const bool whole = done == bytes.size() && close(fd) == 0;
  if (!whole) {
    if (done != bytes.size()) close(fd);
    unlink(path.c_str());
  }
  return whole;
}

FileHandle OpenFile(const char* path, const char* mode) { return FileHandle(std::fopen(path, mode)); }

bool RenameReplacing(const char* from, const char* to) { return std::rename(from, to) == 0; }

bool RemoveFile(const char* path) { return std::remove(path) == 0; }
