#include <dirent.h>
#include <sys/stat.h>
#include <strings.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/file_system.h"

namespace {

// Finds an entry of `dir` whose name equals `name` ignoring ASCII case.
bool FindCaseInsensitive(const std::string& dir, const std::string& name, std::string* found) {
  DIR* d = opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return false;
  bool ok = false;
  while (dirent* e = readdir(d)) {
    if (strcasecmp(e->d_name, name.c_str()) == 0) {
      *found = e->d_name;
      ok = true;
      break;
    }
  }
  closedir(d);
  return ok;
}

}  // namespace

FileHandle OpenFile(const char* path, const char* mode) { return FileHandle(std::fopen(path, mode)); }

bool RenameReplacing(const char* from, const char* to) { return std::rename(from, to) == 0; }

bool RemoveFile(const char* path) { return std::remove(path) == 0; }

FileHandle OpenDataFile(const char* path, const char* mode) {
  FileHandle f(std::fopen(path, mode));
  if (f || errno != ENOENT) return f;

  const std::string full(path);
  const std::size_t slash = full.rfind('/');
  const std::string dir = slash == std::string::npos ? std::string() : full.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? full : full.substr(slash + 1);
  std::string other;
  if (name.empty() || !FindCaseInsensitive(dir, name, &other) || other == name) return nullptr;
  return FileHandle(std::fopen((dir + other).c_str(), mode));
}

std::int64_t StreamSize(std::FILE* f) {
  if (!f || fseeko(f, 0, SEEK_END) != 0) return -1;
  const off_t end = ftello(f);
  return end < 0 ? -1 : static_cast<std::int64_t>(end);
}

std::int64_t FileSize(std::FILE* f) {
  struct stat st;
  if (!f || fstat(fileno(f), &st) != 0) return -1;
  return static_cast<std::int64_t>(st.st_size);
}

std::int64_t StreamPosition(std::FILE* f) {
  if (!f) return -1;
  const off_t p = ftello(f);
  return p < 0 ? -1 : static_cast<std::int64_t>(p);
}

FileIdentity IdentityOf(std::FILE* f) {
  struct stat st;
  if (!f || fstat(fileno(f), &st) != 0) return {};
  return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino), true};
}

bool PathNamesFile(const char* path, const FileIdentity& identity) {
  struct stat st;
  if (!identity.known || stat(path, &st) != 0) return false;
  return static_cast<std::uint64_t>(st.st_dev) == identity.device && static_cast<std::uint64_t>(st.st_ino) == identity.file;
}

std::int64_t ReadAt(std::FILE* f, std::int64_t offset, void* out, std::size_t size) {
  if (!f || offset < 0) return -1;
  const int fd = fileno(f);
  auto* bytes = static_cast<unsigned char*>(out);
  std::size_t got = 0;
  // A read from a regular file returns short only at its end or when a signal came between.
  while (got < size) {
    const ssize_t n = pread(fd, bytes + got, size - got, static_cast<off_t>(offset + static_cast<std::int64_t>(got)));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  return static_cast<std::int64_t>(got);
}

bool SeekTo(std::FILE* f, std::int64_t offset) {
  if (!f || offset < 0) return false;
  return fseeko(f, static_cast<off_t>(offset), SEEK_SET) == 0;
}
