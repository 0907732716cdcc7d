#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "platform/media_discovery.h"

namespace {

// Entries read from one directory: far more than a mount directory or a data disk's root holds,
// and a bound on the work a huge directory can cause.
constexpr std::size_t kMostEntries = 4096;

int OpenDirectoryAt(int parent, const char* path) {
  // O_DIRECTORY refuses anything else before it could be opened, so a FIFO never blocks here.
  return openat(parent, path, O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
}

// A directory open for listing and for stat of its entries.
class OpenDirectory {
 public:
  OpenDirectory(int parent, const char* path) {
    const int fd = OpenDirectoryAt(parent, path);
    if (fd < 0) return;
    dir = fdopendir(fd);
    if (!dir) close(fd);
  }
  ~OpenDirectory() {
    if (dir) closedir(dir);
  }
  OpenDirectory(const OpenDirectory&) = delete;
  OpenDirectory& operator=(const OpenDirectory&) = delete;

  bool Valid() const { return dir != nullptr; }
  int Descriptor() const { return dirfd(dir); }

  // The entries' names but "." and "..", in byte order: at most kMostEntries of them, and
  // *whole (when given) says whether that was all.
  std::vector<std::string> Names(bool* whole = nullptr) {
    std::vector<std::string> names;
    bool more = false;
    while (!more) {
      const dirent* entry = readdir(dir);
      if (!entry) break;
      const std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      more = names.size() == kMostEntries;
      if (!more) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    if (whole) *whole = !more;
    return names;
  }

 private:
  DIR* dir = nullptr;
};

// The entry a reader of the disk opens for `wanted` (ResolveDataFile, platform/file_system.h):
// `wanted` itself when it is there, else the lowest of `names` (in byte order) that equals it
// without regard to case; null when there is none.
const std::string* EntryFor(const std::vector<std::string>& names, const std::string& wanted) {
  const auto exact = std::lower_bound(names.begin(), names.end(), wanted);
  if (exact != names.end() && *exact == wanted) return &*exact;
  for (const std::string& name : names) {
    if (strcasecmp(name.c_str(), wanted.c_str()) == 0) return &name;
  }
  return nullptr;
}

// Whether `dir` holds every one of `files` on the medium itself: the entry the readers will open
// for it is a regular file, neither a symbolic link nor a file of another device (a link to a
// file in the user's home, or a file mounted over the name, would put that file's text in rows,
// copies and exports as the disk's). A directory too large to be read whole holds nothing.
bool HoldsAll(OpenDirectory& dir, const std::vector<std::string>& files) {
  struct stat medium;
  bool whole = false;
  const std::vector<std::string> names = dir.Names(&whole);
  if (!whole || fstat(dir.Descriptor(), &medium) != 0) return false;
  for (const std::string& wanted : files) {
    const std::string* entry = EntryFor(names, wanted);
    struct stat st;
    if (!entry || fstatat(dir.Descriptor(), entry->c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(st.st_mode) || st.st_dev != medium.st_dev) {
      return false;
    }
  }
  return true;
}

bool SafeUserName(const std::string& user) {
  return !user.empty() && user != "." && user != ".." && user.find('/') == std::string::npos;
}

}  // namespace

std::vector<std::string> MediaRoots(const std::string& user, const std::string& systemRoot) {
  std::string root = systemRoot;
  while (!root.empty() && root.back() == '/') root.pop_back();
  std::vector<std::string> roots;
  if (SafeUserName(user)) {
    roots.push_back(root + "/run/media/" + user);
    roots.push_back(root + "/media/" + user);
  }
  roots.push_back(root + "/media");
  roots.push_back(root + "/mnt");
  return roots;
}

std::string CurrentUserName() {
  const char* user = std::getenv("USER");
  if (user && *user) return user;
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
  passwd entry;
  passwd* result = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &result) != 0 || !result ||
      !result->pw_name) {
    return std::string();
  }
  return result->pw_name;
}

MediaSearchResult FindOnMedia(const std::vector<std::string>& roots, const std::vector<std::string>& files) {
  MediaSearchResult result;
  result.roots = roots;
  for (const std::string& root : roots) {
    OpenDirectory parent(AT_FDCWD, root.c_str());
    if (!parent.Valid()) continue;
    const std::string prefix = root.empty() || root.back() == '/' ? root : root + "/";
    for (const std::string& name : parent.Names()) {
      OpenDirectory candidate(parent.Descriptor(), name.c_str());
      if (!candidate.Valid()) continue;
      result.placesLooked.push_back(prefix + name);
      if (HoldsAll(candidate, files)) {
        result.found = prefix + name + "/";
        return result;
      }
    }
  }
  return result;
}
