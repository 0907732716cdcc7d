#include "platform/profile.h"

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <memory>

#include "platform/file_system.h"
#include "platform/places.h"

namespace {

// A line longer than this is cut: what follows on it is never taken for a line of its own.
constexpr std::size_t kMaxLineLength = 4096;
constexpr std::size_t kReadChunk = 16 * 1024;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

// Only a regular file counts as an INI file: a FIFO or a directory of that name is passed over.
bool FileExists(const std::string& path) { return KindOfPath(path) == FileKind::kRegular; }

std::size_t CopyOut(std::string_view value, char* out, std::size_t size) {
  const std::size_t n = value.size() < size - 1 ? value.size() : size - 1;
  std::memcpy(out, value.data(), n);
  out[n] = '\0';
  return n;
}

// Looks for one key, a line at a time, in the order the file gives them.
class ProfileScanner {
 public:
  ProfileScanner(const char* sectionName, const char* keyName) : section(sectionName), key(keyName) {}

  // Takes one line (without its LF); true once the key was found.
  bool Line(std::string_view raw) {
    if (first) {
      first = false;
      if (raw.substr(0, kByteOrderMark.size()) == kByteOrderMark) raw.remove_prefix(kByteOrderMark.size());
    }
    const std::string_view line = Trim(raw);
    if (line.empty() || line.front() == ';') return false;
    if (line.front() == '[') {
      const std::size_t close = line.find(']');
      inSection = close != std::string_view::npos && EqualsIgnoringCase(Trim(line.substr(1, close - 1)), section);
      return false;
    }
    if (!inSection) return false;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos || !EqualsIgnoringCase(Trim(line.substr(0, eq)), key)) return false;
    std::string_view text = Trim(line.substr(eq + 1));
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front()) {
      text = text.substr(1, text.size() - 2);
    }
    value.assign(text);
    found = true;
    return true;
  }
  bool Found() const { return found; }
  const std::string& Value() const { return value; }

 private:
  const char* section;
  const char* key;
  bool first = true;
  bool inSection = false;
  bool found = false;
  std::string value;
};

}  // namespace

std::string FindProfilePath() {
  if (std::optional<std::string> explicitPath = EnvironmentValue("BREVIK_INI")) return *explicitPath;
  for (const std::string& dir : ProfileDirectories()) {
    std::string candidate = JoinPath(dir, kProfileFileName);
    if (FileExists(candidate)) return candidate;
  }
  return {};
}

std::size_t ParseProfileString(std::string_view text, const char* section, const char* key,
                               const char* fallback, char* out, std::size_t size) {
  ProfileScanner scanner(section, key);
  while (!text.empty()) {
    const std::size_t eol = text.find('\n');
    if (scanner.Line(text.substr(0, std::min(eol, kMaxLineLength)))) return CopyOut(scanner.Value(), out, size);
    text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
  }
  return CopyOut(fallback ? fallback : "", out, size);
}

std::size_t ReadProfileString(const char* section, const char* key, const char* fallback,
                              char* out, std::size_t size) {
  const std::string path = FindProfilePath();
  ReadOnlyFile file;
  if (!path.empty() && file.Open(path) == OpenStatus::kOk) {
    // A line at a time: the file may be of any size, and a section may stand anywhere in it.
    ProfileScanner scanner(section, key);
    std::string line;
    bool cut = false;  // the line in hand passed the bound: the rest of it is skipped
    auto chunk = std::make_unique<char[]>(kReadChunk);
    std::int64_t offset = 0;
    for (std::int64_t got; (got = file.ReadAt(offset, chunk.get(), kReadChunk)) > 0; offset += got) {
      for (std::int64_t i = 0; i < got; ++i) {
        const char c = chunk[static_cast<std::size_t>(i)];
        if (c == '\n') {
          if (scanner.Line(line)) return CopyOut(scanner.Value(), out, size);
          line.clear();
          cut = false;
        } else if (!cut && line.size() < kMaxLineLength) {
          line.push_back(c);
        } else {
          cut = true;
        }
      }
    }
    if (scanner.Line(line)) return CopyOut(scanner.Value(), out, size);
  }
  return CopyOut(fallback ? fallback : "", out, size);
}
