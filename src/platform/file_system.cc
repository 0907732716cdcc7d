// What the platforms' file layers share: a ReadOnlyFile's life, whatever its handle is, and the
// window onto one file of a disk image.
#include "platform/file_system.h"

#include <utility>

#include "platform/disk_image.h"

ReadOnlyFile::~ReadOnlyFile() { Close(); }

ReadOnlyFile::ReadOnlyFile(ReadOnlyFile&& other) noexcept
    : handle(std::exchange(other.handle, -1)),
      fileSize(std::exchange(other.fileSize, -1)),
      image(std::move(other.image)),
      extent(std::move(other.extent)) {}

ReadOnlyFile& ReadOnlyFile::operator=(ReadOnlyFile&& other) noexcept {
  if (this != &other) {
    Close();
    handle = std::exchange(other.handle, -1);
    fileSize = std::exchange(other.fileSize, -1);
    image = std::move(other.image);
    extent = std::move(other.extent);
  }
  return *this;
}

ReadOnlyFile ReadOnlyFile::Window(std::shared_ptr<const ReadOnlyFile> imageFile, const ImageExtent& where) {
  ReadOnlyFile window;
  if (!imageFile || !imageFile->IsOpen() || imageFile->image) return window;  // no window of a window
  window.image = std::move(imageFile);
  window.extent = std::make_shared<const ImageExtent>(where);
  window.fileSize = where.length;
  return window;
}

std::int64_t ReadOnlyFile::WindowRead(std::int64_t offset, void* out, std::size_t size) const {
  return ReadExtent(*image, *extent, offset, out, size);
}

FileIdentity ReadOnlyFile::WindowIdentity() const {
  FileIdentity id = image->Identity();
  if (id.known) id.window = extent->ImageOffset(0);
  return id;
}
