#include "store/roll_index.h"

#include <cstring>

#include "platform/data_file.h"

RollIndex::RollIndex(const char* indexPath, MissingIndex missing) : path(ResolveDataFile(indexPath)) {
  OpenStatus how = OpenStatus::kOk;
  const RollStatus opened = OpenRollFileAs(path, RollProblem::kIndexUnreadable, &indexFile, &how);
  const bool nothingThere = how == OpenStatus::kMissing;
  // Nothing can be made inside a disk image: an index missing there is as unusable as one that
  // cannot be read.
  if (nothingThere && missing == MissingIndex::kCreate && !DataFileInImage(path)) {
    path = indexPath;
    // A missing index is made: the empty tree, its header and its end byte.
    CreateNewFile(indexPath, EmptyIndexBytes());
    return;
  }
  if (nothingThere && missing == MissingIndex::kRefuse) {
    status = {RollProblem::kIndexMissing, indexPath, "missing"};
    return;
  }
  if (!opened.Ok()) {
    status = opened;
    // Something that is not a file stands in its place: not an index (the unreadable message
    // names the file it was looked for as).
    if (how == OpenStatus::kNotRegular) {
      status.problem = RollProblem::kIndexFormat;
    } else {
      // The message has always named the file as it was asked for.
      if (status.whole.empty() && path != indexPath) status.whole = status.Text();
      status.file = indexPath;
    }
    return;
  }

  fileSize = indexFile.Size();
  unsigned char last = 0;
  if (fileSize < 1 || indexFile.ReadAt(fileSize - 1, &last, 1) != 1 || last != kIndexEndByte) {
    status = {RollProblem::kIndexFormat, path, "not an index file (its last byte is not 04)"};
    indexFile.Close();
    return;
  }
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
