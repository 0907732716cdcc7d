// A directory under the system's temporary directory that exists for the life of the object,
// and small file helpers. Paths are UTF-8 on every platform.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

class ScopedTempDir {
 public:
  ScopedTempDir();
  ~ScopedTempDir();
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;

  // The directory, without its trailing separator.
  std::string Path() const { return directory.substr(0, directory.size() - 1); }
  // The directory, ending in the platform's separator, to put a name after.
  const std::string& Prefix() const { return directory; }
  // The path of `name` in the directory.
  std::string File(const std::string& name) const { return directory + name; }
  std::string operator/(const std::string& name) const { return directory + name; }

 private:
  std::string directory;
};

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
// Makes one directory; false when it exists already or cannot be made.
bool MakeDirectory(const std::string& path);
// A path between UTF-8 text and std::filesystem, whose narrow strings are not UTF-8 everywhere.
std::string Utf8Path(const std::filesystem::path& path);
std::filesystem::path PathFromUtf8(const std::string& utf8);
// File names in a directory, sorted; hidden ones included.
std::vector<std::string> ListDir(const std::string& path);
// Overwrites bytes of `path` at `offset` (a negative offset counts from the end).
void Corrupt(const std::string& path, long offset, const std::string& bytes);
// Little-endian bytes of `value`.
std::string Le32(int value);
