#include "platform/read_cursor.h"

ReadCursor::ReadCursor(std::size_t bufferSize) : buffer(bufferSize) {}

void ReadCursor::Attach(const ReadOnlyFile* source) {
  file = source;
  length = 0;
  ended = false;
}

void ReadCursor::Approach(std::int64_t offset, std::size_t size) {
  const std::int64_t reach = static_cast<std::int64_t>(buffer.Capacity());
  const bool near =
      length > 0 && offset >= start - reach && offset < start + static_cast<std::int64_t>(length) + reach;
  if (!near) Fill(offset, size < buffer.Capacity() ? size : buffer.Capacity());
}

bool ReadCursor::Fill(std::int64_t offset, std::size_t want) {
  length = 0;
  ended = false;
  if (!file || offset < 0) return false;
  unsigned char* into = buffer.At(offset);
  const std::int64_t got = file->ReadAt(offset, into, want);
  if (got <= 0) return false;
  data = into;
  start = offset;
  length = static_cast<std::size_t>(got);
  ended = length < want;
  return true;
}

std::size_t ReadCursor::Read(std::int64_t offset, void* out, std::size_t size) {
  if (!file || offset < 0 || size == 0) return 0;
  auto* bytes = static_cast<unsigned char*>(out);
  std::size_t done = 0;
  // What the buffer already holds from `offset` on.
  if (offset >= start && offset < start + static_cast<std::int64_t>(length)) {
    const std::size_t at = static_cast<std::size_t>(offset - start);
    const std::size_t n = length - at < size ? length - at : size;
    std::memcpy(bytes, data + at, n);
    done = n;
  }
  while (done < size) {
    const std::int64_t position = offset + static_cast<std::int64_t>(done);
    const std::size_t rest = size - done;
    if (rest >= buffer.Capacity()) {
      const std::int64_t got = file->ReadAt(position, bytes + done, rest);
      return got > 0 ? done + static_cast<std::size_t>(got) : done;
    }
    if (!Fill(position, buffer.Capacity())) return done;
    const std::size_t n = length < rest ? length : rest;
    std::memcpy(bytes + done, data, n);
    done += n;
    if (ended && n == length) return done;  // the file ended inside the buffer
  }
  return done;
}

std::string_view ReadCursor::View(std::int64_t offset, std::size_t size) {
  if (!file || offset < 0) return {};
  if (size > buffer.Capacity()) size = buffer.Capacity();
  const bool held = offset >= start && offset + static_cast<std::int64_t>(size) <= start + static_cast<std::int64_t>(length);
  // Held whole, or held up to the end of the file.
  const bool endHeld = offset >= start && offset < start + static_cast<std::int64_t>(length) && ended;
  if (!held && !endHeld && !Fill(offset, buffer.Capacity())) return {};
  const std::size_t at = static_cast<std::size_t>(offset - start);
  const std::size_t n = length - at < size ? length - at : size;
  return std::string_view(reinterpret_cast<const char*>(data) + at, n);
}
