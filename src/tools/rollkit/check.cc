#include "tools/rollkit/check.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/file_system.h"
#include "platform/read_buffer.h"
#include "store/index_walk.h"
#include "store/roll_format.h"
#include "tools/rollkit/terminal_text.h"

namespace {

constexpr std::size_t kChunkSize = 1 << 20;

// Where the line feeds of the line file are, one bit per byte: lets every slot's line be checked
// without reading the line file more than once, in whatever order the slots point into it.
class LineFeedMap {
 public:
  bool Load(const ReadOnlyFile& f) {
    const std::int64_t size = f.Size();
    mapSize = size;
    bits.assign(static_cast<std::size_t>((size + 63) / 64), 0);
    const ReadBuffer chunk(kChunkSize);
    std::int64_t position = 0;
    std::int64_t got;
    while (position < size && (got = f.ReadAt(position, chunk.At(position), kChunkSize)) > 0) {
      const unsigned char* bytes = chunk.At(position);
      for (std::int64_t i = 0; i < got && position + i < size; ++i) {
        if (bytes[i] == kLineFeed) {
          const std::int64_t at = position + static_cast<std::int64_t>(i);
          bits[at >> 6] |= std::uint64_t{1} << (at & 63);
        }
      }
      position += got;
    }
    return position >= size;
  }

  // Whether a line feed stands in [from, from + length), within the file.
  bool LineFeedWithin(std::int64_t from, std::int64_t length) const {
    std::int64_t end = from + length;
    if (end > mapSize) end = mapSize;
    for (std::int64_t at = from; at < end;) {
      const std::uint64_t word = bits[at >> 6] >> (at & 63);
      if (word != 0) return at + __builtin_ctzll(word) < end;
      at = (at | 63) + 1;
    }
    return false;
  }

 private:
  std::int64_t mapSize = 0;
  std::vector<std::uint64_t> bits;
};

std::string Quoted(std::string_view key) { return "\"" + VisibleText(key) + "\""; }

class Checker {
 public:
  Checker(const RollFiles& files, const std::function<void(const std::string&)>& report)
      : rollFiles(files), reportLine(report) {}

  CheckSummary Run() {
    ReadOnlyFile marker;  // only its presence counts, but it must be a file that can be opened
    Open(rollFiles.marker, kMarkerFileName, &marker);
    const bool linesRead = LoadLineFile();
    const bool namesRead = CheckNameFile(linesRead);
    CheckIndexFile(namesRead);
    return summary;
  }

 private:
  void Problem(const std::string& text) {
    ++summary.problems;
    reportLine(text);
  }

  bool Open(const std::string& path, const char* name, ReadOnlyFile* file) {
    if (path.empty()) {
      Problem(ExpectedPath(rollFiles, name) + ": missing");
      return false;
    }
    std::string error;
    if (OpenRollFile(path, file, &error)) return true;
    Problem(error);
    return false;
  }

  bool LoadLineFile() {
    ReadOnlyFile f;
    if (!Open(rollFiles.lineFile, kLineFileName, &f)) return false;
    lineSize = f.Size();
    if (lineSize < 0 || !lineFeeds.Load(f)) {
      Problem(rollFiles.lineFile + ": read error");
      return false;
    }
    return true;
  }

  // Trailer, size, and every slot: its line inside the line file and ending in LF within 4,999
  // bytes, its name text ending in NUL within L bytes.
  bool CheckNameFile(bool linesRead) {
    ReadOnlyFile f;
    if (!Open(rollFiles.nameFile, kNameFileName, &f)) return false;
    const std::string& path = rollFiles.nameFile;
    const std::int64_t size = f.Size();
    unsigned char trailer[kNameTrailerSize];
    if (size < kNameTrailerSize) {
      Problem(path + ": " + std::to_string(size) + " bytes, too short for its trailer");
      return false;
    }
    if (f.ReadAt(size - kNameTrailerSize, trailer, sizeof trailer) != kNameTrailerSize) {
      Problem(path + ": read error");
      return false;
    }
    const std::int32_t length = DecodeTrailer(trailer);
    if (!NameLengthUsable(length)) {
      Problem(path + ": name length " + std::to_string(length) + " in the trailer is outside 0..255");
      return false;
    }
    const std::int64_t slotSize = length + kSlotHeaderSize;
    const std::int64_t body = size - kNameTrailerSize;
    if (body % slotSize != 0) {
      Problem(path + ": " + std::to_string(body) + " bytes before the trailer are not whole slots of " +
              std::to_string(slotSize) + " bytes");
    }
    slotCount = body / slotSize;
    summary.slots = slotCount;

    const std::size_t slotsPerChunk = kChunkSize / slotSize;
    const ReadBuffer chunk(slotsPerChunk * slotSize);
    for (std::int64_t slot = 0; slot < slotCount;) {
      const std::int64_t want = std::min<std::int64_t>(slotsPerChunk, slotCount - slot);
      const unsigned char* slots = chunk.At(slot * slotSize);
      if (f.ReadAt(slot * slotSize, chunk.At(slot * slotSize), static_cast<std::size_t>(want * slotSize)) !=
          want * slotSize) {
        Problem(path + ": read error");
        return false;
      }
      for (std::int64_t i = 0; i < want; ++i, ++slot) {
        const SlotValue value = DecodeSlot(slots + i * slotSize, length);
        if (length > 0 && value.name.size() == static_cast<std::size_t>(length)) {
          Problem(path + ": slot " + std::to_string(slot) + ": name text has no NUL within " +
                  std::to_string(length) + " bytes");
        }
        if (linesRead) CheckLine(slot, value.lineOffset);
      }
    }
    return true;
  }

  void CheckLine(std::int64_t slot, std::int32_t offset) {
    const std::string where = rollFiles.nameFile + ": slot " + std::to_string(slot) + ": line offset " +
                              std::to_string(offset);
    if (offset < 0 || offset >= lineSize) {
      Problem(where + " is outside the line file (" + std::to_string(lineSize) + " bytes)");
    } else if (!lineFeeds.LineFeedWithin(offset, kLongestLine)) {
      Problem(where + ": no line feed within " + std::to_string(kLongestLine) + " bytes");
    }
  }

  // End byte and header, then the tree: whole nodes, entry counts, keys ascending within nodes
  // and in tree order, no node reached twice, slot ranges inside the name file.
  void CheckIndexFile(bool namesRead) {
    if (rollFiles.indexFile.empty()) return Problem(ExpectedPath(rollFiles, kIndexFileName) + ": missing");
    const std::string& path = rollFiles.indexFile;
    ReadOnlyFile file;
    if (!Open(path, kIndexFileName, &file)) return;
    const std::int64_t size = file.Size();
    if (!IndexSizeReachable(size)) {
      return Problem(path + ": " + std::to_string(size) + " bytes, more than node offsets can reach");
    }
    unsigned char last = 0;
    if (size < 1 || file.ReadAt(size - 1, &last, 1) != 1 || last != kIndexEndByte) {
      Problem(path + ": last byte is not the end byte 04");
    }
    if (size < kIndexHeaderSize + 1) {
      return Problem(path + ": " + std::to_string(size) + " bytes, too short for header and end byte");
    }

    std::string previousKey;
    std::int64_t previousNode = -1;
    int previousPosition = -1;
    bool havePrevious = false;
    std::int64_t listed = 0;
    const auto walk = WalkIndex(
        file, [&](const std::string& text) { Problem(path + ": " + text); },
        [&](const WalkedEntry& e) {
          const std::string where = path + ": node at " + std::to_string(e.nodeOffset) + " entry " +
                                    std::to_string(e.position);
          if (!e.keyTerminated) Problem(where + ": key has no NUL within 24 bytes");
          // Neighbours within one node were compared by the walk already.
          const bool neighbours = previousNode == e.nodeOffset && previousPosition + 1 == e.position;
          if (havePrevious && !neighbours && std::string_view(previousKey) >= e.key) {
            Problem(where + ": key " + Quoted(e.key) + " is out of tree order after " + Quoted(previousKey));
          }
          previousKey.assign(e.key);
          previousNode = e.nodeOffset;
          previousPosition = e.position;
          havePrevious = true;
          if (e.slotCount < 1) {
            Problem(where + ": slot count " + std::to_string(e.slotCount) + " is not positive");
          } else if (namesRead && (e.firstSlot < 0 || static_cast<std::int64_t>(e.firstSlot) + e.slotCount > slotCount)) {
            Problem(where + ": slots " + std::to_string(e.firstSlot) + " to " +
                    std::to_string(static_cast<std::int64_t>(e.firstSlot) + e.slotCount - 1) +
                    " are not all inside the name file (" + std::to_string(slotCount) + " slots)");
          } else {
            listed += e.slotCount;
          }
        });
    // Each slot belongs to one key: ranges that list more slots than there are overlap, and would
    // make every reader of the whole roll (dump) go over the same slots again and again.
    if (namesRead && listed > slotCount) {
      Problem(path + ": the keys list " + std::to_string(listed) + " slots, more than the " +
              std::to_string(slotCount) + " of the name file");
    }
    summary.keys = walk.entries;
    summary.nodes = walk.nodes;
  }

  const RollFiles& rollFiles;
  const std::function<void(const std::string&)>& reportLine;
  CheckSummary summary;
  LineFeedMap lineFeeds;
  std::int64_t lineSize = 0;
  std::int64_t slotCount = 0;
};

}  // namespace

CheckSummary CheckDatabase(const RollFiles& files, const std::function<void(const std::string&)>& report) {
  return Checker(files, report).Run();
}
