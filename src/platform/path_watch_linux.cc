// The watch on Linux: a watch of the process's one inotify instance on each file and on every
// directory on the way to it, and the mount table's file, whose poll reports a mount or unmount.
// Quiet() is one poll() over the two when nothing has happened.
//
// The instance is the process's, opened once and never closed: closing one waits for the
// kernel's grace period (milliseconds here), which a roll closed and opened again must not pay.
// Watches no PathWatch uses any more are removed one by one, which does not wait.
#include <fcntl.h>
#include <limits.h>
#include <linux/magic.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/path_watch.h"

namespace {

// File systems whose every change goes through this kernel, so that inotify hears of it. A
// network share changed from another machine, or a file system in user space, is not among them.
bool KernelSeesEveryChange(const std::string& path) {
  struct statfs fs;
  if (statfs(path.c_str(), &fs) != 0) return false;
  switch (static_cast<unsigned long>(fs.f_type)) {
    case EXT4_SUPER_MAGIC:  // ext2, ext3 and ext4 alike
    case XFS_SUPER_MAGIC:
    case BTRFS_SUPER_MAGIC:
    case TMPFS_MAGIC:
    case RAMFS_MAGIC:
    case ISOFS_SUPER_MAGIC:
    case UDF_SUPER_MAGIC:
    case F2FS_SUPER_MAGIC:
    case OVERLAYFS_SUPER_MAGIC:
    case MSDOS_SUPER_MAGIC:
    case EXFAT_SUPER_MAGIC:
    case SQUASHFS_MAGIC:
      return true;
    default:
      return false;
  }
}

// The directories on the way to `path` as written, each with the name that follows it: "/a/b/f"
// gives ("/a/b", "f"), ("/a", "b"), ("/", "a"); a relative path ends at ("." , first name).
// Repeated separators and "." names are passed over; false for a path ending in a separator.
bool DirectoriesOnTheWay(const std::string& path, std::vector<std::pair<std::string, std::string>>* out) {
  if (path.empty() || path.back() == '/') return false;
  std::string rest = path;
  while (!rest.empty()) {
    const std::size_t slash = rest.find_last_of('/');
    std::string name = slash == std::string::npos ? rest : rest.substr(slash + 1);
    std::string directory = slash == std::string::npos ? "." : rest.substr(0, slash);
    while (directory.size() > 1 && directory.back() == '/') directory.pop_back();
    if (directory.empty()) directory.assign(1, '/');
    if (!name.empty() && name != ".") out->push_back({directory, name});
    if (slash == std::string::npos || directory == "/") break;
    rest = directory;
  }
  return true;
}

constexpr std::uint32_t kDirectoryEvents = IN_ATTRIB | IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                           IN_MOVE_SELF | IN_DELETE_SELF | IN_ONLYDIR;
// A file's own events. A file changed through a shared mapping makes no IN_MODIFY: it is seen
// when its writer closes it.
constexpr std::uint32_t kFileEvents = IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB | IN_MOVE_SELF | IN_DELETE_SELF;
constexpr std::uint32_t kWhichFileEvents = IN_ATTRIB | IN_MOVE_SELF | IN_DELETE_SELF;
// What ends the quiet whatever was asked for: the watch is gone, or events were lost.
constexpr std::uint32_t kAlwaysMatters = IN_Q_OVERFLOW | IN_IGNORED | IN_UNMOUNT;
// How many reads of pending events one Quiet() makes before it gives up and says "not quiet".
constexpr int kMaxEventReads = 64;

struct Watched {
  int descriptor = -1;
  bool directory = false;
  std::uint32_t mask = 0;          // what this watch asked for: the kernel's watch may ask for more
  std::vector<std::string> names;  // for a directory: the names on the way whose change matters
};

}  // namespace

struct PathWatch::State {
  bool armed = false;
  std::vector<Watched> watched;

  const Watched* Find(int descriptor) const {
    for (const Watched& w : watched) {
      if (w.descriptor == descriptor) return &w;
    }
    return nullptr;
  }

  // Whether one event may have changed what is watched.
  bool Matters(const inotify_event& event) const {
    const Watched* w = Find(event.wd);
    if (!w) return false;  // another PathWatch's
    if (event.mask & kAlwaysMatters) return true;
    if ((event.mask & w->mask) == 0) return false;
    if (!w->directory || event.len == 0) return true;  // a file's event, or the directory's own
    const std::string name(event.name, strnlen(event.name, event.len));
    return std::find(w->names.begin(), w->names.end(), name) != w->names.end();
  }
};

namespace {

// The process's inotify instance and mount table, shared by every PathWatch, and which of them
// are armed. Every member is used with `lock` held.
struct Hub {
  std::mutex lock;
  int notify = -1;
  int mounts = -1;
  std::map<int, int> users;  // watch descriptor: how many PathWatches use it
  std::vector<PathWatch::State*> armed;
  // While one Arm runs: the paths it has watched already, and where directories' links lead.
  // The files of a roll share every directory on their way, so each is asked about once.
  std::map<std::string, int> arming;
  std::map<std::string, std::string> resolvedDirectories;

  static Hub& Instance() {
    static Hub* hub = new Hub;  // never destroyed: see the top of the file
    return *hub;
  }

  bool Ready() {
    if (notify < 0) notify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (mounts < 0) mounts = ::open("/proc/self/mountinfo", O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    return notify >= 0 && mounts >= 0;
  }

  void Disarm(PathWatch::State* state) {
    state->armed = false;
    armed.erase(std::remove(armed.begin(), armed.end(), state), armed.end());
  }
  void DisarmAll() {
    for (PathWatch::State* state : armed) state->armed = false;
    armed.clear();
  }

  // Drops watches, removing each from the kernel once nobody uses it.
  void Release(const std::vector<Watched>& dropped) {
    for (const Watched& w : dropped) {
      const auto user = users.find(w.descriptor);
      if (user != users.end() && --user->second == 0) {
        users.erase(user);
        inotify_rm_watch(notify, w.descriptor);
      }
    }
  }
  void Release(PathWatch::State* state) {
    Disarm(state);
    Release(state->watched);
    state->watched.clear();
  }

  bool Add(PathWatch::State* state, const std::string& path, bool directory, std::uint32_t mask,
           const std::string& name) {
    int descriptor;
    if (const auto seen = arming.find(path); seen != arming.end()) {
      descriptor = seen->second;
    } else {
      if (!KernelSeesEveryChange(path)) return false;
      descriptor = inotify_add_watch(notify, path.c_str(), mask | IN_MASK_ADD);
      if (descriptor < 0) return false;
      arming[path] = descriptor;
    }
    Watched* w = nullptr;
    for (Watched& each : state->watched) {
      if (each.descriptor == descriptor) w = &each;
    }
    if (!w) {
      ++users[descriptor];
      state->watched.push_back({descriptor, directory, mask, {}});
      w = &state->watched.back();
    } else if (w->directory != directory) {
      return false;  // the same inode as a file and as a directory: not a set this watch understands
    }
    w->mask |= mask;
    if (directory && std::find(w->names.begin(), w->names.end(), name) == w->names.end()) {
      w->names.push_back(name);
    }
    return true;
  }

  // The file at `path` and every directory on its way, but for the file's own directory when the
  // file is no link. A watch on a directory makes every read of a file inside it report to the
  // kernel's notification code (about a quarter of a small read's cost), and what that watch would
  // tell the file's own watch tells as well: the file removed, or another put in its place, changes
  // its count of links (IN_ATTRIB); moved away, it reports IN_MOVE_SELF; its directory's own
  // changes reach the directory above, which watches its name. A link at the path is another
  // inode than the file its watch follows to, so for a link the directory is watched as well.
  bool AddPath(PathWatch::State* state, const std::string& path, std::uint32_t fileMask) {
    std::vector<std::pair<std::string, std::string>> way;
    if (!DirectoriesOnTheWay(path, &way)) return false;
    struct stat at;
    if (lstat(path.c_str(), &at) != 0) return false;
    if (!Add(state, path, false, fileMask, {})) return false;
    const std::size_t first = S_ISLNK(at.st_mode) ? 0 : 1;
    for (std::size_t i = first; i < way.size(); ++i) {
      if (!Add(state, way[i].first, true, kDirectoryEvents, way[i].second)) return false;
    }
    return true;
  }

  // Where `path` leads when a link on its way leads elsewhere; empty when it leads where written.
  std::string Resolved(const std::string& path) {
    std::vector<std::pair<std::string, std::string>> way;
    if (!DirectoriesOnTheWay(path, &way) || way.empty()) return {};
    char resolved[PATH_MAX];
    struct stat file;
    if (lstat(path.c_str(), &file) == 0 && S_ISLNK(file.st_mode)) {
      return realpath(path.c_str(), resolved) && path != resolved ? std::string(resolved) : std::string();
    }
    const auto& [directory, name] = way.front();
    auto known = resolvedDirectories.find(directory);
    if (known == resolvedDirectories.end()) {
      known =
          resolvedDirectories.emplace(directory, realpath(directory.c_str(), resolved) ? resolved : "").first;
    }
    if (known->second.empty()) return {};
    const std::string whole = known->second + (known->second == "/" ? "" : "/") + name;
    return whole == path ? std::string() : whole;
  }

  // Reads what the kernel has to tell and ends the quiet of each armed watch it concerns; a
  // change of the mount table, lost events or a failed read end every one.
  void Drain(bool mountsChanged) {
    if (mountsChanged) {
      DisarmAll();
      return;
    }
    alignas(inotify_event) char buffer[4096];
    for (int reads = 0; reads < kMaxEventReads; ++reads) {
      const ssize_t got = ::read(notify, buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
      if (got <= 0) break;
      for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= got;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        const ssize_t size = static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        if (at + size > got || (event->mask & IN_Q_OVERFLOW)) {
          DisarmAll();
          break;
        }
        if (event->mask & IN_IGNORED) users.erase(event->wd);  // the kernel dropped it
        for (std::size_t i = 0; i < armed.size();) {
          if (armed[i]->Matters(*event)) {
            Disarm(armed[i]);
          } else {
            ++i;
          }
        }
        at += size;
      }
    }
    DisarmAll();
  }
};

}  // namespace

PathWatch::PathWatch() : state(std::make_unique<State>()) {}

PathWatch::~PathWatch() { Stop(); }

void PathWatch::Stop() {
  Hub& hub = Hub::Instance();
  const std::lock_guard<std::mutex> held(hub.lock);
  hub.Release(state.get());
}

bool PathWatch::Arm(const std::vector<std::string>& paths, Scope scope) {
  Hub& hub = Hub::Instance();
  const std::lock_guard<std::mutex> held(hub.lock);
  hub.Disarm(state.get());
  // The watches armed before are dropped only once the new ones are set: one the new set shares
  // stays in the kernel, and setting it again costs little, where removing and setting it anew
  // does not.
  const std::vector<Watched> before = std::move(state->watched);
  state->watched.clear();
  struct ReleaseBefore {
    Hub& hub;
    const std::vector<Watched>& before;
    ~ReleaseBefore() { hub.Release(before); }
  } releaseBefore{hub, before};
  if (paths.empty() || !hub.Ready()) return false;
  // What happened before this arming is no concern of it.
  pollfd fds[2] = {{hub.notify, POLLIN, 0}, {hub.mounts, POLLPRI, 0}};
  if (::poll(fds, 2, 0) > 0) hub.Drain(fds[1].revents != 0);
  const std::uint32_t fileMask = scope == Scope::kFiles ? kFileEvents : kWhichFileEvents;
  hub.arming.clear();
  hub.resolvedDirectories.clear();
  for (const std::string& path : paths) {
    bool added = hub.AddPath(state.get(), path, fileMask);
    // A link on the way leads elsewhere: the directories on the way to where it leads matter too.
    if (added) {
      const std::string resolved = hub.Resolved(path);
      if (!resolved.empty()) added = hub.AddPath(state.get(), resolved, fileMask);
    }
    if (!added) {
      hub.Release(state.get());
      return false;
    }
  }
  state->armed = true;
  hub.armed.push_back(state.get());
  return true;
}

bool PathWatch::Quiet() {
  Hub& hub = Hub::Instance();
  const std::lock_guard<std::mutex> held(hub.lock);
  if (!state->armed) return false;
  pollfd fds[2] = {{hub.notify, POLLIN, 0}, {hub.mounts, POLLPRI, 0}};
  int ready;
  do {
    ready = ::poll(fds, 2, 0);
  } while (ready < 0 && errno == EINTR);
  if (ready == 0) return true;
  if (ready < 0 || (fds[0].revents & ~POLLIN) != 0) {
    hub.DisarmAll();
    return false;
  }
  // Events came: quiet still when none of them touches what is watched (a file made beside the
  // roll's, in a busy directory on the way).
  hub.Drain(fds[1].revents != 0);
  return state->armed;
}
