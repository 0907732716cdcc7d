// What the platforms' file layers share: a ReadOnlyFile's life, whatever its handle is.
#include "platform/file_system.h"

#include <utility>

ReadOnlyFile::~ReadOnlyFile() { Close(); }

ReadOnlyFile::ReadOnlyFile(ReadOnlyFile&& other) noexcept
    : handle_(std::exchange(other.handle_, -1)), size_(std::exchange(other.size_, -1)) {}

ReadOnlyFile& ReadOnlyFile::operator=(ReadOnlyFile&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = std::exchange(other.handle_, -1);
    size_ = std::exchange(other.size_, -1);
  }
  return *this;
}
