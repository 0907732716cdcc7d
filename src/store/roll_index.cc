#include "store/roll_index.h"

#include <cstdlib>
#include <cstring>

#include "platform/data_file.h"
#include "platform/message_box.h"

namespace {

[[noreturn]] void WrongFileFormat() {
  ShowMessageBox(kWrongFileFormat, kMbOk);
  std::exit(1);
}

}  // namespace

RollIndex::RollIndex(const char* indexPath) : path(ResolveDataFile(indexPath)) {
  FileKind kind = FileKind::kMissing;
  const OpenStatus status = OpenDataFile(path, &indexFile, &kind);
  // Nothing can be made inside a disk image: an index missing there is as unusable as one that
  // cannot be read.
  if (status == OpenStatus::kMissing && !DataFileInImage(path)) {
    path = indexPath;
    // A missing index is made: the empty tree, its header and its end byte.
    CreateNewFile(indexPath, EmptyIndexBytes());
    return;
  }
  if (status == OpenStatus::kNotRegular) WrongFileFormat();
  if (status == OpenStatus::kUnreadable || status == OpenStatus::kMissing) {
    ShowMessageBox(FormatMessage(kIndexUnreadableMessage, indexPath).c_str(), kMbOk | kMbIconExclamation);
    usable = false;
    return;
  }

  fileSize = indexFile.Size();
  unsigned char last = 0;
  if (fileSize < 1 || indexFile.ReadAt(fileSize - 1, &last, 1) != 1 || last != kIndexEndByte) WrongFileFormat();
  // A file too short for its header is an empty index: every lookup misses.
  unsigned char header[kIndexHeaderSize];
  IndexHeader decoded;
  if (indexFile.ReadAt(0, header, sizeof header) == static_cast<std::int64_t>(sizeof header)) {
    decoded = IndexHeader::Decode(header);
  }
  rootOffset = decoded.rootOffset;
  secondHeaderWord = decoded.secondHeaderWord;
  rootCache.entryCount = 0;
  LoadNode(rootOffset, &rootCache);
}

RollIndex::~RollIndex() { Close(); }

void RollIndex::Close() { indexFile.Close(); }

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
  if (!indexFile.IsOpen() || !NodeInsideIndex(offset, fileSize)) return;
  if (const auto cached = nodeCache.find(offset); cached != nodeCache.end()) {
    *out = cached->second;
    return;
  }
  unsigned char bytes[kIndexNodeSize];
  if (indexFile.ReadAt(offset, bytes, sizeof bytes) != static_cast<std::int64_t>(sizeof bytes)) return;
  *out = IndexNode::Decode(bytes);
  if (nodeCache.size() < kNodeCacheLimit) nodeCache.emplace(offset, *out);
}

void RollIndex::Lookup(const char* key, std::int32_t* firstSlot, std::int32_t* slotCount) {
  *firstSlot = -1;
  *slotCount = 0;
  // A descent visits each level once, so it can never be longer than the file has nodes; a longer
  // one has met a cycle.
  const std::int64_t maxNodes = MaxIndexNodes(fileSize);
  std::int32_t offset = rootOffset;
  for (std::int64_t steps = 0; offset != -1 && steps < maxNodes; ++steps) {
    IndexNode node;
    LoadNode(offset, &node);
    if (!node.EntryCountUsable()) return;
    const int i = FindPosition(key, node.entries, node.entryCount);
    if (i < node.entryCount && CompareKeys(key, node.entries[i].key) == 0) {
      *firstSlot = node.entries[i].firstSlot;
      *slotCount = node.entries[i].slotCount;
      return;
    }
    offset = node.children[i];
  }
}
