#include "platform/read_cursor.h"

ReadCursor::ReadCursor(std::size_t capacity)
    : buffer_(std::make_unique_for_overwrite<unsigned char[]>(capacity)), capacity_(capacity) {}

void ReadCursor::Attach(const ReadOnlyFile* file) {
  file_ = file;
  length_ = 0;
}

bool ReadCursor::Fill(std::int64_t offset) {
  length_ = 0;
  if (!file_ || offset < 0) return false;
  const std::int64_t got = file_->ReadAt(offset, buffer_.get(), capacity_);
  if (got <= 0) return false;
  start_ = offset;
  length_ = static_cast<std::size_t>(got);
  return true;
}

std::size_t ReadCursor::Read(std::int64_t offset, void* out, std::size_t size) {
  if (!file_ || offset < 0 || size == 0) return 0;
  auto* bytes = static_cast<unsigned char*>(out);
  std::size_t done = 0;
  // What the buffer already holds from `offset` on.
  if (offset >= start_ && offset < start_ + static_cast<std::int64_t>(length_)) {
    const std::size_t at = static_cast<std::size_t>(offset - start_);
    const std::size_t n = length_ - at < size ? length_ - at : size;
    std::memcpy(bytes, buffer_.get() + at, n);
    done = n;
  }
  while (done < size) {
    const std::int64_t position = offset + static_cast<std::int64_t>(done);
    const std::size_t rest = size - done;
    if (rest >= capacity_) {
      const std::int64_t got = file_->ReadAt(position, bytes + done, rest);
      return got > 0 ? done + static_cast<std::size_t>(got) : done;
    }
    if (!Fill(position)) return done;
    const std::size_t n = length_ < rest ? length_ : rest;
    std::memcpy(bytes + done, buffer_.get(), n);
    done += n;
    if (length_ < capacity_ && n == length_) return done;  // the file ended inside the buffer
  }
  return done;
}
