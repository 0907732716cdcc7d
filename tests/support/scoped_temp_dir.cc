#include "support/scoped_temp_dir.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

ScopedTempDir::ScopedTempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/dravenholt-test-XXXXXX";
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  directory = pattern + "/";
}

ScopedTempDir::~ScopedTempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(directory, ignored);
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> ListDir(const std::string& path) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(path, ec)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

bool FileExists(const std::string& path) { return std::filesystem::exists(path); }

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
