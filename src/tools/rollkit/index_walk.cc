#include "tools/rollkit/index_walk.h"

#include <cerrno>
#include <cstring>

#include "platform/byte_order.h"
#include "platform/file_system.h"
#include "store/roll_format.h"

namespace {

constexpr int kEntriesOffset = 4;
constexpr int kChildrenOffset = 4 + kMaxNodeEntries * kIndexEntrySize;
static_assert(kChildrenOffset + (kMaxNodeEntries + 1) * 4 == kIndexNodeSize);

struct Frame {
  std::int64_t offset;
  int count;
  int step;  // even 2k: descend into child k; odd 2k+1: visit entry k
};

std::string_view KeyAt(const std::vector<unsigned char>& file, std::int64_t node, int i) {
  const char* key = reinterpret_cast<const char*>(&file[node + kEntriesOffset + i * kIndexEntrySize + 8]);
  return std::string_view(key, strnlen(key, kIndexKeySize));
}

}  // namespace

IndexWalkResult WalkIndex(const std::vector<unsigned char>& file,
                          const std::function<void(const std::string&)>& problem,
                          const std::function<void(const WalkedEntry&)>& entry) {
  IndexWalkResult result;
  const auto size = static_cast<std::int64_t>(file.size());
  if (size < kIndexHeaderSize) return result;
  // Nodes lie between the header and the end byte.
  const std::int64_t nodeLimit = size - 1;
  std::vector<bool> visited(static_cast<std::size_t>(size), false);
  std::vector<Frame> stack;

  auto descend = [&](std::int32_t offset, const std::string& from) {
    if (offset == -1) return;
    const std::string where = "node at " + std::to_string(offset);
    if (offset < kIndexHeaderSize || offset + static_cast<std::int64_t>(kIndexNodeSize) > nodeLimit) {
      problem(from + ": " + where + " is not a whole node inside the file");
      return;
    }
    if (visited[offset]) {
      problem(from + ": " + where + " is reached twice");
      return;
    }
    visited[offset] = true;
    ++result.nodes;
    const std::int32_t count = DecodeFixed32(&file[offset]);
    if (count < 1 || count > kMaxNodeEntries) {
      problem(where + ": entry count " + std::to_string(count) + " outside 1..4");
      return;
    }
    for (int i = 1; i < count; ++i) {
      if (KeyAt(file, offset, i - 1).compare(KeyAt(file, offset, i)) >= 0) {
        problem(where + " entry " + std::to_string(i) + ": key is not above the entry before it");
      }
    }
    stack.push_back({offset, count, 0});
  };

  descend(DecodeFixed32(file.data()), "header");
  while (!stack.empty()) {
    Frame& top = stack.back();
    if (top.step > 2 * top.count) {
      stack.pop_back();
      continue;
    }
    const std::int64_t offset = top.offset;
    const int k = top.step / 2;
    const bool isChild = top.step % 2 == 0;
    ++top.step;  // `top` may dangle after descend pushes
    if (isChild) {
      descend(DecodeFixed32(&file[offset + kChildrenOffset + 4 * k]),
              "node at " + std::to_string(offset) + " child " + std::to_string(k));
      continue;
    }
    const unsigned char* bytes = &file[offset + kEntriesOffset + k * kIndexEntrySize];
    const std::string_view key = KeyAt(file, offset, k);
    ++result.entries;
    entry({offset, k, DecodeFixed32(bytes), DecodeFixed32(bytes + 4), key,
           key.size() < static_cast<std::size_t>(kIndexKeySize)});
  }
  return result;
}

bool ReadWholeFile(const std::string& path, std::vector<unsigned char>* bytes, std::string* error) {
  FileHandle f(std::fopen(path.c_str(), "rb"));
  const std::int64_t size = f ? StreamSize(f.get()) : -1;
  if (size < 0 || !SeekTo(f.get(), 0)) {
    *error = path + ": cannot read: " + std::strerror(errno);
    return false;
  }
  bytes->resize(static_cast<std::size_t>(size));
  if (size > 0 && std::fread(bytes->data(), 1, bytes->size(), f.get()) != bytes->size()) {
    *error = path + ": read error";
    return false;
  }
  return true;
}
