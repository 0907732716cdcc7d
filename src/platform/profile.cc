#include "platform/profile.h"

#include <cstdio>
#include <cstring>

#include "platform/file_system.h"
#include "platform/places.h"

namespace {

constexpr std::size_t kMaxProfileBytes = 1 << 20;

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

bool FileExists(const std::string& path) {
  FileHandle f = OpenFile(path.c_str(), "r");
  return f != nullptr;
}

std::size_t CopyOut(std::string_view value, char* out, std::size_t size) {
  const std::size_t n = value.size() < size - 1 ? value.size() : size - 1;
  std::memcpy(out, value.data(), n);
  out[n] = '\0';
  return n;
}

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
  bool inSection = false;
  while (!text.empty()) {
    const std::size_t eol = text.find('\n');
    std::string_view line = Trim(text.substr(0, eol));
    text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);

    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      const std::size_t close = line.find(']');
      if (close == std::string_view::npos) {
        inSection = false;
        continue;
      }
      inSection = EqualsIgnoringCase(Trim(line.substr(1, close - 1)), section);
      continue;
    }
    if (!inSection) continue;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    if (!EqualsIgnoringCase(Trim(line.substr(0, eq)), key)) continue;

    std::string_view value = Trim(line.substr(eq + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    return CopyOut(value, out, size);
  }
  return CopyOut(fallback ? fallback : "", out, size);
}

std::size_t ReadProfileString(const char* section, const char* key, const char* fallback,
                              char* out, std::size_t size) {
  std::string text;
  const std::string path = FindProfilePath();
  if (!path.empty()) {
    // A data file's open: a device or pipe in the file's place (the console, say) is not read.
    if (FileHandle f = OpenDataFile(path.c_str(), "rb")) {
      char chunk[4096];
      std::size_t n;
      while (text.size() < kMaxProfileBytes && (n = std::fread(chunk, 1, sizeof chunk, f.get())) > 0) {
        text.append(chunk, n);
      }
      if (text.size() > kMaxProfileBytes) text.resize(kMaxProfileBytes);
    }
  }
  return ParseProfileString(text, section, key, fallback, out, size);
}
