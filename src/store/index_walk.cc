#include "store/index_walk.h"

#include <cstring>
#include <unordered_set>
#include <vector>

#include "platform/read_cursor.h"
#include "store/roll_format.h"

namespace {

constexpr std::size_t kWalkBufferSize = 1 << 20;

// Where the walk gets its bytes: an index file's size and any range of it.
using ReadBytes = std::function<bool(std::int64_t offset, unsigned char* out, std::size_t size)>;

struct Frame {
  std::int64_t offset;
  IndexNode node;
  unsigned char bytes[kIndexNodeSize];  // the keys as stored: a key without its NUL keeps all 24 bytes
  bool terminated[kMaxNodeEntries];
  int step;  // even 2k: descend into child k; odd 2k+1: visit entry k
};

IndexWalkResult Walk(std::int64_t size, const ReadBytes& read, const IndexProblem& problem,
                     const IndexEntryVisit& entry) {
  IndexWalkResult result;
  if (size < kIndexHeaderSize) return result;
  unsigned char header[kIndexHeaderSize];
  if (!read(0, header, sizeof header)) return result;
  auto report = [&](const std::string& text) {
    result.damaged = true;
    problem(text);
  };

  std::unordered_set<std::int64_t> visited;
  std::vector<Frame> stack;
  const std::int64_t nodeLimit = MaxIndexNodes(size);

  auto descend = [&](std::int32_t offset, const std::string& from) {
    if (offset == -1) return;
    const std::string where = "node at " + std::to_string(offset);
    if (!NodeInsideIndex(offset, size)) {
      report(from + ": " + where + " is not a whole node inside the file");
      return;
    }
    if (visited.count(offset) != 0 || static_cast<std::int64_t>(visited.size()) >= nodeLimit) {
      report(from + ": " + where + " is reached twice");
      return;
    }
    if (stack.size() >= static_cast<std::size_t>(kMaxIndexDepth)) {
      report(from + ": " + where + " lies deeper than " + std::to_string(kMaxIndexDepth) + " levels");
      return;
    }
    Frame frame{offset, {}, {}, {}, 0};
    if (!read(offset, frame.bytes, sizeof frame.bytes)) {
      report(where + ": cannot be read");
      return;
    }
    visited.insert(offset);
    ++result.nodes;
    frame.node = IndexNode::Decode(frame.bytes, frame.terminated);
    const std::int32_t count = frame.node.entryCount;
    if (!frame.node.EntryCountUsable()) {
      report(where + ": entry count " + std::to_string(count) + " outside 1..4");
      return;
    }
    for (int i = 1; i < count; ++i) {
      if (StoredNodeKey(frame.bytes, i - 1).compare(StoredNodeKey(frame.bytes, i)) >= 0) {
        report(where + " entry " + std::to_string(i) + ": key is not above the entry before it");
      }
    }
    stack.push_back(frame);
  };

  descend(IndexHeader::Decode(header).rootOffset, "header");
  while (!stack.empty()) {
    Frame& top = stack.back();
    if (top.step > 2 * top.node.entryCount) {
      stack.pop_back();
      continue;
    }
    const int k = top.step / 2;
    const bool isChild = top.step % 2 == 0;
    ++top.step;
    if (isChild) {
      const std::int64_t offset = top.offset;
      descend(top.node.children[k], "node at " + std::to_string(offset) + " child " + std::to_string(k));  // may move `top`
      continue;
    }
    const IndexEntry& e = top.node.entries[k];
    ++result.entries;
    entry({top.offset, k, e.firstSlot, e.slotCount, StoredNodeKey(top.bytes, k), top.terminated[k]});
  }
  return result;
}

}  // namespace

IndexWalkResult WalkIndex(const ReadOnlyFile& file, const IndexProblem& problem, const IndexEntryVisit& entry) {
  ReadCursor cursor(kWalkBufferSize);
  cursor.Attach(&file);
  return Walk(
      file.Size(),
      [&](std::int64_t offset, unsigned char* out, std::size_t size) { return cursor.Read(offset, out, size) == size; },
      problem, entry);
}

IndexWalkResult WalkIndexBytes(std::string_view bytes, const IndexProblem& problem, const IndexEntryVisit& entry) {
  return Walk(
      static_cast<std::int64_t>(bytes.size()),
      [&](std::int64_t offset, unsigned char* out, std::size_t size) {
        if (offset < 0 || offset + static_cast<std::int64_t>(size) > static_cast<std::int64_t>(bytes.size())) return false;
        std::memcpy(out, bytes.data() + offset, size);
        return true;
      },
      problem, entry);
}
