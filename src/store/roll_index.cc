#include "store/roll_index.h"

#include <cstdlib>
#include <cstring>

#include "platform/byte_order.h"
#include "platform/message_box.h"

namespace {

int CompareKeys(const char* a, const char* b) {
  return std::strcmp(a, b);  // strcmp compares as unsigned char
}

}  // namespace

IndexNode IndexNode::Decode(const unsigned char* bytes) {
  IndexNode node;
  node.entryCount = DecodeFixed32(bytes);
  for (int i = 0; i < kMaxNodeEntries; ++i) {
    const unsigned char* e = bytes + 4 + i * kIndexEntrySize;
    node.entries[i].firstSlot = DecodeFixed32(e);
    node.entries[i].slotCount = DecodeFixed32(e + 4);
    std::memcpy(node.entries[i].key, e + 8, kIndexKeySize);
    node.entries[i].key[kIndexKeySize - 1] = '\0';
  }
  for (int i = 0; i <= kMaxNodeEntries; ++i) {
    node.children[i] = DecodeFixed32(bytes + 4 + kMaxNodeEntries * kIndexEntrySize + i * 4);
  }
  return node;
}

void IndexNode::Encode(unsigned char* bytes) const {
  std::memset(bytes, 0, kIndexNodeSize);
  EncodeFixed32(bytes, entryCount);
  for (int i = 0; i < kMaxNodeEntries; ++i) {
    unsigned char* e = bytes + 4 + i * kIndexEntrySize;
    EncodeFixed32(e, entries[i].firstSlot);
    EncodeFixed32(e + 4, entries[i].slotCount);
    std::memcpy(e + 8, entries[i].key, kIndexKeySize);
  }
  for (int i = 0; i <= kMaxNodeEntries; ++i) {
    EncodeFixed32(bytes + 4 + kMaxNodeEntries * kIndexEntrySize + i * 4, children[i]);
  }
}

RollIndex::RollIndex(const char* path) {
  // Opening for reading is the existence test: a file that opens is the index.
  indexFile = OpenDataFile(path, "rb");
  if (!indexFile) {
    indexFile = OpenFile(path, "w+b");
    rootOffset = -1;
    secondHeaderWord = -1;
    if (indexFile) {
      std::setvbuf(indexFile.get(), streamBuffer, _IOFBF, sizeof streamBuffer);
      created = true;
      unsigned char header[kIndexHeaderSize];
      EncodeFixed32(header, rootOffset);
      EncodeFixed32(header + 4, secondHeaderWord);
      std::fwrite(header, 1, sizeof header, indexFile.get());
    }
    return;
  }

  std::setvbuf(indexFile.get(), streamBuffer, _IOFBF, sizeof streamBuffer);
  fileSize = FileSize(indexFile.get());
  unsigned char last = 0;
  bool wellFormed = fileSize >= 1 && ReadAt(indexFile.get(), fileSize - 1, &last, 1) == 1 && last == kIndexEndByte;
  unsigned char header[kIndexHeaderSize] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  if (wellFormed) {
    // A file too short for its header is an empty index: every lookup misses.
    if (ReadAt(indexFile.get(), 0, header, sizeof header) != static_cast<std::int64_t>(sizeof header)) {
      std::memset(header, 0xFF, sizeof header);
    }
  }
  if (!wellFormed) {
    ShowMessageBox(kWrongFileFormat, kMbOk);
    std::exit(1);
  }
  rootOffset = DecodeFixed32(header);
  secondHeaderWord = DecodeFixed32(header + 4);
  rootCache.entryCount = 0;
  LoadNode(rootOffset, &rootCache);
}

RollIndex::~RollIndex() { Close(); }

void RollIndex::Close() {
  if (!indexFile) return;
  if (created) {
    unsigned char header[kIndexHeaderSize];
    EncodeFixed32(header, rootOffset);
    EncodeFixed32(header + 4, secondHeaderWord);
    SeekTo(indexFile.get(), 0);
    std::fwrite(header, 1, sizeof header, indexFile.get());
    const std::int64_t size = StreamSize(indexFile.get());
    unsigned char last = 0;
    const bool hasEnd = size >= 1 && SeekTo(indexFile.get(), size - 1) &&
                        std::fread(&last, 1, 1, indexFile.get()) == 1 && last == kIndexEndByte;
    if (!hasEnd) {
      std::fseek(indexFile.get(), 0, SEEK_END);
      std::fputc(kIndexEndByte, indexFile.get());
    }
  }
  indexFile.reset();
}

int RollIndex::FindPosition(const char* key, const IndexEntry* entries, int count) {
  if (CompareKeys(key, entries[0].key) <= 0) return 0;
  if (CompareKeys(key, entries[count - 1].key) > 0) return count;
  int lo = 0;
  int hi = count - 1;
  while (hi - lo > 1) {
    const int mid = (lo + hi) / 2;
    if (CompareKeys(key, entries[mid].key) > 0) {
      lo = mid;
    } else {
      hi = mid;
    }
  }
  return hi;
}

void RollIndex::LoadNode(std::int32_t offset, IndexNode* out) {
  if (offset == -1) return;
  if (offset == rootOffset && rootCache.entryCount > 0 && out != &rootCache) {
    *out = rootCache;
    return;
  }
  out->entryCount = 0;
  // A node must lie wholly between the header and the end byte.
  if (!indexFile || offset < kIndexHeaderSize ||
      static_cast<std::int64_t>(offset) + kIndexNodeSize > fileSize - 1) {
    return;
  }
  unsigned char bytes[kIndexNodeSize];
  // The file is only read once it has a size (a created index has none), so no buffered write
  // can hide from this unbuffered read.
  if (ReadAt(indexFile.get(), offset, bytes, sizeof bytes) != static_cast<std::int64_t>(sizeof bytes)) {
    return;
  }
  *out = IndexNode::Decode(bytes);
}

void RollIndex::Lookup(const char* key, std::int32_t* firstSlot, std::int32_t* slotCount) {
  *firstSlot = -1;
  *slotCount = 0;
  // A descent visits each level once, so it can never be longer than the file has nodes; a longer
  // one has met a cycle.
  const std::int64_t maxNodes = fileSize > kIndexHeaderSize ? (fileSize - kIndexHeaderSize) / kIndexNodeSize + 1 : 1;
  std::int32_t offset = rootOffset;
  for (std::int64_t steps = 0; offset != -1 && steps < maxNodes; ++steps) {
    IndexNode node;
    LoadNode(offset, &node);
    if (node.entryCount < 1 || node.entryCount > kMaxNodeEntries) return;
    const int i = FindPosition(key, node.entries, node.entryCount);
    if (i < node.entryCount && CompareKeys(key, node.entries[i].key) == 0) {
      *firstSlot = node.entries[i].firstSlot;
      *slotCount = node.entries[i].slotCount;
      return;
    }
    offset = node.children[i];
  }
}
