#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "page_cache.h"

namespace {

// Closes a descriptor on every way out.
struct Descriptor {
  explicit Descriptor(int value) : fd(value) {}
  ~Descriptor() {
    if (fd >= 0) close(fd);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int fd;
};

// Only regular files: a FIFO or a device in a roll directory is never opened.
int OpenRegular(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  struct stat st;
  if (fd >= 0 && (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
    close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

bool EvictFromPageCache(const std::string& path) {
  Descriptor file(OpenRegular(path));
  if (file.fd < 0) return false;
  // Dirty pages are not dropped: a freshly built roll may not be written out yet.
  fdatasync(file.fd);
  return posix_fadvise(file.fd, 0, 0, POSIX_FADV_DONTNEED) == 0;
}

std::int64_t ResidentBytes(const std::string& path) {
  Descriptor file(OpenRegular(path));
  struct stat st;
  if (file.fd < 0 || fstat(file.fd, &st) != 0) return -1;
  if (st.st_size == 0) return 0;
  const long page = sysconf(_SC_PAGESIZE);
  const std::size_t size = static_cast<std::size_t>(st.st_size);
  // Mapping without touching faults nothing in; mincore then tells which pages are cached.
  void* map = mmap(nullptr, size, PROT_READ, MAP_SHARED, file.fd, 0);
  if (map == MAP_FAILED) return -1;
  std::vector<unsigned char> pages((size + static_cast<std::size_t>(page) - 1) /
                                   static_cast<std::size_t>(page));
  std::int64_t resident = -1;
  if (mincore(map, size, pages.data()) == 0) {
    resident = 0;
    for (unsigned char p : pages) resident += (p & 1) ? page : 0;
  }
  munmap(map, size);
  return resident;
}

std::int64_t EvictAll(const std::vector<std::string>& files, int attempts) {
  std::int64_t resident = 0;
  for (int attempt = 0; attempt < attempts; ++attempt) {
    if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    resident = 0;
    for (const std::string& f : files) {
      if (!EvictFromPageCache(f)) return -1;
      resident += std::max<std::int64_t>(ResidentBytes(f), 0);
    }
    if (resident == 0) break;
  }
  return resident;
}
