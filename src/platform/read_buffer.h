// Memory for large reads from files, placed so that the system's copy into it runs at full speed.
//
// A read from the page cache ends in the kernel's string move from the cached page into user
// memory. On some processors (measured on this project's AMD EPYC machines) that move runs four
// to eight times slower when the destination lies 1 to 31 bytes past the source modulo the 4 KB
// page: each load then waits on the store just made at the same page offset. malloc gives a large
// block 16 bytes into a page, and a read from a page boundary of the file lands exactly there: a
// 9.8 MB index file hashed through a 256 KB chunk took 5 ms instead of 1. A ReadBuffer starts on
// a 64-byte line, and At(offset) is the place in it whose distance from `offset` is a whole number
// of lines, so no read through it falls in that window, wherever in the file it starts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

class ReadBuffer {
 public:
  // Room for a read of up to `capacity` bytes from any offset.
  explicit ReadBuffer(std::size_t capacity)
      : bytes(static_cast<unsigned char*>(::operator new(capacity + kLine, std::align_val_t(kLine)))),
        room(capacity) {}

  std::size_t Capacity() const { return room; }
  // Where a read of up to Capacity() bytes from file offset `offset` goes.
  unsigned char* At(std::int64_t offset) const {
    return bytes.get() + static_cast<std::size_t>(static_cast<std::uint64_t>(offset) % kLine);
  }

 private:
  static constexpr std::size_t kLine = 64;
  struct Free {
    void operator()(unsigned char* p) const noexcept { ::operator delete(p, std::align_val_t(kLine)); }
  };
  std::unique_ptr<unsigned char, Free> bytes;
  std::size_t room;
};
