// The image's pending file on POSIX: O_TMPFILE where the kernel and the file system offer it, given
// a name through /proc/self/fd only once whole; else a hidden file created exclusively, never
// through a symbolic link.
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

#include "platform/pending_file.h"

namespace {

constexpr int kTemporaryNameAttempts = 100;

std::string SystemError(const std::string& path) { return path + ": " + std::strerror(errno); }

}  // namespace

// An unnamed file in the output's directory when the file system offers one (nothing to clean up
// if the process dies), else a hidden named one that is removed on failure.
struct PendingFile::State {
  explicit State(const std::string& path) : finalPath(path) {
    const std::size_t slash = path.rfind('/');
    directory = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    base = slash == std::string::npos ? path : path.substr(slash + 1);
  }
  ~State() {
    if (fd >= 0) close(fd);
    if (!namedPath.empty()) unlink(namedPath.c_str());
  }

  bool Create(std::string* error) {
#ifdef O_TMPFILE
    fd = open(directory.empty() ? "." : directory.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd >= 0) return true;
#endif
    for (int i = 0; i < kTemporaryNameAttempts; ++i) {
      const std::string candidate = TemporaryName();
      fd = open(candidate.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC | O_NOFOLLOW, 0666);
      if (fd >= 0) {
        namedPath = candidate;
        return true;
      }
      if (errno != EEXIST) break;
    }
    *error = SystemError(finalPath);
    return false;
  }

  int Descriptor() const { return fd; }

  bool Publish(std::string* error) {
    if (fsync(fd) != 0) {
      *error = SystemError(finalPath);
      return false;
    }
    if (namedPath.empty()) {
      // Give the unnamed file a temporary name; the rename below moves it over the final one.
      for (int i = 0; i < kTemporaryNameAttempts && namedPath.empty(); ++i) {
        const std::string candidate = TemporaryName();
        const std::string handlePath = "/proc/self/fd/" + std::to_string(fd);
        if (linkat(AT_FDCWD, handlePath.c_str(), AT_FDCWD, candidate.c_str(), AT_SYMLINK_FOLLOW) == 0) {
          namedPath = candidate;
        } else if (errno != EEXIST) {
          break;
        }
      }
      if (namedPath.empty()) {
        *error = SystemError(finalPath);
        return false;
      }
    }
    if (close(fd) != 0) {
      fd = -1;
      *error = SystemError(finalPath);
      return false;
    }
    fd = -1;
    if (rename(namedPath.c_str(), finalPath.c_str()) != 0) {
      *error = SystemError(finalPath);
      return false;
    }
    namedPath.clear();
    return true;
  }

  std::string TemporaryName() {
    static std::mt19937 random(std::random_device{}());
    return directory + "." + base + "." + std::to_string(getpid()) + "-" + std::to_string(random() % 1000000);
  }

  std::string finalPath, directory, base, namedPath;
  int fd = -1;
};

PendingFile::PendingFile(const std::string& path) : state(std::make_unique<State>(path)) {}

PendingFile::~PendingFile() = default;

bool PendingFile::Create(std::string* error) { return state->Create(error); }

int PendingFile::Descriptor() const { return state->Descriptor(); }

bool PendingFile::Publish(std::string* error) { return state->Publish(error); }
