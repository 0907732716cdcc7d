#include "store/roll_writer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <numeric>

#include "platform/file_system.h"
#include "platform/places.h"
#include "store/roll_format.h"

namespace {

constexpr std::size_t kStreamBuffer = 1 << 20;

// A NUL ends the key and the slot's name text; every other byte may stand in them.
bool HoldsNul(std::string_view s) { return s.find('\0') != std::string_view::npos; }

// Byte-wise comparison of upper-cased texts, as unsigned bytes.
int CompareUpper(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const auto x = static_cast<unsigned char>(UpperAscii(a[i]));
    const auto y = static_cast<unsigned char>(UpperAscii(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

struct KeyRun {
  std::string_view key;
  std::int32_t firstSlot;
  std::int32_t slotCount;
};

// Lays out a balanced tree over keys[lo, hi) in pre-order; returns the subtree's root offset.
std::int32_t BuildTree(const std::vector<KeyRun>& keys, std::size_t lo, std::size_t hi,
                       std::vector<IndexNode>* nodes) {
  if (lo >= hi) return -1;
  const std::size_t at = nodes->size();
  nodes->emplace_back();
  const std::size_t n = hi - lo;
  IndexNode node;
  if (n <= kMaxNodeEntries) {
    node.entryCount = static_cast<std::int32_t>(n);
    for (std::size_t i = 0; i < n; ++i) {
      const KeyRun& k = keys[lo + i];
      node.entries[i].firstSlot = k.firstSlot;
      node.entries[i].slotCount = k.slotCount;
      std::memcpy(node.entries[i].key, k.key.data(), k.key.size());
    }
  } else {
    // Four separators split the other keys into five children as evenly as possible.
    const std::size_t rest = n - kMaxNodeEntries;
    node.entryCount = kMaxNodeEntries;
    std::size_t start = lo;
    for (int c = 0; c <= kMaxNodeEntries; ++c) {
      const std::size_t size = rest / 5 + (static_cast<std::size_t>(c) < rest % 5 ? 1 : 0);
      node.children[c] = BuildTree(keys, start, start + size, nodes);
      start += size;
      if (c < kMaxNodeEntries) {
        const KeyRun& k = keys[start];
        node.entries[c].firstSlot = k.firstSlot;
        node.entries[c].slotCount = k.slotCount;
        std::memcpy(node.entries[c].key, k.key.data(), k.key.size());
        ++start;
      }
    }
  }
  (*nodes)[at] = node;
  return static_cast<std::int32_t>(kIndexHeaderSize + at * kIndexNodeSize);
}

class OutputFile {
 public:
  bool Open(const std::string& where) {
    path = where;
    file = OpenFile(path.c_str(), "wb");
    if (file) std::setvbuf(file.get(), nullptr, _IOFBF, kStreamBuffer);
    return file != nullptr;
  }
  bool Write(const void* data, std::size_t n) { return std::fwrite(data, 1, n, file.get()) == n; }
  bool Finish() { return std::fclose(file.release()) == 0; }
  const std::string& Path() const { return path; }

 private:
  std::string path;
  FileHandle file;
};

}  // namespace

RollWriter::RollWriter(int slotNameLength) : nameLength(slotNameLength) {}

std::string RollWriter::KeyOf(std::string_view surname) { return ::KeyOf(surname); }

bool RollWriter::Add(std::string_view surname, std::string_view nameText,
                     const std::vector<std::string_view>& fields, std::string* error) {
  if (surname.empty()) return *error = "empty surname", false;
  if (HoldsNul(surname)) return *error = "surname holds a NUL byte", false;
  const std::string key = KeyOf(surname);
  if (key.empty()) return *error = "surname key longer than 23 characters", false;
  if (HoldsNul(nameText)) return *error = "name text holds a NUL byte", false;
  const std::size_t nameLimit = nameLength > 0 ? static_cast<std::size_t>(nameLength - 1) : kRowNameSize - 1;
  if (nameText.size() > nameLimit) {
    return *error = "name text longer than " + std::to_string(nameLimit) + " bytes", false;
  }
  std::size_t lineLength = 1;
  for (std::string_view f : fields) {
    if (!FieldTextStorable(f)) return *error = "field holds 0xFF or a line feed", false;
    lineLength += f.size() + 1;
  }
  if (lineLength > kLineBufferSize - 1) {
    return *error = "entry line longer than " + std::to_string(kLineBufferSize - 1) + " bytes", false;
  }

  Entry e;
  e.offset = arena.size();
  e.sequence = static_cast<std::uint32_t>(entries.size());
  e.keyLength = static_cast<std::uint8_t>(key.size());
  e.nameLength = static_cast<std::uint8_t>(nameText.size());
  e.lineLength = static_cast<std::uint16_t>(lineLength);
  arena += key;
  arena += nameText;
  arena += JoinFields(fields);
  entries.push_back(e);
  longestName = std::max(longestName, static_cast<int>(nameText.size()));
  return true;
}

bool RollWriter::Write(const std::string& directory, std::string* error) {
  const int slotNameLength = nameLength > 0 ? nameLength : longestName + 1;
  if (slotNameLength > kMaxNameLength) return *error = "name length above 255", false;

  std::vector<std::uint32_t> order(entries.size());
  std::iota(order.begin(), order.end(), 0u);
  std::sort(order.begin(), order.end(), [this](std::uint32_t a, std::uint32_t b) {
    const Entry& x = entries[a];
    const Entry& y = entries[b];
    if (int c = Key(x).compare(Key(y)); c != 0) return c < 0;
    if (int c = CompareUpper(Name(x), Name(y)); c != 0) return c < 0;
    return x.sequence < y.sequence;
  });

  const std::string dir = JoinPath(directory, "");  // with the separator it may lack
  const char* names[] = {kLineFileName, kNameFileName, kIndexFileName, kMarkerFileName};
  OutputFile files[4];
  for (int i = 0; i < 4; ++i) {
    if (!files[i].Open(dir + "." + names[i] + ".tmp")) {
      for (int j = 0; j < i; ++j) RemoveFile(files[j].Path().c_str());
      return *error = dir + names[i] + ": cannot be written", false;
    }
  }
  auto fail = [&](int i) {
    for (OutputFile& f : files) RemoveFile(f.Path().c_str());
    *error = dir + names[i] + ": write failed";
    return false;
  };

  // Lines and slots, in slot order; the runs of equal keys become the index's entries.
  std::vector<KeyRun> runs;
  std::vector<unsigned char> slot(static_cast<std::size_t>(slotNameLength) + kSlotHeaderSize);
  std::int64_t lineOffset = 0;
  for (std::size_t s = 0; s < order.size(); ++s) {
    const Entry& e = entries[order[s]];
    if (lineOffset + e.lineLength > INT32_MAX) {
      for (OutputFile& f : files) RemoveFile(f.Path().c_str());
      return *error = dir + "mroll.ext: larger than 2 GiB", false;
    }
    const std::string_view line = Line(e);
    if (!files[0].Write(line.data(), line.size())) return fail(0);
    EncodeSlot(slot.data(), slotNameLength, static_cast<std::int32_t>(lineOffset), Name(e));
    if (!files[1].Write(slot.data(), slot.size())) return fail(1);
    lineOffset += static_cast<std::int64_t>(line.size());
    if (runs.empty() || runs.back().key != Key(e)) {
      runs.push_back({Key(e), static_cast<std::int32_t>(s), 0});
    }
    ++runs.back().slotCount;
  }
  unsigned char trailer[kNameTrailerSize];
  EncodeTrailer(trailer, slotNameLength);
  if (!files[1].Write(trailer, sizeof trailer)) return fail(1);

  std::vector<IndexNode> nodes;
  nodes.reserve(runs.size() / 3 + 1);
  const std::int32_t root = BuildTree(runs, 0, runs.size(), &nodes);
  unsigned char header[kIndexHeaderSize];
  IndexHeader{root, -1}.Encode(header);
  if (!files[2].Write(header, sizeof header)) return fail(2);
  unsigned char bytes[kIndexNodeSize];
  for (const IndexNode& node : nodes) {
    node.Encode(bytes);
    if (!files[2].Write(bytes, sizeof bytes)) return fail(2);
  }
  if (!files[2].Write(&kIndexEndByte, 1)) return fail(2);

  for (int i = 0; i < 4; ++i) {
    if (!files[i].Finish()) return fail(i);
  }
  for (int i = 0; i < 4; ++i) {
    if (!RenameReplacing(files[i].Path().c_str(), (dir + names[i]).c_str())) return fail(i);
  }
  return true;
}
