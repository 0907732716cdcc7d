#include "store/roll_format.h"

#include <algorithm>
#include <cstring>

#include "platform/byte_order.h"

namespace {

constexpr const char* kBaseNames[kMaxDatabaseNumber + 1] = {nullptr, "mroll"};

constexpr int kSummaryCut = 30;       // bytes after which the summary is cut
constexpr int kSummaryFieldCount = 4;

constexpr int kEntriesOffset = 4;
constexpr int kChildrenOffset = kEntriesOffset + kMaxNodeEntries * kIndexEntrySize;
static_assert(kChildrenOffset + (kMaxNodeEntries + 1) * 4 == kIndexNodeSize);

constexpr int kRecordNameOffset = 4;
constexpr int kRecordSummaryOffset = kRecordNameOffset + kRowNameSize;

}  // namespace

const char* DatabaseBaseName(int number) {
  if (number <= 0 || number > kMaxDatabaseNumber) return nullptr;
  return kBaseNames[number];
}

// --- Keys ---

void UpperCaseAscii(char* text) {
  for (; *text; ++text) *text = UpperAscii(*text);
}

void UpperCaseAscii(std::string* text) {
  for (char& c : *text) c = UpperAscii(c);
}

void NormaliseKey(char* key) {
  const std::size_t length = std::strlen(key);
  if (length <= static_cast<std::size_t>(kLongestPaddedSurname)) {
    std::memset(key + length, ' ', static_cast<std::size_t>(kPaddedKeyLength) - length);
    key[kPaddedKeyLength] = '\0';
  }
  UpperCaseAscii(key);
}

std::string KeyOf(std::string_view surname) {
  if (surname.size() > static_cast<std::size_t>(kMaxKeyLength)) return {};
  std::string key(surname);
  if (key.size() <= static_cast<std::size_t>(kLongestPaddedSurname)) key.resize(kPaddedKeyLength, ' ');
  UpperCaseAscii(&key);
  return key;
}

std::string_view SurnameOfKey(std::string_view key) {
  if (key.size() != static_cast<std::size_t>(kPaddedKeyLength)) return key;
  std::string_view text = key;
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text.size() <= static_cast<std::size_t>(kLongestPaddedSurname) ? text : key;
}

// --- Name file ---

std::int32_t DecodeTrailer(const unsigned char* bytes) { return DecodeFixed32(bytes); }

void EncodeTrailer(unsigned char* bytes, std::int32_t nameLength) { EncodeFixed32(bytes, nameLength); }

SlotValue DecodeSlot(const unsigned char* bytes, std::int32_t nameLength) {
  SlotValue slot;
  slot.lineOffset = DecodeFixed32(bytes);
  const char* name = reinterpret_cast<const char*>(bytes + kSlotHeaderSize);
  slot.name = std::string_view(name, nameLength > 0 ? strnlen(name, static_cast<std::size_t>(nameLength)) : 0);
  return slot;
}

void EncodeSlot(unsigned char* bytes, std::int32_t nameLength, std::int32_t lineOffset, std::string_view name) {
  EncodeFixed32(bytes, lineOffset);
  if (nameLength <= 0) return;
  const std::size_t room = static_cast<std::size_t>(nameLength) - 1;
  const std::size_t n = name.size() < room ? name.size() : room;
  std::memset(bytes + kSlotHeaderSize, 0, static_cast<std::size_t>(nameLength));
  std::memcpy(bytes + kSlotHeaderSize, name.data(), n);
}

// --- Line file ---

std::vector<std::string_view> SplitFields(std::string_view line) {
  const std::size_t end = line.find(static_cast<char>(kLineFeed));
  if (end != std::string_view::npos) line = line.substr(0, end);
  std::vector<std::string_view> fields;
  while (!line.empty()) {
    const std::size_t separator = line.find(static_cast<char>(kFieldSeparator));
    fields.push_back(line.substr(0, separator));
    if (separator == std::string_view::npos) break;
    line.remove_prefix(separator + 1);
  }
  return fields;
}

std::string_view LineField(std::string_view line, int field) {
  std::size_t from = 0;
  int at = 0;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const auto c = static_cast<unsigned char>(line[i]);
    if (c != kFieldSeparator && c != kLineFeed) continue;
    if (at == field) return line.substr(from, i - from);
    if (c == kLineFeed) return {};
    ++at;
    from = i + 1;
  }
  return at == field ? line.substr(from) : std::string_view();
}

std::string JoinFields(const std::vector<std::string_view>& fields) {
  std::string line;
  for (std::string_view f : fields) {
    line += f;
    line += static_cast<char>(kFieldSeparator);
  }
  line += static_cast<char>(kLineFeed);
  return line;
}

bool FieldTextStorable(std::string_view text) {
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (b == kFieldSeparator || b == kLineFeed) return false;
  }
  return true;
}

bool SummaryBuilder::Feed(unsigned char c) {
  out[length++] = static_cast<char>(c);
  if (c == kFieldSeparator) {
    --length;
    while (length > 0 && out[length - 1] == ' ') --length;
    if (length == 0) {
      // A separator first, or after nothing but spaces: the summary stays empty.
    } else if (static_cast<unsigned char>(out[length - 1]) == kFieldSeparator) {
      ++length;  // an empty or all-space field: keep the earlier separator and its space
    } else {
      out[length] = static_cast<char>(kFieldSeparator);
      out[length + 1] = ' ';
      length += 2;
      ++fields;
    }
  }
  if (c == kLineFeed) {
    out[length] = '\0';
    done = true;
    return false;
  }
  return fields < kSummaryFieldCount && length < kSummaryCut;
}

void SummaryBuilder::Finish(int next) {
  done = true;
  if (next == kLineFeed) {
    out[length] = '\0';
    return;
  }
  std::memcpy(out + length, "...", 4);
}

// --- Index file ---

IndexHeader IndexHeader::Decode(const unsigned char* bytes) {
  return {DecodeFixed32(bytes), DecodeFixed32(bytes + 4)};
}

void IndexHeader::Encode(unsigned char* bytes) const {
  EncodeFixed32(bytes, rootOffset);
  EncodeFixed32(bytes + 4, secondHeaderWord);
}

IndexNode IndexNode::Decode(const unsigned char* bytes, bool* keyTerminated) {
  IndexNode node;
  node.entryCount = DecodeFixed32(bytes);
  for (int i = 0; i < kMaxNodeEntries; ++i) {
    const unsigned char* e = bytes + kEntriesOffset + i * kIndexEntrySize;
    node.entries[i].firstSlot = DecodeFixed32(e);
    node.entries[i].slotCount = DecodeFixed32(e + 4);
    std::memcpy(node.entries[i].key, e + 8, kIndexKeySize);
    if (keyTerminated) keyTerminated[i] = std::memchr(e + 8, 0, kIndexKeySize) != nullptr;
    node.entries[i].key[kIndexKeySize - 1] = '\0';
  }
  for (int i = 0; i <= kMaxNodeEntries; ++i) node.children[i] = DecodeFixed32(bytes + kChildrenOffset + i * 4);
  return node;
}

void IndexNode::Encode(unsigned char* bytes) const {
  std::memset(bytes, 0, kIndexNodeSize);
  EncodeFixed32(bytes, entryCount);
  for (int i = 0; i < kMaxNodeEntries; ++i) {
    unsigned char* e = bytes + kEntriesOffset + i * kIndexEntrySize;
    EncodeFixed32(e, entries[i].firstSlot);
    EncodeFixed32(e + 4, entries[i].slotCount);
    std::memcpy(e + 8, entries[i].key, kIndexKeySize);
  }
  for (int i = 0; i <= kMaxNodeEntries; ++i) EncodeFixed32(bytes + kChildrenOffset + i * 4, children[i]);
}

std::string_view StoredNodeKey(const unsigned char* nodeBytes, int entry) {
  const char* key = reinterpret_cast<const char*>(nodeBytes + kEntriesOffset + entry * kIndexEntrySize + 8);
  return std::string_view(key, strnlen(key, kIndexKeySize));
}

bool NodeInsideIndex(std::int64_t offset, std::int64_t fileSize) {
  return offset >= kIndexHeaderSize && offset + kIndexNodeSize <= fileSize - 1;
}

std::int64_t MaxIndexNodes(std::int64_t fileSize) {
  return fileSize > kIndexHeaderSize ? (fileSize - kIndexHeaderSize) / kIndexNodeSize + 1 : 1;
}

std::string EmptyIndexBytes() {
  std::string bytes(kIndexHeaderSize, '\0');
  IndexHeader{}.Encode(reinterpret_cast<unsigned char*>(bytes.data()));
  bytes += static_cast<char>(kIndexEndByte);
  return bytes;
}

int CompareKeys(const char* a, const char* b) { return std::strcmp(a, b); }  // compares as unsigned char

// --- Filter buffer ---

void EncodeFilterRecord(unsigned char* bytes, std::int32_t lineOffset, const char* name, const char* summary) {
  std::memset(bytes, 0, kFilterRecordSize);
  EncodeFixed32(bytes, lineOffset);
  if (name) std::memcpy(bytes + kRecordNameOffset, name, strnlen(name, kRowNameSize - 1));
  if (summary) std::memcpy(bytes + kRecordSummaryOffset, summary, strnlen(summary, kRowSummarySize - 1));
}

void EncodeMatchRecord(unsigned char* bytes, std::int32_t lineOffset, std::string_view name) {
  std::memset(bytes, 0, kFilterRecordSize);
  EncodeFixed32(bytes, lineOffset);
  name = name.substr(0, std::min<std::size_t>(name.find('\0'), kRowNameSize - 1));
  std::memcpy(bytes + kRecordNameOffset, name.data(), name.size());
}

void DecodeFilterRecord(const unsigned char* bytes, std::int32_t* lineOffset, char* name, char* summary) {
  *lineOffset = DecodeFixed32(bytes);
  std::memcpy(name, bytes + kRecordNameOffset, kRowNameSize);
  name[kRowNameSize - 1] = '\0';
  std::memcpy(summary, bytes + kRecordSummaryOffset, kRowSummarySize);
  summary[kRowSummarySize - 1] = '\0';
}
