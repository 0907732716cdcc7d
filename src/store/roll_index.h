// The surname index of a roll database: a disk-resident tree of 152-byte nodes (at most four keys
// and five children each) mapping a normalised surname key to its run of name-file slots.
// Layout in store/roll_format.h.
#pragma once

#include <cstdint>

#include "platform/file_system.h"
#include "store/roll_format.h"

inline constexpr const char* kWrongFileFormat = "wrong file format!";

struct IndexEntry {
  std::int32_t firstSlot = 0;
  std::int32_t slotCount = 0;
  char key[kIndexKeySize] = {};  // always NUL-terminated once decoded
};

struct IndexNode {
  std::int32_t entryCount = 0;
  IndexEntry entries[kMaxNodeEntries];
  std::int32_t children[kMaxNodeEntries + 1] = {-1, -1, -1, -1, -1};

  // Decodes 152 bytes; every key is cut at its 24th byte.
  static IndexNode Decode(const unsigned char* bytes);
  void Encode(unsigned char* bytes) const;
};

class RollIndex {
 public:
  // Opens the index at `path` (exact name, else a case-insensitive match in its directory). A file
  // that does not exist is created holding an empty index; if it cannot be created the index is
  // empty and stays in memory only. A file whose last byte is not 0x04 (an empty file included)
  // shows "wrong file format!" and ends the process with status 1.
  explicit RollIndex(const char* path);
  ~RollIndex();
  RollIndex(const RollIndex&) = delete;
  RollIndex& operator=(const RollIndex&) = delete;

  // Completes a created file (header and end byte) and closes it. An index opened from an
  // existing file is left unchanged. Safe to call twice.
  void Close();

  // Looks `key` up (NUL-terminated, at most 23 characters). On a match stores the entry's first
  // slot and slot count, otherwise -1 and 0. Nodes outside the file, entry counts outside 1..4
  // and descents longer than the file has nodes end the lookup as not found.
  void Lookup(const char* key, std::int32_t* firstSlot, std::int32_t* slotCount);

  // The smallest position i with key <= entries[i].key (byte-wise, unsigned), or `count` when the
  // key sorts after every entry. `count` is 1..4.
  static int FindPosition(const char* key, const IndexEntry* entries, int count);

  // Fetches the node at `offset` into `out` (the root from its cache). Does nothing for -1; a node
  // that cannot be read whole comes back with entryCount 0.
  void LoadNode(std::int32_t offset, IndexNode* out);

  std::int32_t rootOffset = -1;
  std::int32_t secondHeaderWord = -1;
  IndexNode rootCache;

 private:
  char streamBuffer[kStreamBufferSize];  // given to indexFile: no allocation per search
  FileHandle indexFile;
  std::int64_t fileSize = 0;
  bool created = false;
};
