// A bounded walk over a roll's index file, in key order: the one reader of the whole tree, shared
// by the checker, the dump, the key catalogue, the benchmarks and the tests.
//
// Whatever the bytes, it ends and its memory stays bounded: child offsets are never trusted (a
// node must lie wholly inside the file and is visited at most once), the tree may be at most
// kMaxIndexDepth levels deep, and the file is read through one read-ahead buffer, a large read at
// a time, never as a whole.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/file_system.h"

inline constexpr int kMaxIndexDepth = 4096;

struct WalkedEntry {
  std::int64_t nodeOffset;
  int position;              // within its node
  std::int32_t firstSlot;
  std::int32_t slotCount;
  std::string_view key;      // up to its NUL (all 24 bytes when there is none); valid in the call
  bool keyTerminated;        // a NUL within the 24 bytes
};

struct IndexWalkResult {
  std::int64_t nodes = 0;
  std::int64_t entries = 0;
  bool damaged = false;      // some problem was reported
};

using IndexProblem = std::function<void(const std::string& text)>;
using IndexEntryVisit = std::function<void(const WalkedEntry& entry)>;

// Walks the index in `file` from the root its header names: `problem(text)` gets each fault in
// the tree's structure (a node outside the file or reached twice, an entry count outside 1..4,
// keys out of order within a node, a tree too deep), and such a node is not descended into;
// `entry(e)` gets each entry in key order. The end byte is the caller's to check; a file shorter
// than the header has no tree.
IndexWalkResult WalkIndex(const ReadOnlyFile& file, const IndexProblem& problem, const IndexEntryVisit& entry);

// The same over the bytes of an index file held in memory.
IndexWalkResult WalkIndexBytes(std::string_view bytes, const IndexProblem& problem, const IndexEntryVisit& entry);
