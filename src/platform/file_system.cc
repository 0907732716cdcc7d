// What the platforms' file layers share: a ReadOnlyFile's life, whatever its handle is.
#include "platform/file_system.h"

#include <utility>

ReadOnlyFile::~ReadOnlyFile() { Close(); }

ReadOnlyFile::ReadOnlyFile(ReadOnlyFile&& other) noexcept
    : handle(std::exchange(other.handle, -1)), fileSize(std::exchange(other.fileSize, -1)) {}

ReadOnlyFile& ReadOnlyFile::operator=(ReadOnlyFile&& other) noexcept {
  if (this != &other) {
    Close();
    handle = std::exchange(other.handle, -1);
    fileSize = std::exchange(other.fileSize, -1);
  }
  return *this;
}
