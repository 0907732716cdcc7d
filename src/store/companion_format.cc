#include "store/companion_format.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

#include <algorithm>
#include <cstring>

#include "store/roll_format.h"

namespace {

void EncodeFixed64At(unsigned char* bytes, std::uint64_t value) {
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

void EncodeFixed32At(unsigned char* bytes, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

void EncodeBoundFile(unsigned char* bytes, const BoundFile& f) {
  EncodeFixed64At(bytes, f.device);
  EncodeFixed64At(bytes + 8, f.file);
  EncodeFixed64At(bytes + 16, static_cast<std::uint64_t>(f.size));
  EncodeFixed64At(bytes + 24, static_cast<std::uint64_t>(f.modified));
  EncodeFixed64At(bytes + 32, static_cast<std::uint64_t>(f.changed));
  EncodeFixed64At(bytes + 40, static_cast<std::uint64_t>(f.window));
  EncodeFixed64At(bytes + 48, static_cast<std::uint64_t>(f.length));
}

BoundFile DecodeBoundFile(const unsigned char* bytes) {
  BoundFile f;
  f.device = GetFixed64(bytes);
  f.file = GetFixed64(bytes + 8);
  f.size = static_cast<std::int64_t>(GetFixed64(bytes + 16));
  f.modified = static_cast<std::int64_t>(GetFixed64(bytes + 24));
  f.changed = static_cast<std::int64_t>(GetFixed64(bytes + 32));
  f.window = static_cast<std::int64_t>(GetFixed64(bytes + 40));
  f.length = static_cast<std::int64_t>(GetFixed64(bytes + 48));
  return f;
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

BoundFile BoundFile::Of(const ReadOnlyFile& f) {
  const FileIdentity id = f.Identity();
  BoundFile bound;
  if (!id.known) return bound;
  bound.device = id.device;
  bound.file = id.file;
  bound.size = id.size;
  bound.modified = id.modified;
  bound.changed = id.changed;
  bound.window = id.window;
  bound.length = f.Size();
  return bound;
}

std::uint64_t BlockCountFor(std::uint64_t tableOffset) {
  if (tableOffset <= static_cast<std::uint64_t>(kCompanionHeaderSize)) return 0;
  return (tableOffset - kCompanionHeaderSize + kCompanionBlockSize - 1) / kCompanionBlockSize;
}

std::uint64_t CompanionChecksum(const void* data, std::size_t size) { return XXH3_64bits(data, size); }

void SealCompanion(CompanionHeader header, std::string* file) {
  header.blockTableOffset = file->size();
  header.blockCount = BlockCountFor(header.blockTableOffset);
  std::string table;
  for (std::uint64_t b = 0; b < header.blockCount; ++b) {
    const std::uint64_t from = kCompanionHeaderSize + b * kCompanionBlockSize;
    const std::uint64_t size = std::min<std::uint64_t>(kCompanionBlockSize, header.blockTableOffset - from);
    PutFixed64(&table, CompanionChecksum(file->data() + from, static_cast<std::size_t>(size)));
  }
  header.blockTableChecksum = CompanionChecksum(table.data(), table.size());
  file->append(table);
  header.fileSize = file->size();
  header.Encode(reinterpret_cast<unsigned char*>(file->data()));
}

void CompanionHeader::Encode(unsigned char* bytes) const {
  namespace at = companion_layout;
  std::memset(bytes, 0, kCompanionHeaderSize);
  std::memcpy(bytes, kCompanionMagic, sizeof kCompanionMagic);
  EncodeFixed32At(bytes + 8, kCompanionVersion);
  EncodeFixed32At(bytes + 12, kCompanionBlockSize);
  EncodeFixed64At(bytes + 16, fileSize);
  EncodeFixed32At(bytes + at::kRoll, static_cast<std::uint32_t>(roll.nameLength));
  EncodeFixed32At(bytes + at::kRoll + 4, static_cast<std::uint32_t>(roll.slotTotal));
  EncodeBoundFile(bytes + at::kFiles, roll.name);
  EncodeBoundFile(bytes + at::kFiles + kBoundFileSize, roll.line);
  EncodeBoundFile(bytes + at::kFiles + 2 * kBoundFileSize, roll.index);
  EncodeFixed64At(bytes + at::kIndexHash, roll.indexHash.high);
  EncodeFixed64At(bytes + at::kIndexHash + 8, roll.indexHash.low);
  for (int s = 0; s < kSectionCount; ++s) {
    EncodeFixed64At(bytes + at::kSections + 16 * s, sections[s].offset);
    EncodeFixed64At(bytes + at::kSections + 16 * s + 8, sections[s].length);
  }
  EncodeFixed64At(bytes + at::kBlockTable, blockTableOffset);
  EncodeFixed64At(bytes + at::kBlockTable + 8, blockCount);
  EncodeFixed64At(bytes + at::kBlockTable + 16, blockTableChecksum);
  EncodeFixed64At(bytes + at::kChecksum, CompanionChecksum(bytes, at::kChecksum));
}

bool CompanionHeader::Decode(const unsigned char* bytes, std::int64_t size, CompanionHeader* out,
                             std::string* reason) {
  namespace at = companion_layout;
  if (std::memcmp(bytes, kCompanionMagic, sizeof kCompanionMagic) != 0)
    return *reason = "not a companion index", false;
  const std::uint32_t version = GetFixed32(bytes + 8);
  if (version != kCompanionVersion) {
    return *reason = "written by another version (" + std::to_string(version) + ")", false;
  }
  if (GetFixed64(bytes + at::kChecksum) != CompanionChecksum(bytes, at::kChecksum)) {
    return *reason = "its header is damaged (checksum)", false;
  }
  if (GetFixed32(bytes + 12) != kCompanionBlockSize)
    return *reason = "its block size is not " + std::to_string(kCompanionBlockSize), false;
  CompanionHeader h;
  h.fileSize = GetFixed64(bytes + 16);
  if (size < 0 || h.fileSize != static_cast<std::uint64_t>(size)) {
    return *reason = "it is " + std::to_string(size) + " bytes long, not the " + std::to_string(h.fileSize) +
                     " its header gives (truncated?)",
           false;
  }
  h.roll.nameLength = static_cast<std::int32_t>(GetFixed32(bytes + at::kRoll));
  h.roll.slotTotal = static_cast<std::int32_t>(GetFixed32(bytes + at::kRoll + 4));
  h.roll.name = DecodeBoundFile(bytes + at::kFiles);
  h.roll.line = DecodeBoundFile(bytes + at::kFiles + kBoundFileSize);
  h.roll.index = DecodeBoundFile(bytes + at::kFiles + 2 * kBoundFileSize);
  h.roll.indexHash.high = GetFixed64(bytes + at::kIndexHash);
  h.roll.indexHash.low = GetFixed64(bytes + at::kIndexHash + 8);
  h.blockTableOffset = GetFixed64(bytes + at::kBlockTable);
  h.blockCount = GetFixed64(bytes + at::kBlockTable + 8);
  h.blockTableChecksum = GetFixed64(bytes + at::kBlockTable + 16);
  // The sections follow each other from the header to the block table, which ends the file.
  std::uint64_t next = kCompanionHeaderSize;
  for (int s = 0; s < kSectionCount; ++s) {
    h.sections[s].offset = GetFixed64(bytes + at::kSections + 16 * s);
    h.sections[s].length = GetFixed64(bytes + at::kSections + 16 * s + 8);
    if (h.sections[s].offset != next || h.sections[s].length > h.fileSize - next) {
      return *reason = "its section " + std::to_string(s) + " lies outside the file", false;
    }
    next += h.sections[s].length;
  }
  if (h.roll.nameLength < 0 || h.roll.slotTotal < 0 || h.blockTableOffset != next ||
      h.blockCount != BlockCountFor(next) || h.blockCount > (h.fileSize - next) / 8 ||
      next + h.blockCount * 8 != h.fileSize) {
    return *reason = "its block table does not end the file", false;
  }
  *out = h;
  return true;
}

void PutFixed32(std::string* out, std::uint32_t value) {
  unsigned char bytes[4];
  EncodeFixed32At(bytes, value);
  out->append(reinterpret_cast<const char*>(bytes), 4);
}

void PutFixed64(std::string* out, std::uint64_t value) {
  unsigned char bytes[8];
  EncodeFixed64At(bytes, value);
  out->append(reinterpret_cast<const char*>(bytes), 8);
}

std::uint32_t GetFixed32(const unsigned char* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
         (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

std::uint64_t GetFixed64(const unsigned char* bytes) {
  return static_cast<std::uint64_t>(GetFixed32(bytes)) |
         (static_cast<std::uint64_t>(GetFixed32(bytes + 4)) << 32);
}

void PutVarint(std::string* out, std::uint64_t value) {
  while (value >= 0x80) {
    out->push_back(static_cast<char>((value & 0x7F) | 0x80));
    value >>= 7;
  }
  out->push_back(static_cast<char>(value));
}

void KeyRecord::Encode(std::string* out) const {
  PutFixed32(out, static_cast<std::uint32_t>(firstSlot));
  PutFixed32(out, static_cast<std::uint32_t>(slotCount));
  PutFixed32(out, textOffset);
  PutFixed32(out, countsOffset);
  out->push_back(static_cast<char>(textLength));
  out->push_back(static_cast<char>(flags));
  out->append(2, '\0');
}

KeyRecord KeyRecord::Decode(const unsigned char* bytes) {
  KeyRecord r;
  r.firstSlot = static_cast<std::int32_t>(GetFixed32(bytes));
  r.slotCount = static_cast<std::int32_t>(GetFixed32(bytes + 4));
  r.textOffset = GetFixed32(bytes + 8);
  r.countsOffset = GetFixed32(bytes + 12);
  r.textLength = bytes[16];
  r.flags = bytes[17];
  return r;
}

void GroupRecord::Encode(std::string* out) const {
  PutFixed32(out, unit);
  PutFixed32(out, (company & (kMaxCompanies - 1)) | (static_cast<std::uint32_t>(side) << 24));
  PutFixed32(out, entries);
  PutFixed32(out, listOffset);
}

GroupRecord GroupRecord::Decode(const unsigned char* bytes) {
  GroupRecord r;
  r.unit = GetFixed32(bytes);
  const std::uint32_t companyAndSide = GetFixed32(bytes + 4);
  r.company = companyAndSide & (kMaxCompanies - 1);
  r.side = static_cast<std::uint8_t>(companyAndSide >> 24);
  r.entries = GetFixed32(bytes + 8);
  r.listOffset = GetFixed32(bytes + 12);
  return r;
}

void EncodeDictionary(const std::vector<std::string>& texts, std::string* out) {
  PutFixed32(out, static_cast<std::uint32_t>(texts.size()));
  std::uint32_t offset = 0;
  PutFixed32(out, 0);
  for (const std::string& t : texts) {
    offset += static_cast<std::uint32_t>(t.size());
    PutFixed32(out, offset);
  }
  for (const std::string& t : texts) out->append(t);
}

bool Dictionary::Take(std::string bytes) {
  data = std::move(bytes);
  count = 0;
  if (data.size() < 4) return false;
  const auto* b = reinterpret_cast<const unsigned char*>(data.data());
  const std::uint64_t n = GetFixed32(b);
  if (n >= data.size() || 4 + (n + 1) * 4 > data.size()) return false;
  textStart = static_cast<std::size_t>(4 + (n + 1) * 4);
  const std::size_t textSize = data.size() - textStart;
  std::uint32_t previous = 0;
  for (std::uint64_t i = 0; i <= n; ++i) {
    const std::uint32_t offset = GetFixed32(b + 4 + 4 * i);
    if ((i == 0 && offset != 0) || offset < previous || offset > textSize) return false;
    previous = offset;
  }
  if (previous != textSize) return false;
  count = static_cast<std::size_t>(n);
  for (std::size_t i = 1; i < count; ++i) {
    if (!(Text(i - 1) < Text(i))) {
      count = 0;
      return false;
    }
  }
  return true;
}

std::string_view Dictionary::Text(std::size_t i) const {
  const auto* b = reinterpret_cast<const unsigned char*>(data.data());
  const std::uint32_t from = GetFixed32(b + 4 + 4 * i);
  const std::uint32_t to = GetFixed32(b + 8 + 4 * i);
  return std::string_view(data).substr(textStart + from, to - from);
}

std::int64_t Dictionary::Find(std::string_view text) const {
  std::size_t lo = 0, hi = count;
  while (lo < hi) {
    const std::size_t mid = lo + (hi - lo) / 2;
    if (Text(mid) < text) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  return lo < count && Text(lo) == text ? static_cast<std::int64_t>(lo) : -1;
}

void AttributesOfLine(std::string_view line, EntryAttributes* out) {
  *out = EntryAttributes{};
  const std::size_t end = line.find(static_cast<char>(kLineFeed));
  if (end != std::string_view::npos) line = line.substr(0, end);
  // The fields as a filter splits them: a last field without its separator counts, nothing
  // after the last separator does.
  for (int field = 0; field <= kLineSideField && !line.empty(); ++field) {
    const std::size_t separator = line.find(static_cast<char>(kFieldSeparator));
    const std::string_view text = line.substr(0, separator);
    if (field == kLineCompanyField) {
      out->company.assign(TrimBlanks(text));
      UpperCaseAscii(&out->company);
    } else if (field == kLineUnitField) {
      out->unit = text;
    } else if (field == kLineSideField) {
      const std::string_view side = TrimBlanks(text);
      if (side.size() == 1) out->side = UpperAscii(side[0]);
    }
    if (separator == std::string_view::npos) break;
    line.remove_prefix(separator + 1);
  }
}

std::vector<std::string> UnitWords(std::string_view unit) {
  std::vector<std::string> words;
  while (!unit.empty()) {
    const std::size_t blank = unit.find(' ');
    std::string word(unit.substr(0, blank));
    if (!word.empty()) {
      UpperCaseAscii(&word);
      words.push_back(std::move(word));
    }
    if (blank == std::string_view::npos) break;
    unit.remove_prefix(blank + 1);
  }
  std::sort(words.begin(), words.end());
  words.erase(std::unique(words.begin(), words.end()), words.end());
  return words;
}
