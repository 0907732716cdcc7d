#include "support/scoped_temp_dir.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "platform/file_system.h"

namespace fs = std::filesystem;

std::string Utf8Path(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

fs::path PathFromUtf8(const std::string& utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

ScopedTempDir::ScopedTempDir() {
  std::error_code ec;
  const fs::path base = fs::temp_directory_path(ec);
  if (ec) throw std::runtime_error("no temporary directory: " + ec.message());
  std::random_device seed;
  std::mt19937_64 random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[40];
    std::snprintf(name, sizeof name, "dravenholt-test-%012llx",
                  static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
    const fs::path candidate = base / name;
    if (fs::create_directory(candidate, ec)) {
      fs::permissions(candidate, fs::perms::owner_all, ec);
      directory = Utf8Path(candidate) + kPathSeparator;
      return;
    }
  }
  throw std::runtime_error("cannot make a temporary directory in " + Utf8Path(base));
}

ScopedTempDir::~ScopedTempDir() {
  std::error_code ignored;
  fs::remove_all(PathFromUtf8(directory), ignored);
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(PathFromUtf8(path), std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(PathFromUtf8(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> ListDir(const std::string& path) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(PathFromUtf8(path), ec)) names.push_back(Utf8Path(e.path().filename()));
  std::sort(names.begin(), names.end());
  return names;
}

bool FileExists(const std::string& path) { return fs::exists(PathFromUtf8(path)); }

bool MakeDirectory(const std::string& path) {
  std::error_code ec;
  return fs::create_directory(PathFromUtf8(path), ec);
}

void Corrupt(const std::string& path, long offset, const std::string& bytes) {
  std::string data = ReadFileBytes(path);
  const long at = offset < 0 ? static_cast<long>(data.size()) + offset : offset;
  if (at < 0 || at + static_cast<long>(bytes.size()) > static_cast<long>(data.size())) {
    throw std::out_of_range("Corrupt outside the file");
  }
  data.replace(static_cast<std::size_t>(at), bytes.size(), bytes);
  WriteFileBytes(path, data);
}

std::string Le32(int value) {
  const auto v = static_cast<unsigned>(value);
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  return s;
}
