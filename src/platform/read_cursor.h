// Reads of a ReadOnlyFile at any position through a read-ahead buffer. A read that starts where
// the buffer holds the bytes (the next slot, the rest of a line, a line a little further on) is
// served from memory; any other read refills the buffer with one positioned read from where it
// starts. There is no stream position to keep in step and no seek: every reader of roll bytes
// that goes mostly forward (paging, the given-name scan, dump) reads through one of these.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>

#include "platform/file_system.h"

class ReadCursor {
 public:
  explicit ReadCursor(std::size_t capacity);
  ReadCursor(const ReadCursor&) = delete;
  ReadCursor& operator=(const ReadCursor&) = delete;

  // Reads `file` from now on (null: nothing), forgetting what the buffer held.
  void Attach(const ReadOnlyFile* file);
  // Forgets what the buffer holds, so that the next read asks the file again.
  void Forget() { length_ = 0; }

  // Copies up to `size` bytes at `offset` into `out`: how many were there (fewer at the end of
  // the file, 0 for a negative offset, no file or a failed read). A read larger than the buffer
  // goes straight to the file.
  std::size_t Read(std::int64_t offset, void* out, std::size_t size);

  // The byte at `offset`, or -1 past the end of the file, on a failed read or for a negative
  // offset.
  int ByteAt(std::int64_t offset) {
    if (offset >= start_ && offset < start_ + static_cast<std::int64_t>(length_)) {
      return buffer_[static_cast<std::size_t>(offset - start_)];
    }
    return Fill(offset) ? buffer_[0] : -1;
  }

 private:
  // Refills the buffer from `offset`; false when not a byte could be read there.
  bool Fill(std::int64_t offset);

  const ReadOnlyFile* file_ = nullptr;
  std::unique_ptr<unsigned char[]> buffer_;
  std::size_t capacity_;
  std::int64_t start_ = 0;
  std::size_t length_ = 0;
};
