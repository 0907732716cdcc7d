// Reads of a ReadOnlyFile at any position through a read-ahead buffer. A read that starts where
// the buffer holds the bytes (the next slot, the rest of a line, a line a little further on) is
// served from memory; any other read refills the buffer with one positioned read from where it
// starts. There is no stream position to keep in step and no seek: every reader of roll bytes
// that goes mostly forward (paging, the given-name scan, dump) reads through one of these.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "platform/file_system.h"
#include "platform/read_buffer.h"

class ReadCursor {
 public:
  explicit ReadCursor(std::size_t bufferSize);
  ReadCursor(const ReadCursor&) = delete;
  ReadCursor& operator=(const ReadCursor&) = delete;

  // Reads `file` from now on (null: nothing), forgetting what the buffer held.
  void Attach(const ReadOnlyFile* source);
  // Forgets what the buffer holds, so that the next read asks the file again.
  void Forget() { length = 0; }

  // Copies up to `size` bytes at `offset` into `out`: how many were there (fewer at the end of
  // the file, 0 for a negative offset, no file or a failed read). A read larger than the buffer
  // goes straight to the file.
  std::size_t Read(std::int64_t offset, void* out, std::size_t size);

  // Up to `size` bytes at `offset` (`size` at most the buffer's capacity), as a view into the
  // buffer that stays valid until the next call: fewer only at the end of the file, empty past
  // it, on a failed read or for a negative offset. For reading many lines without copying them.
  std::string_view View(std::int64_t offset, std::size_t size);

  // For a reader whose reads lie far apart (a roster's rows, anywhere in the roll): when `offset`
  // is not within a buffer's length of what the buffer holds, reads just the `size` bytes there
  // (at most the capacity), since a whole buffer would bring mostly bytes nobody asks for. Near
  // what it holds it does nothing: the reader is going through that part of the file, and the
  // next whole buffer is likely used. Reads that go on past the bytes fetched fill it as usual.
  void Approach(std::int64_t offset, std::size_t size);

  // The bytes the buffer holds from `offset` on, without reading: empty when it holds none there.
  std::string_view Held(std::int64_t offset) const {
    if (offset < start || offset >= start + static_cast<std::int64_t>(length)) return {};
    const auto at = static_cast<std::size_t>(offset - start);
    return {reinterpret_cast<const char*>(data) + at, length - at};
  }

  // The byte at `offset`, or -1 past the end of the file, on a failed read or for a negative
  // offset.
  int ByteAt(std::int64_t offset) {
    if (offset >= start && offset < start + static_cast<std::int64_t>(length)) {
      return data[static_cast<std::size_t>(offset - start)];
    }
    return Fill(offset, buffer.Capacity()) ? data[0] : -1;
  }

 private:
  // Refills the buffer from `offset` with up to `want` bytes (at most the capacity); false when not
  // a byte could be read there.
  bool Fill(std::int64_t offset, std::size_t want);

  const ReadOnlyFile* file = nullptr;
  ReadBuffer buffer;
  const unsigned char* data = nullptr;  // the bytes from `start` on, inside `buffer`
  std::int64_t start = 0;
  std::size_t length = 0;
  bool ended = false;  // the last fill got fewer bytes than it asked for: the file ends there
};
