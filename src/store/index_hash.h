// The hash of a roll's index file: XXH3-128 over every byte of it. Two rolls whose index files
// hash alike list the same surnames over the same runs of slots; what is kept about a roll beside
// it (its companion index, research notes) is bound to its index through this value.
#pragma once

#include <cstdint>
#include <string>

#include "platform/file_system.h"

struct IndexHash {
  std::uint64_t high = 0;
  std::uint64_t low = 0;
  // 32 lower-case hexadecimal digits, the high half first.
  std::string Hex() const;
  friend bool operator==(const IndexHash&, const IndexHash&) = default;
};

// Hashes every byte of the open index file, read in bounded chunks from its start to the size it
// had when it was opened. False when a read fails or the file is shorter than that size.
bool HashIndexFile(const ReadOnlyFile& file, IndexHash* out);
