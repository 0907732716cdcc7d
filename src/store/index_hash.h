// A fingerprint of a roll's index file: XXH3-128 over every byte of the file. Two copies of one
// roll (on the disk, in an image of it, on another drive) have the same index bytes and so the
// same hash, whatever their paths; another roll, or the same roll changed, has another.
#pragma once

#include <cstdint>
#include <string>

#include "platform/file_system.h"

struct IndexHash {
  std::uint64_t high = 0;
  std::uint64_t low = 0;

  // 32 lower-case hex digits, the high half first (XXH128's canonical order).
  std::string Hex() const;

  friend bool operator==(const IndexHash&, const IndexHash&) = default;
};

// Hashes the whole of the open `file` (a file of its own or a window onto a disk image), read in
// bounded chunks with positioned reads. False when a read fails or the file ends before the size
// it was opened with; *out is then unchanged.
bool HashIndexFile(const ReadOnlyFile& file, IndexHash* out);
