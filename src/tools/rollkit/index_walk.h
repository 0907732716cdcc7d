// A bounded walk over an index file held in memory, in key order: the reader that check and dump
// share. Whatever the bytes, it ends: every node offset is visited at most once, and a node that
// is outside the file, reached twice or malformed is reported and not descended into.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct WalkedEntry {
  std::int64_t nodeOffset;
  int position;              // within its node
  std::int32_t firstSlot;
  std::int32_t slotCount;
  std::string_view key;      // up to its NUL (all 24 bytes when there is none)
  bool keyTerminated;        // a NUL within the 24 bytes
};

struct IndexWalkResult {
  std::int64_t nodes = 0;
  std::int64_t entries = 0;
};

// `problem(text)` gets each fault in the tree's structure (keys out of order within a node
// included); `entry(e)` each entry in key order.
// Header and end byte are the caller's to check; a file shorter than the header has no tree.
IndexWalkResult WalkIndex(const std::vector<unsigned char>& file,
                          const std::function<void(const std::string&)>& problem,
                          const std::function<void(const WalkedEntry&)>& entry);

// Reads a whole file; false with *error on failure.
bool ReadWholeFile(const std::string& path, std::vector<unsigned char>* bytes, std::string* error);
