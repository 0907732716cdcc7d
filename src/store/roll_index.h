// The surname index of a roll database: a disk-resident tree of 152-byte nodes (at most four keys
// and five children each) mapping a normalised surname key to its run of name-file slots.
// Layout and codec in store/roll_format.h.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "platform/file_system.h"
#include "store/roll_format.h"
#include "store/roll_status.h"

// What opening an index does when no file stands at its path.
enum class MissingIndex {
  kCreate,  // a file holding the empty index is made, as the program has always done
  kRefuse,  // nothing is made: the index is missing (for tools that change no file of a roll)
};

class RollIndex {
 public:
  // Opens the index at `path` (exact name, else a case-insensitive match in its directory, or the
  // file of that name inside a disk image). Status() then says whether it can be used:
  // - Nothing there: with kCreate a file holding an empty index is created at `path` (never over
  //   anything, never through a link), and if it cannot be created the index is empty and in
  //   memory only; with kRefuse the index is not usable (kIndexMissing) and nothing is created.
  // - Something there that is not a regular file (a directory, FIFO, device...), or a regular
  //   file whose last byte is not 0x04 (an empty file included): kIndexFormat.
  // - A regular file that cannot be opened for reading, or an index missing from a data disk
  //   kept as an image file (platform/data_file.h), where nothing can be created:
  //   kIndexUnreadable; nothing is created.
  explicit RollIndex(const char* indexPath, MissingIndex missing = MissingIndex::kCreate);
  ~RollIndex();
  RollIndex(const RollIndex&) = delete;
  RollIndex& operator=(const RollIndex&) = delete;

  // Closes the file. Safe to call twice.
  void Close();
  // False when the index cannot be used; Status() says why.
  bool Usable() const { return status.Ok(); }
  const RollStatus& Status() const { return status; }

  // Looks `key` up (NUL-terminated, at most 23 characters). On a match stores the entry's first
  // slot and slot count, otherwise -1 and 0. Nodes outside the file, entry counts outside 1..4
  // and descents longer than the file has nodes end the lookup as not found.
  void Lookup(const char* key, std::int32_t* firstSlot, std::int32_t* slotCount);

  // The smallest position i with key <= entries[i].key (byte-wise, unsigned), or `count` when the
  // key sorts after every entry. `count` is 1..4.
  static int FindPosition(const char* key, const IndexEntry* entries, int count);

  // Fetches the node at `offset` into `out` (the root from its cache). Does nothing for -1; a node
  // that cannot be read whole comes back with entryCount 0. Nodes read once are kept (up to
  // kNodeCacheLimit of them) for as long as the index is open: the file does not change under an
  // open index, or the database would have opened it afresh.
  void LoadNode(std::int32_t offset, IndexNode* out);
  static constexpr std::size_t kNodeCacheLimit = 1 << 16;

  std::int32_t RootOffset() const { return rootOffset; }
  std::int32_t SecondHeaderWord() const { return secondHeaderWord; }
  const IndexNode& RootCache() const { return rootCache; }
  // The open index file (not open when the index was created or is not usable).
  const ReadOnlyFile& File() const { return indexFile; }
  // The path the index was opened (or created) under.
  const std::string& Path() const { return path; }

 private:
  std::int32_t rootOffset = -1;
  std::int32_t secondHeaderWord = -1;
  IndexNode rootCache;
  ReadOnlyFile indexFile;
  std::int64_t fileSize = 0;
  RollStatus status;
  std::string path;
  std::unordered_map<std::int32_t, IndexNode> nodeCache;
};
