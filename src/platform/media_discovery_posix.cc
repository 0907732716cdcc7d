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

  // The entries' names but "." and "..", in byte order.
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    while (names.size() < kMostEntries) {
      const dirent* entry = readdir(dir);
      if (!entry) break;
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  DIR* dir = nullptr;
};

bool HoldsAll(OpenDirectory& dir, const std::vector<std::string>& files) {
  const std::vector<std::string> names = dir.Names();
  for (const std::string& wanted : files) {
    bool present = false;
    for (const std::string& name : names) {
      struct stat st;
      if (strcasecmp(name.c_str(), wanted.c_str()) == 0 &&
          fstatat(dir.Descriptor(), name.c_str(), &st, 0) == 0 && S_ISREG(st.st_mode)) {
        present = true;
        break;
      }
    }
    if (!present) return false;
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
