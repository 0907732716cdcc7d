#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "machine_costs.h"
#include "platform/read_buffer.h"
#include "stopwatch.h"

namespace {

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

bool ReadFully(int fd, unsigned char* out, std::size_t size, off_t offset) {
  std::size_t got = 0;
  while (got < size) {
    const ssize_t n = pread(fd, out + got, size - got, offset + static_cast<off_t>(got));
    if (n <= 0) return false;
    got += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

double MeasureCachedReadBandwidth(const std::string& path, std::size_t size, int passes) {
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat st;
  if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0) {
    if (fd >= 0) close(fd);
    return 0;
  }
  size = std::min(size, static_cast<std::size_t>(st.st_size));
  // Each read placed as the engine places its large reads (platform/read_buffer.h): a copy that
  // lands a few bytes past its source modulo the page runs several times slower, and a bound
  // measured that way would charge each byte more than the engine pays for it.
  const ReadBuffer buffer(size);
  std::memset(buffer.At(0), 0, size + 63);  // its pages exist before anything is timed
  bool ok = true;
  for (off_t at = 0; ok && at < st.st_size; at += static_cast<off_t>(size)) {
    ok = ReadFully(fd, buffer.At(at), std::min<std::size_t>(size, static_cast<std::size_t>(st.st_size - at)),
                   at);
  }
  // The copy runs faster when its destination stays in the processor's cache, so the bytes are
  // read both in one piece and in runs into a small buffer, and the fastest way counts: a bound
  // must not charge more than some program could take.
  double best = 0;
  for (const std::size_t chunk : {std::size_t{64} << 10, std::size_t{256} << 10, std::size_t{1} << 20, size}) {
    const std::size_t step = std::min(chunk, size);
    std::vector<double> rates;
    for (int pass = 0; ok && pass < passes; ++pass) {
      const Instant t0 = Now();
      for (std::size_t at = 0; ok && at < size; at += step) {
        ok = ReadFully(fd, buffer.At(static_cast<off_t>(at)), std::min(step, size - at),
                       static_cast<off_t>(at));
      }
      const double seconds = Since(t0).cpu;
      if (ok && seconds > 0) rates.push_back(static_cast<double>(size) / seconds);
    }
    best = std::max(best, Median(rates));
  }
  close(fd);
  return ok ? best : 0;
}

double MeasureOpenCloseNs(const std::string& path, int batches, int perBatch) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
  std::vector<double> each;
  for (int b = 0; b < batches; ++b) {
    const Instant t0 = Now();
    for (int i = 0; i < perBatch; ++i) {
      const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
      if (fd < 0) return 0;
      close(fd);
    }
    each.push_back(Since(t0).cpu * 1e9 / perBatch);
  }
  return Median(each);
}
