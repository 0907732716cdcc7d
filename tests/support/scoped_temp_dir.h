// A directory under $TMPDIR that exists for the life of the object, and small file helpers.
#pragma once

#include <string>
#include <vector>

class ScopedTempDir {
 public:
  ScopedTempDir();
  ~ScopedTempDir();
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;

  // The directory, ending in '/'.
  const std::string& path() const { return directory; }
  std::string File(const std::string& name) const { return directory + name; }

 private:
  std::string directory;
};

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
// Overwrites bytes of `path` at `offset` (a negative offset counts from the end).
void Corrupt(const std::string& path, long offset, const std::string& bytes);
// Little-endian bytes of `value`.
std::string Le32(int value);
