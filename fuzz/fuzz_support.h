// Helpers shared by the fuzz targets and the seed builder.
//
// Several targets read more than one outside text at a time (a whole roll database is three
// files and a query). Such an input is a run of parts, each but the last preceded by its length
// as 4 little-endian bytes; the last part is whatever remains. A length that runs past the end
// takes what is there, and the parts after it are empty.
//
// The readers under test take files, so every target writes its parts into a private directory
// (on /dev/shm when there is one) that lives as long as the process and is reused by every run.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

inline std::vector<std::string_view> SplitParts(const std::uint8_t* data, std::size_t size, int count) {
  std::vector<std::string_view> parts(static_cast<std::size_t>(count));
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  for (int i = 0; i + 1 < count; ++i) {
    if (rest.size() < 4) {
      rest = {};
      break;
    }
    const auto* b = reinterpret_cast<const unsigned char*>(rest.data());
    const std::uint32_t length = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
    rest.remove_prefix(4);
    const std::size_t take = length < rest.size() ? length : rest.size();
    parts[static_cast<std::size_t>(i)] = rest.substr(0, take);
    rest.remove_prefix(take);
  }
  parts[static_cast<std::size_t>(count) - 1] = rest;
  return parts;
}

inline std::string JoinParts(const std::vector<std::string>& parts) {
  std::string out;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i + 1 < parts.size()) {
      const auto n = static_cast<std::uint32_t>(parts[i].size());
      for (int k = 0; k < 4; ++k) out += static_cast<char>((n >> (8 * k)) & 0xFF);
    }
    out += parts[i];
  }
  return out;
}

// The process's scratch directory, ending in '/'; removed at exit.
inline const std::string& ScratchDir() {
  static const std::string dir = [] {
    std::string base = "/dev/shm";
    struct stat st {};
    if (stat(base.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
      const char* tmp = std::getenv("TMPDIR");
      base = tmp && *tmp ? tmp : "/tmp";
    }
    std::string pattern = base + "/dravenholt-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) std::abort();
    static std::string removeAtExit;
    removeAtExit = pattern;
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(removeAtExit, ignored);
    });
    return pattern + "/";
  }();
  return dir;
}

// `bytes` as the whole of `path` ("wb"), or after what it holds ("ab").
inline void WriteFile(const std::string& path, std::string_view bytes, const char* mode = "wb") {
  std::FILE* f = std::fopen(path.c_str(), mode);
  if (!f) std::abort();
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) std::abort();
  std::fclose(f);
}

// The empty index as a created file holds it.
inline constexpr std::string_view kEmptyIndex("\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\x04", 9);

// Index bytes that the reader takes as well-formed at the end: a file whose last byte is not the
// end byte ends the process by design (tested elsewhere), so such inputs get one appended.
inline std::string WithEndByte(std::string_view index) {
  std::string bytes(index);
  if (bytes.empty()) return std::string(kEmptyIndex);
  if (bytes.back() != '\x04') bytes += '\x04';
  return bytes;
}

}  // namespace fuzz

// A property every input must keep; a failure ends the run like a sanitizer report.
#define FUZZ_CHECK(condition)                                                              \
  do {                                                                                     \
    if (!(condition)) {                                                                    \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                        \
    }                                                                                      \
  } while (0)
