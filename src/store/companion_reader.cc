#include "store/companion_reader.h"

#include <algorithm>
#include <cstring>

#include "store/roll_format.h"
#include "store/unit_roster.h"

namespace {

// Blocks kept once read and checked (when more are wanted, all are let go): enough for the small
// sections and the slots' groups of a large surname, at most 16 MiB. A read of many blocks asks
// the file for up to 256 KiB at once.
constexpr std::size_t kCachedBlocks = 4096;
constexpr std::uint64_t kBlocksPerRead = 64;
constexpr std::size_t kScanChunk = 1 << 16;

std::string TrimmedUpper(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  std::string out(text);
  UpperCaseAscii(&out);
  return out;
}

bool ContainsUpper(std::string_view text, std::string_view upper) {
  if (upper.empty()) return true;
  for (std::size_t at = 0; at + upper.size() <= text.size(); ++at) {
    std::size_t i = 0;
    while (i < upper.size() && UpperAscii(text[at + i]) == upper[i]) ++i;
    if (i == upper.size()) return true;
  }
  return false;
}

bool HasWord(std::string_view unit, std::string_view upper) {
  while (!unit.empty()) {
    const std::size_t blank = unit.find(' ');
    const std::string_view word = unit.substr(0, blank);
    if (word.size() == upper.size() && std::equal(word.begin(), word.end(), upper.begin(),
                                                  [](char a, char b) { return UpperAscii(a) == b; })) {
      return true;
    }
    if (blank == std::string_view::npos) break;
    unit.remove_prefix(blank + 1);
  }
  return false;
}

// What to say about one of the roll's files that is not the file the companion was built from.
std::string Mismatch(const char* which, const BoundFile& was, const BoundFile& now) {
  if (was.device != now.device || was.file != now.file || was.window != now.window) {
    return std::string("it was built from another ") + which;
  }
  return std::string("the ") + which + " changed since it was built";
}

}  // namespace

CompanionFilter CompanionFilter::From(char side, std::string_view state, std::string_view unit,
                                      std::string_view company) {
  CompanionFilter f;
  f.side = UpperAscii(side);
  f.state = TrimmedUpper(state);
  f.unit = unit;
  UpperCaseAscii(&f.unit);
  f.company = TrimmedUpper(company);
  return f;
}

int CompanionFilter::Criteria() const {
  return (side != 0) + !state.empty() + !unit.empty() + !company.empty();
}

bool CompanionReader::Open(ReadOnlyFile companion, const RollFilesView& roll, std::string* reason,
                           const IndexHash* indexHash) {
  file.Close();
  RollBinding now;
  if (!roll.name || !roll.line || !roll.index || !roll.name->IsOpen() || !roll.line->IsOpen() ||
      !roll.index->IsOpen()) {
    return *reason = "the roll's files are not open", false;
  }
  now.name = BoundFile::Of(*roll.name);
  now.line = BoundFile::Of(*roll.line);
  now.index = BoundFile::Of(*roll.index);
  // The identities are asked first; the index is hashed only for a companion that names them.
  unsigned char bytes[kCompanionHeaderSize];
  CompanionHeader h;
  if (companion.ReadAt(0, bytes, sizeof bytes) != kCompanionHeaderSize) {
    return *reason = "it is shorter than its header (truncated?)", false;
  }
  if (!CompanionHeader::Decode(bytes, companion.Size(), &h, reason)) return false;
  if (h.roll.name != now.name) return *reason = Mismatch("name file", h.roll.name, now.name), false;
  if (h.roll.line != now.line) return *reason = Mismatch("line file", h.roll.line, now.line), false;
  if (h.roll.index != now.index) return *reason = Mismatch("index file", h.roll.index, now.index), false;
  if (!RollGeometry(*roll.name, &now.nameLength, &now.slotTotal))
    return *reason = "the name file has no usable trailer", false;
  if (indexHash) {
    now.indexHash = *indexHash;
  } else if (!HashIndexFile(*roll.index, &now.indexHash)) {
    return *reason = "the index file cannot be read whole", false;
  }
  return Open(std::move(companion), now, reason);
}

bool CompanionReader::Open(ReadOnlyFile companion, const RollBinding& roll, std::string* reason) {
  file.Close();
  blocks.clear();
  blockSums.clear();
  failed = false;
  problem.clear();
  unitsLoaded = companiesLoaded = wordsLoaded = groupsLoaded = filterReady = false;
  groupRecords.clear();
  verdicts.reset();
  lastSideList = {};
  keyCountsOf = -1;
  rollCountVerdicts.reset();
  keyCount = groupCount = 0;
  slotWidth = 0;
  unsigned char bytes[kCompanionHeaderSize];
  if (companion.ReadAt(0, bytes, sizeof bytes) != kCompanionHeaderSize) {
    return *reason = "it is shorter than its header (truncated?)", false;
  }
  CompanionHeader h;
  if (!CompanionHeader::Decode(bytes, companion.Size(), &h, reason)) return false;
  if (h.roll.name != roll.name) return *reason = Mismatch("name file", h.roll.name, roll.name), false;
  if (h.roll.line != roll.line) return *reason = Mismatch("line file", h.roll.line, roll.line), false;
  if (h.roll.index != roll.index) return *reason = Mismatch("index file", h.roll.index, roll.index), false;
  if (!(h.roll.indexHash == roll.indexHash))
    return *reason = "the index file's bytes are not those it was built from", false;
  if (h.roll.nameLength != roll.nameLength || h.roll.slotTotal != roll.slotTotal) {
    return *reason = "the name file's slots are not those it was built from", false;
  }

  // The block table: its size was checked against the file by the header's decoding.
  std::vector<unsigned char> table(static_cast<std::size_t>(h.blockCount * 8));
  if (companion.ReadAt(static_cast<std::int64_t>(h.blockTableOffset), table.data(), table.size()) !=
          static_cast<std::int64_t>(table.size()) ||
      CompanionChecksum(table.data(), table.size()) != h.blockTableChecksum) {
    return *reason = "its block table is damaged (checksum)", false;
  }
  blockSums.resize(static_cast<std::size_t>(h.blockCount));
  for (std::size_t b = 0; b < blockSums.size(); ++b) blockSums[b] = GetFixed64(table.data() + 8 * b);

  // The sections' shapes, as far as their lengths tell.
  const auto length = [&](CompanionSection s) { return h.Section(s).length; };
  const std::uint64_t keys = length(CompanionSection::kKeys) / kKeyRecordSize;
  const std::uint64_t groups = length(CompanionSection::kGroups) / kGroupRecordSize;
  const bool codesShaped = [&] {
    for (CompanionSection s : {CompanionSection::kSoundex, CompanionSection::kDmCodes}) {
      if (length(s) < 4 || (length(s) - 4) % (kCodeRecordSize + 4) != 0) return false;
    }
    return true;
  }();
  if (length(CompanionSection::kKeys) % kKeyRecordSize != 0 ||
      length(CompanionSection::kKeyTotals) != (keys + 1) * 4 ||
      length(CompanionSection::kSideStarts) != (keys + 1) * 4 ||
      length(CompanionSection::kSampleStarts) != (keys + 1) * 4 ||
      (h.roll.nameLength > 0 &&
       length(CompanionSection::kNameSamples) % static_cast<std::uint64_t>(h.roll.nameLength) != 0) ||
      length(CompanionSection::kGroups) % kGroupRecordSize != 0 || !codesShaped ||
      length(CompanionSection::kSlotGroups) < kSlotGroupsPrefix) {
    return *reason = "its sections are not shaped as the format draws them", false;
  }
  file = std::move(companion);
  header = h;
  keyCount = static_cast<std::size_t>(keys);
  groupCount = static_cast<std::size_t>(groups);
  unsigned char prefix[kSlotGroupsPrefix];
  if (!ReadSection(CompanionSection::kSlotGroups, 0, sizeof prefix, prefix)) {
    *reason = problem;
    file.Close();
    return false;
  }
  slotWidth = prefix[0];
  if (slotWidth < 1 || slotWidth > 4 ||
      length(CompanionSection::kSlotGroups) !=
          kSlotGroupsPrefix + static_cast<std::uint64_t>(slotWidth) * h.roll.slotTotal) {
    *reason = "its slots' groups are not shaped as the format draws them";
    file.Close();
    return false;
  }
  return true;
}

bool CompanionReader::Fail(std::string text) {
  if (!failed) problem = std::move(text);
  failed = true;
  return false;
}

const std::vector<unsigned char>* CompanionReader::Block(std::uint64_t b, std::uint64_t wanted) {
  if (failed) return nullptr;
  if (const auto at = blocks.find(b); at != blocks.end()) return &at->second;
  if (b >= blockSums.size()) return Fail("a read past its last block"), nullptr;
  // The blocks a read still wants that are not held yet are read in one go, up to a bound.
  std::uint64_t run = 1;
  while (run < wanted && run < kBlocksPerRead && b + run < blockSums.size() && blocks.count(b + run) == 0)
    ++run;
  const std::uint64_t from = kCompanionHeaderSize + b * kCompanionBlockSize;
  const std::size_t size = static_cast<std::size_t>(
      std::min<std::uint64_t>(run * kCompanionBlockSize, header.blockTableOffset - from));
  std::vector<unsigned char> bytes(size);
  if (file.ReadAt(static_cast<std::int64_t>(from), bytes.data(), size) != static_cast<std::int64_t>(size)) {
    return Fail("block " + std::to_string(b) + " cannot be read"), nullptr;
  }
  if (blocks.size() + run > kCachedBlocks) blocks.clear();
  for (std::uint64_t i = 0; i < run; ++i) {
    const std::size_t at = static_cast<std::size_t>(i) * kCompanionBlockSize;
    const std::size_t n = std::min<std::size_t>(kCompanionBlockSize, size - at);
    if (CompanionChecksum(bytes.data() + at, n) != blockSums[static_cast<std::size_t>(b + i)]) {
      return Fail("block " + std::to_string(b + i) + " is damaged (checksum)"), nullptr;
    }
    blocks.emplace(b + i, std::vector<unsigned char>(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                                                     bytes.begin() + static_cast<std::ptrdiff_t>(at + n)));
  }
  return &blocks.find(b)->second;
}

bool CompanionReader::Read(std::uint64_t offset, std::size_t size, void* out) {
  auto* to = static_cast<unsigned char*>(out);
  if (offset < kCompanionHeaderSize || offset > header.blockTableOffset ||
      size > header.blockTableOffset - offset) {
    return Fail("a read outside its sections");
  }
  while (size > 0) {
    const std::uint64_t b = (offset - kCompanionHeaderSize) / kCompanionBlockSize;
    const std::size_t at = static_cast<std::size_t>((offset - kCompanionHeaderSize) % kCompanionBlockSize);
    const std::vector<unsigned char>* block =
        Block(b, (at + size + kCompanionBlockSize - 1) / kCompanionBlockSize);
    if (!block) return false;
    const std::size_t n = std::min(size, block->size() - at);
    std::memcpy(to, block->data() + at, n);
    to += n;
    offset += n;
    size -= n;
  }
  return true;
}

bool CompanionReader::ReadOnce(std::uint64_t offset, std::size_t size, void* out) {
  auto* to = static_cast<unsigned char*>(out);
  if (offset < kCompanionHeaderSize || offset > header.blockTableOffset ||
      size > header.blockTableOffset - offset) {
    return Fail("a read outside its sections");
  }
  std::vector<unsigned char> run;
  while (size > 0) {
    const std::uint64_t b = (offset - kCompanionHeaderSize) / kCompanionBlockSize;
    const std::size_t at = static_cast<std::size_t>((offset - kCompanionHeaderSize) % kCompanionBlockSize);
    const std::uint64_t wanted =
        std::min<std::uint64_t>((at + size + kCompanionBlockSize - 1) / kCompanionBlockSize, kBlocksPerRead);
    const std::uint64_t from = kCompanionHeaderSize + b * kCompanionBlockSize;
    run.resize(static_cast<std::size_t>(
        std::min<std::uint64_t>(wanted * kCompanionBlockSize, header.blockTableOffset - from)));
    if (file.ReadAt(static_cast<std::int64_t>(from), run.data(), run.size()) !=
        static_cast<std::int64_t>(run.size())) {
      return Fail("block " + std::to_string(b) + " cannot be read");
    }
    for (std::size_t i = 0; i * kCompanionBlockSize < run.size(); ++i) {
      const std::size_t n = std::min<std::size_t>(kCompanionBlockSize, run.size() - i * kCompanionBlockSize);
      if (b + i >= blockSums.size()) return Fail("a read past its last block");
      if (CompanionChecksum(run.data() + i * kCompanionBlockSize, n) !=
          blockSums[static_cast<std::size_t>(b + i)])
        return Fail("block " + std::to_string(b + i) + " is damaged (checksum)");
    }
    const std::size_t n = std::min(size, run.size() - at);
    std::memcpy(to, run.data() + at, n);
    to += n;
    offset += n;
    size -= n;
  }
  return true;
}

bool CompanionReader::ReadSection(CompanionSection s, std::uint64_t offset, std::size_t size, void* out) {
  const SectionPlace& place = header.Section(s);
  if (offset > place.length || size > place.length - offset)
    return Fail("a read outside section " + std::to_string(static_cast<int>(s)));
  return Read(place.offset + offset, size, out);
}

bool CompanionReader::ReadSectionOnce(CompanionSection s, std::uint64_t offset, std::size_t size, void* out) {
  const SectionPlace& place = header.Section(s);
  if (offset > place.length || size > place.length - offset)
    return Fail("a read outside section " + std::to_string(static_cast<int>(s)));
  return ReadOnce(place.offset + offset, size, out);
}

bool CompanionReader::VerifyAll() {
  // Read a run at a time and let go of again, so that checking all holds no more than a run.
  for (std::uint64_t b = 0; b < blockSums.size(); b += kBlocksPerRead) {
    blocks.clear();
    if (!Block(b, kBlocksPerRead)) return false;
  }
  blocks.clear();
  return !failed;
}

bool CompanionReader::LoadDictionary(CompanionSection s, Dictionary* d, bool* loaded) {
  if (*loaded) return true;
  if (failed) return false;
  std::string bytes(static_cast<std::size_t>(header.Section(s).length), '\0');
  if (!ReadSection(s, 0, bytes.size(), bytes.data())) return false;
  if (!d->Take(std::move(bytes)))
    return Fail("dictionary " + std::to_string(static_cast<int>(s)) + " is malformed");
  *loaded = true;
  return true;
}

// --- Keys ---

bool CompanionReader::Key(std::size_t i, CompanionKey* out) {
  if (i >= keyCount) return Fail("key " + std::to_string(i) + " asked for");
  unsigned char bytes[kKeyRecordSize];
  if (!ReadSection(CompanionSection::kKeys, static_cast<std::uint64_t>(i) * kKeyRecordSize, sizeof bytes,
                   bytes))
    return false;
  const KeyRecord r = KeyRecord::Decode(bytes);
  if (!KeyText(i, &keyScratch)) return false;
  out->text = keyScratch;
  out->firstSlot = r.firstSlot;
  out->slotCount = r.slotCount;
  std::int64_t begin = r.firstSlot;
  std::int64_t end = begin + r.slotCount;
  const std::int64_t total = header.roll.slotTotal;
  if (begin < 0 || begin >= total) begin = end = 0;
  end = std::clamp<std::int64_t>(end, begin, total);
  out->begin = static_cast<std::int32_t>(begin);
  out->end = static_cast<std::int32_t>(end);
  out->namesOrdered = (r.flags & kKeyNamesOrdered) != 0;
  return true;
}

std::shared_ptr<const KeyRunTable> CompanionReader::LoadKeyTable() {
  if (failed) return nullptr;
  // The sections' lengths were checked against the file and the key count when it was opened.
  std::string records(static_cast<std::size_t>(header.Section(CompanionSection::kKeys).length), '\0');
  std::string text(static_cast<std::size_t>(header.Section(CompanionSection::kKeyText).length), '\0');
  std::string totals(static_cast<std::size_t>(header.Section(CompanionSection::kKeyTotals).length), '\0');
  if (!ReadSectionOnce(CompanionSection::kKeys, 0, records.size(), records.data()) ||
      !ReadSectionOnce(CompanionSection::kKeyText, 0, text.size(), text.data()) ||
      !ReadSectionOnce(CompanionSection::kKeyTotals, 0, totals.size(), totals.data())) {
    return nullptr;
  }
  std::vector<KeyRunTable::Run> runs;
  runs.reserve(keyCount);
  bool asIndexed = true;
  std::string keys;
  keys.reserve(text.size() + keyCount * 4);
  const std::int64_t total = header.roll.slotTotal;
  const auto* sums = reinterpret_cast<const unsigned char*>(totals.data());
  for (std::size_t i = 0; i < keyCount; ++i) {
    const KeyRecord r =
        KeyRecord::Decode(reinterpret_cast<const unsigned char*>(records.data()) + i * kKeyRecordSize);
    if (r.textOffset > text.size() || r.textLength > text.size() - r.textOffset) {
      return Fail("key " + std::to_string(i) + "'s text lies outside its section"), nullptr;
    }
    // The run cut to the name file as Key() cuts it; the totals must count the same.
    std::int64_t begin = r.firstSlot;
    std::int64_t end = begin + r.slotCount;
    if (begin < 0 || begin >= total) begin = end = 0;
    end = std::clamp<std::int64_t>(end, begin, total);
    asIndexed = asIndexed && r.slotCount >= 0 &&
                (r.slotCount == 0 || (begin == r.firstSlot && end - begin == r.slotCount));
    if (GetFixed32(sums + (i + 1) * 4) - static_cast<std::int64_t>(GetFixed32(sums + i * 4)) != end - begin) {
      return Fail("its key totals do not add up its runs"), nullptr;
    }
    const std::size_t offset = keys.size();
    if (offset > UINT32_MAX - 512) return Fail("its keys' texts are too long"), nullptr;
    keys.append(text, r.textOffset, r.textLength);
    if ((r.flags & kKeyPadded) != 0 && keys.size() - offset < static_cast<std::size_t>(kPaddedKeyLength)) {
      keys.resize(offset + kPaddedKeyLength, ' ');
    }
    const std::size_t surname = SurnameOfKey(std::string_view(keys).substr(offset)).size();
    if (keys.size() - offset > 255) return Fail("key " + std::to_string(i) + " is too long"), nullptr;
    runs.push_back({static_cast<std::int32_t>(begin), static_cast<std::int32_t>(end),
                    static_cast<std::uint32_t>(offset), static_cast<std::uint8_t>(keys.size() - offset),
                    static_cast<std::uint8_t>(surname), (r.flags & kKeyNamesOrdered) != 0});
  }
  if (GetFixed32(sums) != 0) return Fail("its key totals do not start at 0"), nullptr;
  // Null also for runs that overlap (which also count more slots than the roll has): no damage of
  // the companion, but an index the key catalogue answers for (it empties such runs), so no
  // question after this one is refused for it.
  return KeyRunTable::Make(std::move(runs), std::move(keys), asIndexed);
}

std::shared_ptr<const SlotGroupColumn> CompanionReader::LoadSlotGroups() {
  if (failed) return nullptr;
  // The section's length was checked against the width and the slot total when it was opened.
  const auto slots = static_cast<std::size_t>(header.roll.slotTotal);
  std::vector<unsigned char> bytes(slots * static_cast<std::size_t>(slotWidth));
  if (!ReadSectionOnce(CompanionSection::kSlotGroups, kSlotGroupsPrefix, bytes.size(), bytes.data()))
    return nullptr;
  auto column = SlotGroupColumn::Make(std::move(bytes), slotWidth, slots, groupCount);
  if (!column) return Fail("a slot's group is not a group"), nullptr;
  return column;
}

std::shared_ptr<const std::vector<std::uint8_t>> CompanionReader::GroupVerdicts(
    const CompanionFilter& filter) {
  if (verdicts && verdictFilter.side == filter.side && verdictFilter.state == filter.state &&
      verdictFilter.unit == filter.unit && verdictFilter.company == filter.company) {
    return verdicts;
  }
  verdicts.reset();
  if (!PrepareFilter(filter)) return nullptr;
  auto made = std::make_shared<std::vector<std::uint8_t>>(groupCount);
  for (std::size_t g = 0; g < groupCount; ++g) {
    bool passes = true;
    if (filter.Active() && !Passes(static_cast<std::uint32_t>(g), &passes)) return nullptr;
    (*made)[g] = passes ? 1 : 0;
  }
  verdictFilter = filter;
  verdicts = std::move(made);
  return verdicts;
}

bool CompanionReader::KeyText(std::size_t i, std::string* out) {
  unsigned char bytes[kKeyRecordSize];
  if (!ReadSection(CompanionSection::kKeys, static_cast<std::uint64_t>(i) * kKeyRecordSize, sizeof bytes,
                   bytes))
    return false;
  const KeyRecord r = KeyRecord::Decode(bytes);
  out->resize(r.textLength);
  if (!ReadSection(CompanionSection::kKeyText, r.textOffset, r.textLength, out->data())) return false;
  if ((r.flags & kKeyPadded) != 0 && out->size() < static_cast<std::size_t>(kPaddedKeyLength))
    out->resize(kPaddedKeyLength, ' ');
  return true;
}

std::int64_t CompanionReader::FindKey(std::string_view key) {
  std::size_t lo = 0, hi = keyCount;
  std::string text;
  while (lo < hi) {
    const std::size_t mid = lo + (hi - lo) / 2;
    if (!KeyText(mid, &text)) return -1;
    if (text < key) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  if (lo == keyCount || !KeyText(lo, &text) || text != key) return -1;
  return static_cast<std::int64_t>(lo);
}

bool CompanionReader::KeysWithPrefix(std::string_view prefix, std::size_t* from, std::size_t* to) {
  std::string text;
  bool ok = true;
  // Keys in order are in order in their first bytes too.
  auto bound = [&](bool after) {
    std::size_t lo = 0, hi = keyCount;
    while (lo < hi && ok) {
      const std::size_t mid = lo + (hi - lo) / 2;
      ok = KeyText(mid, &text);
      const std::string_view start = std::string_view(text).substr(0, prefix.size());
      if (after ? start <= prefix : start < prefix) {
        lo = mid + 1;
      } else {
        hi = mid;
      }
    }
    return lo;
  };
  *from = bound(false);
  *to = bound(true);
  return ok;
}

bool CompanionReader::SlotsOfKeys(std::size_t from, std::size_t to, std::uint64_t* slots) {
  if (from > to || to > keyCount)
    return Fail("keys " + std::to_string(from) + ".." + std::to_string(to) + " asked for");
  unsigned char a[4], b[4];
  if (!ReadSection(CompanionSection::kKeyTotals, from * 4, 4, a) ||
      !ReadSection(CompanionSection::kKeyTotals, to * 4, 4, b)) {
    return false;
  }
  if (GetFixed32(b) < GetFixed32(a)) return Fail("its key totals fall");
  *slots = GetFixed32(b) - GetFixed32(a);
  return true;
}

bool CompanionReader::NameSamples(std::size_t key, std::string* out) {
  out->clear();
  CompanionKey k;
  if (!Key(key, &k)) return false;
  unsigned char starts[8];
  if (!ReadSection(CompanionSection::kSampleStarts, static_cast<std::uint64_t>(key) * 4, sizeof starts,
                   starts))
    return false;
  const std::uint64_t first = GetFixed32(starts);
  const std::uint64_t end = GetFixed32(starts + 4);
  const auto length = static_cast<std::uint64_t>(header.roll.nameLength);
  if (end == first) return true;
  // Names are kept of a long ordered run only, and then of every step of it: anything else is
  // not what the builder writes.
  const std::uint64_t run = static_cast<std::uint64_t>(k.end - k.begin);
  if (first > end || end * length > header.Section(CompanionSection::kNameSamples).length ||
      !k.namesOrdered || !RunIsSampled(static_cast<std::int64_t>(run)) ||
      end - first != static_cast<std::uint64_t>(SamplesOfRun(static_cast<std::int64_t>(run)))) {
    return Fail("key " + std::to_string(key) + "'s kept names are malformed");
  }
  out->resize(static_cast<std::size_t>((end - first) * length));
  return ReadSectionOnce(CompanionSection::kNameSamples, first * length, out->size(), out->data());
}

bool CompanionReader::SideList(std::size_t key, char side, PackedSlots* out) {
  CompanionKey k;
  if (!Key(key, &k)) return false;
  // The list asked for last is handed on as it was read: a search asked again, or come back to
  // from another screen, does not copy a list of many thousand entries for a page of ten.
  if (lastSideList.deltas && lastSideKey == key && lastSide == side) {
    *out = lastSideList;
    return true;
  }
  *out = PackedSlots{{}, k.begin, k.end, 0};
  unsigned char starts[8];
  if (!ReadSection(CompanionSection::kSideStarts, static_cast<std::uint64_t>(key) * 4, sizeof starts, starts))
    return false;
  std::uint64_t at = GetFixed32(starts);
  const std::uint64_t end = GetFixed32(starts + 4);
  const auto malformed = [key] { return "key " + std::to_string(key) + "'s side lists are malformed"; };
  if (at > end || end > header.Section(CompanionSection::kSideLists).length) return Fail(malformed());
  // The head of the lists, then of each list: its side, entries and bytes, at most 1 + 10 + 10 bytes.
  unsigned char head[21];
  std::size_t used = 0;
  auto readHead = [&] {
    used = static_cast<std::size_t>(std::min<std::uint64_t>(sizeof head, end - at));
    return ReadSection(CompanionSection::kSideLists, at, used, head);
  };
  if (!readHead()) return false;
  const unsigned char* p = head;
  std::uint64_t lists = 0;
  if (!GetVarint(&p, head + used, &lists) || lists > 256) return Fail(malformed());
  at += static_cast<std::uint64_t>(p - head);
  for (std::uint64_t l = 0; l < lists; ++l) {
    if (!readHead()) return false;
    p = head;
    std::uint64_t entries = 0, bytes = 0;
    if (used < 1) return Fail(malformed());
    const auto listSide = static_cast<char>(*p++);
    if (!GetVarint(&p, head + used, &entries) || !GetVarint(&p, head + used, &bytes) ||
        entries > static_cast<std::uint64_t>(k.end - k.begin) ||
        bytes > end - at - static_cast<std::uint64_t>(p - head)) {
      return Fail(malformed());
    }
    at += static_cast<std::uint64_t>(p - head);
    if (listSide == side) {
      out->count = static_cast<std::int64_t>(entries);
      std::string deltas(static_cast<std::size_t>(bytes), '\0');
      if (!ReadSection(CompanionSection::kSideLists, at, deltas.size(), deltas.data())) return false;
      out->deltas = std::make_shared<const std::string>(std::move(deltas));
      lastSideList = *out;
      lastSideKey = key;
      lastSide = side;
      return true;
    }
    at += bytes;
  }
  return true;
}

bool CompanionReader::SideSlots(std::size_t key, char side, std::vector<std::int32_t>* out) {
  PackedSlots list;
  if (!SideList(key, side, &list)) return false;
  std::vector<std::int32_t> slots;
  slots.reserve(static_cast<std::size_t>(list.count));
  std::size_t at = 0;
  if (!UnpackSlots(list, &at, SIZE_MAX, &slots) || static_cast<std::int64_t>(slots.size()) != list.count)
    return Fail("key " + std::to_string(key) + "'s side list is malformed");
  out->insert(out->end(), slots.begin(), slots.end());
  return true;
}

bool CompanionReader::CountOfKey(std::size_t key, const CompanionFilter& filter, std::int64_t* count) {
  CompanionKey k;
  if (!Key(key, &k)) return false;
  if (filter.Criteria() != 1 || !filter.unit.empty()) {
    return PassingSlots(k.begin, k.end, filter, 0, 0, nullptr, count);
  }
  if (!LoadKeyCounts(key)) return false;
  // The id asked for (-1: one the roll lacks), and its list: sides, companies or words.
  std::int64_t wanted = -1;
  int list = 0;
  if (filter.side != 0) {
    wanted = static_cast<unsigned char>(filter.side);
  } else if (!filter.company.empty()) {
    if (!LoadDictionary(CompanionSection::kCompanies, &companies, &companiesLoaded)) return false;
    wanted = companies.Find(filter.company);
    list = 1;
  } else {
    if (!LoadDictionary(CompanionSection::kWords, &words, &wordsLoaded)) return false;
    wanted = words.Find(filter.state);
    list = 2;
  }
  *count = 0;
  if (wanted < 0) return true;
  const std::vector<IdCount>& counts = keyCounts[list];
  const auto at = std::lower_bound(counts.begin(), counts.end(), static_cast<std::uint64_t>(wanted),
                                   [](const IdCount& c, std::uint64_t id) { return c.id < id; });
  if (at != counts.end() && at->id == static_cast<std::uint64_t>(wanted))
    *count = static_cast<std::int64_t>(at->entries);
  if (*count > k.end - k.begin) return Fail("its key counts exceed the key's run");
  return true;
}

bool CompanionReader::LoadKeyCounts(std::size_t key) {
  // The counts of the key asked about last are kept read: a surname filtered by one state and then
  // another reads its counts once.
  if (keyCountsOf == static_cast<std::int64_t>(key)) return true;
  keyCountsOf = -1;
  // A key's counts end where the next key's begin.
  unsigned char bytes[kKeyRecordSize];
  if (!ReadSection(CompanionSection::kKeys, static_cast<std::uint64_t>(key) * kKeyRecordSize, sizeof bytes,
                   bytes))
    return false;
  const std::uint64_t from = KeyRecord::Decode(bytes).countsOffset;
  std::uint64_t to = header.Section(CompanionSection::kKeyCounts).length;
  if (key + 1 < keyCount) {
    if (!ReadSection(CompanionSection::kKeys, static_cast<std::uint64_t>(key + 1) * kKeyRecordSize,
                     sizeof bytes, bytes))
      return false;
    to = KeyRecord::Decode(bytes).countsOffset;
  }
  // Checked before anything is read or made of that size.
  if (to < from || to > header.Section(CompanionSection::kKeyCounts).length) {
    return Fail("its key counts are out of order");
  }
  std::vector<unsigned char> stream(static_cast<std::size_t>(to - from));
  if (!ReadSection(CompanionSection::kKeyCounts, from, stream.size(), stream.data())) return false;
  const unsigned char* at = stream.data();
  const unsigned char* end = at + stream.size();
  for (std::vector<IdCount>& counts : keyCounts) {
    counts.clear();
    std::uint64_t n = 0, id = 0;
    // Each pair takes two bytes at least.
    if (!GetVarint(&at, end, &n) || n > static_cast<std::uint64_t>(end - at) / 2)
      return Fail("its key counts are malformed");
    counts.reserve(static_cast<std::size_t>(n));
    for (std::uint64_t i = 0; i < n; ++i) {
      std::uint64_t delta = 0, entries = 0;
      // Ids rise within a list, the first from zero.
      if (!GetVarint(&at, end, &delta) || !GetVarint(&at, end, &entries) || (i > 0 && delta == 0))
        return Fail("its key counts are malformed");
      id += delta;
      counts.push_back({id, entries});
    }
  }
  keyCountsOf = static_cast<std::int64_t>(key);
  return true;
}

// --- Slots ---

bool CompanionReader::PrepareFilter(const CompanionFilter& filter) {
  if (filterReady && passFilter.side == filter.side && passFilter.state == filter.state &&
      passFilter.unit == filter.unit && passFilter.company == filter.company) {
    return true;
  }
  filterReady = false;
  if (!LoadGroups() || !LoadDictionary(CompanionSection::kUnitTexts, &unitTexts, &unitsLoaded) ||
      !LoadDictionary(CompanionSection::kCompanies, &companies, &companiesLoaded)) {
    return false;
  }
  passFilter = filter;
  // A company is compared by its number; one the roll lacks passes no entry.
  wantedCompany = filter.company.empty() ? -1 : companies.Find(filter.company);
  if (!filter.company.empty() && wantedCompany < 0)
    wantedCompany = static_cast<std::int64_t>(companies.Size());
  // What a unit field's words and text say is worked out once a unit, not once a group.
  unitPasses.assign(unitTexts.Size(), -1);
  groupPasses.assign(groupCount, -1);
  filterReady = true;
  return true;
}

bool CompanionReader::Passes(std::uint32_t g, bool* passes) {
  if (g >= groupCount) return Fail("a slot's group " + std::to_string(g) + " is not a group");
  const GroupRecord& r = groupRecords[g];
  if ((passFilter.side != 0 && static_cast<char>(r.side) != passFilter.side) ||
      (wantedCompany >= 0 && static_cast<std::int64_t>(r.company) != wantedCompany)) {
    *passes = false;
    return true;
  }
  if (r.unit >= unitPasses.size()) return Fail("group " + std::to_string(g) + " names no unit");
  std::int8_t& known = unitPasses[r.unit];
  if (known < 0) {
    const std::string_view unit = unitTexts.Text(r.unit);
    known =
        (passFilter.state.empty() || HasWord(unit, passFilter.state)) && ContainsUpper(unit, passFilter.unit);
  }
  *passes = known != 0;
  return true;
}

bool CompanionReader::PassingSlots(std::int32_t begin, std::int32_t end, const CompanionFilter& filter,
                                   std::int64_t skip, std::size_t limit, std::vector<std::int32_t>* page,
                                   std::int64_t* count) {
  begin = std::clamp(begin, 0, header.roll.slotTotal);
  end = std::clamp(end, begin, header.roll.slotTotal);
  std::int64_t passed = 0;
  std::size_t taken = 0;
  std::vector<unsigned char> chunk;
  const std::size_t width = static_cast<std::size_t>(slotWidth);
  const bool active = filter.Active();
  if (active && !PrepareFilter(filter)) return false;
  for (std::int32_t first = begin; first < end;) {
    // Once the page is full, only a count needs the rest.
    if (!count && taken >= limit) break;
    const std::int32_t n = static_cast<std::int32_t>(std::min<std::int64_t>(kScanChunk, end - first));
    chunk.resize(static_cast<std::size_t>(n) * width);
    if (!ReadSection(CompanionSection::kSlotGroups,
                     kSlotGroupsPrefix + static_cast<std::uint64_t>(first) * width, chunk.size(),
                     chunk.data())) {
      return false;
    }
    const unsigned char* at = chunk.data();
    for (std::int32_t i = 0; i < n; ++i, at += width) {
      std::uint32_t g = at[0];
      for (std::size_t b = 1; b < width; ++b) g |= static_cast<std::uint32_t>(at[b]) << (8 * b);
      if (active) {
        // A group's verdict is worked out the first time one of its slots comes, then looked up:
        // a byte a slot.
        std::int8_t known = g < groupPasses.size() ? groupPasses[g] : -1;
        if (known < 0) {
          bool passes = true;
          if (!Passes(g, &passes)) return false;
          known = static_cast<std::int8_t>(passes);
          groupPasses[g] = known;
        }
        if (!known) continue;
      }
      if (passed++ >= skip && taken < limit) {
        page->push_back(first + i);
        ++taken;
      }
      if (!count && taken >= limit) break;
    }
    first += n;
  }
  if (count) *count = passed;
  return true;
}

bool CompanionReader::CountOfRoll(const CompanionFilter& filter, std::int64_t* count) {
  *count = 0;
  const std::shared_ptr<const std::vector<std::uint8_t>> passing = GroupVerdicts(filter);
  if (!passing || !LoadGroups()) return false;
  // The sum over every group is kept with the verdicts it was made of: the same filter asked
  // again (a search repeated, a screen of its own) does not add up a hundred thousand groups.
  if (passing == rollCountVerdicts) return *count = rollCount, true;
  for (std::size_t g = 0; g < groupCount; ++g) {
    if ((*passing)[g] != 0) *count += groupRecords[g].entries;
  }
  if (*count > header.roll.slotTotal) return Fail("its groups hold more entries than the roll");
  rollCountVerdicts = passing;
  rollCount = *count;
  return true;
}

// --- Units ---

bool CompanionReader::LoadGroups() {
  if (groupsLoaded) return true;
  if (failed) return false;
  std::vector<unsigned char> bytes(groupCount * kGroupRecordSize);
  if (!ReadSection(CompanionSection::kGroups, 0, bytes.size(), bytes.data())) return false;
  groupRecords.resize(groupCount);
  for (std::size_t g = 0; g < groupCount; ++g)
    groupRecords[g] = GroupRecord::Decode(bytes.data() + g * kGroupRecordSize);
  groupsLoaded = true;
  return true;
}

bool CompanionReader::Group(std::size_t g, CompanionGroup* out) {
  if (g >= groupCount) return Fail("group " + std::to_string(g) + " asked for");
  if (!LoadDictionary(CompanionSection::kUnitTexts, &unitTexts, &unitsLoaded) ||
      !LoadDictionary(CompanionSection::kCompanies, &companies, &companiesLoaded)) {
    return false;
  }
  if (!LoadGroups()) return false;
  const GroupRecord& r = groupRecords[g];
  if (r.unit >= unitTexts.Size() || r.company >= companies.Size())
    return Fail("group " + std::to_string(g) + " names no text");
  out->unit = unitTexts.Text(r.unit);
  out->company = companies.Text(r.company);
  out->side = static_cast<char>(r.side);
  out->entries = r.entries;
  return true;
}

bool CompanionReader::UnitGroups(std::string_view unit, char side, std::size_t* from, std::size_t* to) {
  bool ok = true;
  // Groups are in (unit, side, company) order.
  auto bound = [&](bool after) {
    std::size_t lo = 0, hi = groupCount;
    while (lo < hi && ok) {
      const std::size_t mid = lo + (hi - lo) / 2;
      CompanionGroup g;
      ok = Group(mid, &g);
      const int c = g.unit.compare(unit);
      const bool below =
          c < 0 || (c == 0 && static_cast<unsigned char>(g.side) < static_cast<unsigned char>(side));
      const bool same = c == 0 && g.side == side;
      if (below || (after && same)) {
        lo = mid + 1;
      } else {
        hi = mid;
      }
    }
    return lo;
  };
  *from = bound(false);
  *to = bound(true);
  return ok;
}

namespace {

// One delta of a slot list at `*at`, whole within `end`: at most five bytes, since a slot and so
// a delta fit 32 bits. False for a longer or unfinished one.
inline bool GetSlotDelta(const unsigned char** at, const unsigned char* end, std::uint32_t* delta) {
  const unsigned char* p = *at;
  std::uint32_t value = 0;
  for (int shift = 0; shift < 35 && p < end; shift += 7) {
    const unsigned char byte = *p++;
    value |= static_cast<std::uint32_t>(byte & 0x7F) << shift;
    if (byte < 0x80) {
      if (shift == 28 && byte > 0x0F) return false;  // more than 32 bits
      *delta = value;
      *at = p;
      return true;
    }
  }
  return false;
}

}  // namespace

bool CompanionReader::GroupSlots(std::size_t g, std::int64_t skip, std::size_t limit,
                                 std::vector<std::int32_t>* out) {
  if (g >= groupCount) return Fail("group " + std::to_string(g) + " asked for");
  if (!LoadGroups()) return false;
  const GroupRecord& r = groupRecords[g];
  std::uint64_t at = r.listOffset;
  const std::uint64_t sectionEnd = header.Section(CompanionSection::kSlotLists).length;
  if (at > sectionEnd) return Fail("group " + std::to_string(g) + "'s list lies outside its section");
  const std::uint64_t slotTotal = static_cast<std::uint64_t>(header.roll.slotTotal);
  // Room for no more than a sound list can hold: a slot of the roll each, ascending, and a byte of
  // the section at least each, whatever the record claims.
  const std::uint64_t room = std::min<std::uint64_t>({r.entries, sectionEnd - at, limit, slotTotal});
  out->reserve(out->size() + static_cast<std::size_t>(room));
  std::vector<unsigned char>& chunk = listChunk;
  chunk.clear();
  std::size_t used = 0, taken = 0;
  std::uint64_t slot = 0;
  for (std::uint32_t i = 0; i < r.entries && taken < limit;) {
    // Refilled when fewer bytes are left than the longest delta takes.
    if (chunk.size() - used < 5 && at < sectionEnd) {
      chunk.erase(chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(used));
      // No more than the rest of the list can take, each delta in at most 5 bytes: a list of a
      // few hundred slots reads a block or two, not a chunk.
      const std::uint64_t rest = (static_cast<std::uint64_t>(r.entries) - i) * 5;
      const std::size_t more =
          static_cast<std::size_t>(std::min<std::uint64_t>({kScanChunk, sectionEnd - at, rest}));
      const std::size_t kept = chunk.size();
      chunk.resize(kept + more);
      if (!ReadSection(CompanionSection::kSlotLists, at, more, chunk.data() + kept)) return false;
      at += more;
      used = 0;
    }
    // The deltas the bytes at hand hold for certain, each decoded without a look at the refill.
    const unsigned char* p = chunk.data() + used;
    const unsigned char* const end = chunk.data() + chunk.size();
    const std::size_t sure = std::max<std::size_t>(static_cast<std::size_t>(end - p) / 5, 1);
    const std::uint32_t stop = static_cast<std::uint32_t>(std::min<std::uint64_t>(r.entries, i + sure));
    for (; i < stop && taken < limit; ++i) {
      std::uint32_t delta = 0;
      if (!GetSlotDelta(&p, end, &delta)) return Fail("group " + std::to_string(g) + "'s list is malformed");
      slot += delta;
      if (slot >= slotTotal || (i > 0 && delta == 0)) {
        return Fail("group " + std::to_string(g) + "'s list names a slot outside the roll");
      }
      if (static_cast<std::int64_t>(i) >= skip) {
        out->push_back(static_cast<std::int32_t>(slot));
        ++taken;
      }
    }
    used = static_cast<std::size_t>(p - chunk.data());
  }
  return true;
}

bool CompanionReader::Roster(std::string_view unit, char side, const std::string_view* company,
                             std::int64_t skip, std::size_t limit, std::vector<std::int32_t>* page,
                             std::int64_t* count) {
  std::size_t from = 0, to = 0;
  if (!UnitGroups(unit, side, &from, &to)) return false;
  *count = 0;
  std::size_t taken = 0;
  for (std::size_t g = from; g < to; ++g) {
    CompanionGroup group;
    if (!Group(g, &group)) return false;
    if (company && group.company != *company) continue;
    const std::int64_t entries = group.entries;
    if (skip < entries && taken < limit) {
      std::vector<std::int32_t> slots;
      if (!GroupSlots(g, skip, limit - taken, &slots)) return false;
      taken += slots.size();
      page->insert(page->end(), slots.begin(), slots.end());
    }
    skip = skip > entries ? skip - entries : 0;
    *count += entries;
  }
  return true;
}

bool CompanionReader::UnitFieldsReadingAs(std::string_view unitText, std::vector<std::size_t>* out) {
  out->clear();
  if (!LoadDictionary(CompanionSection::kUnitTexts, &unitTexts, &unitsLoaded)) return false;
  if (!unevenUnitsLoaded) {
    for (std::size_t u = 0; u < unitTexts.Size(); ++u) {
      const std::string_view field = unitTexts.Text(u);
      if (!SameUnitText(field, field))
        unevenUnits.emplace_back(RosterUnitText(field), static_cast<std::uint32_t>(u));
    }
    std::sort(unevenUnits.begin(), unevenUnits.end());
    unevenUnitsLoaded = true;
  }
  if (const std::int64_t own = unitTexts.Find(unitText); own >= 0)
    out->push_back(static_cast<std::size_t>(own));
  auto at = std::lower_bound(unevenUnits.begin(), unevenUnits.end(), unitText,
                             [](const auto& uneven, std::string_view text) { return uneven.first < text; });
  for (; at != unevenUnits.end() && at->first == unitText; ++at) out->push_back(at->second);
  std::sort(out->begin(), out->end());
  return true;
}

std::size_t CompanionReader::UnitTextCount() {
  return LoadDictionary(CompanionSection::kUnitTexts, &unitTexts, &unitsLoaded) ? unitTexts.Size() : 0;
}

std::string_view CompanionReader::UnitText(std::size_t u) {
  return u < UnitTextCount() ? unitTexts.Text(u) : std::string_view();
}

// --- Sound codes ---

bool CompanionReader::Codes(CompanionSection s, std::uint32_t code, std::vector<std::uint32_t>* keys,
                            std::uint64_t* slots) {
  const std::uint64_t m = (header.Section(s).length - 4) / (kCodeRecordSize + 4);
  auto codeAt = [&](std::uint64_t i, std::uint32_t* c, std::uint32_t* key) {
    unsigned char bytes[kCodeRecordSize];
    if (!ReadSection(s, i * kCodeRecordSize, sizeof bytes, bytes)) return false;
    *c = GetFixed32(bytes);
    *key = GetFixed32(bytes + 4);
    return true;
  };
  std::uint64_t lo = 0, hi = m;
  while (lo < hi) {
    const std::uint64_t mid = lo + (hi - lo) / 2;
    std::uint32_t c = 0, key = 0;
    if (!codeAt(mid, &c, &key)) return false;
    if (c < code) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  const std::uint64_t first = lo;
  for (std::uint64_t i = first; i < m; ++i) {
    std::uint32_t c = 0, key = 0;
    if (!codeAt(i, &c, &key)) return false;
    if (c != code) break;
    if (key >= keyCount || (!keys->empty() && i > first && key <= keys->back()))
      return Fail("its sound codes are out of order");
    keys->push_back(key);
  }
  const std::uint64_t last = first + (keys->size());
  unsigned char a[4], b[4];
  if (!ReadSection(s, m * kCodeRecordSize + first * 4, 4, a) ||
      !ReadSection(s, m * kCodeRecordSize + last * 4, 4, b))
    return false;
  if (GetFixed32(b) < GetFixed32(a)) return Fail("its sound code totals fall");
  *slots = GetFixed32(b) - GetFixed32(a);
  return true;
}

bool CompanionReader::KeysWithSoundex(std::uint32_t code, std::vector<std::uint32_t>* keys,
                                      std::uint64_t* slots) {
  keys->clear();
  return Codes(CompanionSection::kSoundex, code, keys, slots);
}

bool CompanionReader::KeysWithDmCode(std::uint32_t code, std::vector<std::uint32_t>* keys,
                                     std::uint64_t* slots) {
  keys->clear();
  return Codes(CompanionSection::kDmCodes, code, keys, slots);
}
