// Opening a file that came from outside without trusting what sits at its path: the open never
// waits (a FIFO or a device answers at once, and is then refused) and only a regular file is
// kept. The descriptor is owned by a small RAII handle.
#pragma once

#include <string>

class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd();
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept;
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int Get() const { return fd_; }
  bool Valid() const { return fd_ >= 0; }
  int Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_ = -1;
};

// Opens `path` read-only, without blocking and without becoming its controlling terminal, and
// keeps it only when it is a regular file. On failure the handle is empty and *error reads
// "<path>: not a regular file" or "<path>: <the system's reason>".
UniqueFd OpenRegularFile(const std::string& path, std::string* error);

// The path under which the process reaches an open descriptor again (/proc/self/fd/N), for a
// library that takes only paths: it then opens the very file that was checked, whatever has
// happened at the original path since.
std::string DescriptorPath(int fd);

// The entry of `directory` (ending in '/', or empty for the current directory) named `name`,
// else the first one equal to it without regard to ASCII case: disks mastered on other systems
// often show MROLL.COR. Empty when there is none or the directory cannot be read.
std::string FindEntryIgnoringCase(const std::string& directory, const std::string& name);
