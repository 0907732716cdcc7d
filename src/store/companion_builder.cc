#include "store/companion_builder.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <numeric>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/read_cursor.h"
#include "store/daitch_mokotoff.h"
#include "store/index_walk.h"
#include "store/name_order.h"
#include "store/roll_format.h"
#include "store/soundex.h"

namespace {

constexpr std::size_t kSlotChunkSize = 1 << 20;
constexpr std::size_t kLineBufferBytes = 1 << 20;
// What a roll may make the companion hold before it gets none: distinct groups and the bytes of
// their texts, and the work of counting the words of every key's units.
constexpr std::size_t kMaxGroups = 1 << 22;
constexpr std::size_t kMaxGroupTextBytes = std::size_t{64} << 20;
constexpr std::int64_t kMaxWordCounts = std::int64_t{1} << 26;

struct Key {
  std::string text;
  std::int32_t firstSlot;
  std::int32_t slotCount;
  std::int32_t begin = 0;  // the run cut to the name file, as a search cuts it
  std::int32_t end = 0;
};

// A group as found: its texts (the unit field, then the company) in the pass's arena, its side.
struct Group {
  std::uint32_t offset;
  std::uint32_t unitLength;
  std::uint32_t companyLength;
  char side;
  std::uint32_t entries = 0;
};

bool Fail(std::string* error, std::string text) {
  *error = std::move(text);
  return false;
}

std::uint32_t PositionIn(const std::vector<std::string>& sorted, std::string_view text) {
  return static_cast<std::uint32_t>(std::lower_bound(sorted.begin(), sorted.end(), text) - sorted.begin());
}

// The keys of the index in key order; false when the tree is damaged or a key stands twice.
bool ReadKeys(const ReadOnlyFile& index, std::vector<Key>* keys, std::string* error) {
  std::string problem;
  const IndexWalkResult walk = WalkIndex(
      index,
      [&](const std::string& text) {
        if (problem.empty()) problem = text;
      },
      [&](const WalkedEntry& e) {
        keys->push_back({std::string(e.key), e.firstSlot, e.slotCount});
      });
  if (walk.damaged) return Fail(error, "the index is damaged (" + problem + ")");
  std::stable_sort(keys->begin(), keys->end(), [](const Key& a, const Key& b) { return a.text < b.text; });
  for (std::size_t i = 1; i < keys->size(); ++i) {
    if ((*keys)[i - 1].text == (*keys)[i].text)
      return Fail(error, "the index lists the key \"" + (*keys)[i].text + "\" twice");
  }
  return true;
}

// Every slot's group, from one pass over the name file and the lines its slots point at. A group
// is found by its texts through a table of their hashes (open addressing, the texts in one arena):
// one probe and one comparison an entry in the common case.
class GroupPass {
 public:
  GroupPass(const RollFilesView& roll, std::int32_t nameLength, std::int32_t slotTotal)
      : files(roll),
        length(nameLength),
        total(slotTotal),
        lines(kLineBufferBytes),
        table(1 << 16, 0),
        hashes(1 << 16) {
    lines.Attach(roll.line);
  }

  bool Run(const CompanionProgress& progress, std::vector<std::uint32_t>* column, std::string* error) {
    const std::size_t slotSize = static_cast<std::size_t>(length) + kSlotHeaderSize;
    const std::size_t perChunk = kSlotChunkSize / slotSize;
    const auto chunk = std::make_unique_for_overwrite<unsigned char[]>(perChunk * slotSize);
    column->assign(static_cast<std::size_t>(total), 0);
    std::string texts;
    EntryAttributes attributes;
    for (std::int64_t first = 0; first < total;) {
      const std::int64_t count = std::min<std::int64_t>(static_cast<std::int64_t>(perChunk), total - first);
      const std::size_t bytes = static_cast<std::size_t>(count) * slotSize;
      if (files.name->ReadAt(first * static_cast<std::int64_t>(slotSize), chunk.get(), bytes) !=
          static_cast<std::int64_t>(bytes)) {
        return Fail(error, "the name file cannot be read whole");
      }
      for (std::int64_t i = 0; i < count; ++i) {
        const SlotValue slot = DecodeSlot(chunk.get() + static_cast<std::size_t>(i) * slotSize, length);
        // The line as the Find run hands it to a filter: up to its LF, or nothing without one.
        std::string_view line;
        if (slot.lineOffset >= 0) {
          line = lines.View(slot.lineOffset, kLongestLine);
          line = line.substr(0, line.find(static_cast<char>(kLineFeed)) + 1);
        }
        AttributesOfLine(line, &attributes);
        texts.assign(attributes.unit);
        texts += attributes.company;
        std::uint32_t id = 0;
        if (!Find(texts, attributes.unit.size(), attributes.side, &id, error)) return false;
        ++groups[id].entries;
        (*column)[static_cast<std::size_t>(first + i)] = id;
      }
      first += count;
      if (progress && !progress(static_cast<int>(first * 80 / (total > 0 ? total : 1))))
        return Fail(error, "cancelled");
    }
    return true;
  }

  std::string_view Unit(const Group& g) const {
    return std::string_view(arena).substr(g.offset, g.unitLength);
  }
  std::string_view Company(const Group& g) const {
    return std::string_view(arena).substr(g.offset + g.unitLength, g.companyLength);
  }

  std::vector<Group> groups;

 private:
  // The group of `texts` (the unit field and the company, one after the other) and `side`.
  bool Find(std::string_view texts, std::size_t unitLength, char side, std::uint32_t* id,
            std::string* error) {
    const std::uint64_t hash =
        CompanionChecksum(texts.data(), texts.size()) ^ static_cast<unsigned char>(side);
    const std::size_t mask = table.size() - 1;
    for (std::size_t at = static_cast<std::size_t>(hash) & mask;; at = (at + 1) & mask) {
      if (table[at] == 0) break;
      const Group& g = groups[table[at] - 1];
      if (hashes[at] == hash && g.side == side && g.unitLength == unitLength &&
          std::string_view(arena).substr(g.offset, g.unitLength + g.companyLength) == texts) {
        *id = table[at] - 1;
        return true;
      }
    }
    if (groups.size() >= kMaxGroups || arena.size() + texts.size() > kMaxGroupTextBytes) {
      return Fail(error, "the roll has too many distinct units and companies for a companion");
    }
    *id = static_cast<std::uint32_t>(groups.size());
    groups.push_back({static_cast<std::uint32_t>(arena.size()), static_cast<std::uint32_t>(unitLength),
                      static_cast<std::uint32_t>(texts.size() - unitLength), side});
    arena.append(texts);
    Insert(hash, *id + 1);
    // Kept at most half full, so that a probe ends soon.
    if (2 * groups.size() > table.size()) Grow();
    return true;
  }

  void Insert(std::uint64_t hash, std::uint32_t entry) {
    const std::size_t mask = table.size() - 1;
    std::size_t at = static_cast<std::size_t>(hash) & mask;
    while (table[at] != 0) at = (at + 1) & mask;
    table[at] = entry;
    hashes[at] = hash;
  }

  void Grow() {
    std::vector<std::uint32_t> oldTable(table.size() * 2, 0);
    std::vector<std::uint64_t> oldHashes(hashes.size() * 2);
    oldTable.swap(table);
    oldHashes.swap(hashes);
    for (std::size_t at = 0; at < oldTable.size(); ++at) {
      if (oldTable[at] != 0) Insert(oldHashes[at], oldTable[at]);
    }
  }

  RollFilesView files;
  std::int32_t length;
  std::int32_t total;
  ReadCursor lines;
  std::string arena;
  std::vector<std::uint32_t> table;  // group + 1, 0: empty
  std::vector<std::uint64_t> hashes;
};

// What a key's entries hold, counted over its run: by side, company and state word.
class KeyCounter {
 public:
  KeyCounter(std::size_t groupCount, std::size_t companyCount, std::size_t wordCount)
      : inGroup(groupCount, 0), byCompany(companyCount, 0), byWord(wordCount, 0) {}

  // Appends to *out the counts of the slots [begin, end) of `column`.
  bool Count(const std::vector<std::uint32_t>& column, std::int32_t begin, std::int32_t end,
             const std::vector<GroupRecord>& records,
             const std::vector<std::vector<std::uint32_t>>& unitWords, std::int64_t* wordBudget,
             std::string* out) {
    for (std::int32_t s = begin; s < end; ++s) {
      const std::uint32_t g = column[static_cast<std::size_t>(s)];
      if (inGroup[g]++ == 0) touched.push_back(g);
    }
    std::vector<std::uint32_t> sides, companies, words;
    for (const std::uint32_t g : touched) {
      const GroupRecord& r = records[g];
      const std::uint32_t n = inGroup[g];
      inGroup[g] = 0;
      if (bySide[r.side] == 0) sides.push_back(r.side);
      bySide[r.side] += n;
      if (byCompany[r.company] == 0) companies.push_back(r.company);
      byCompany[r.company] += n;
      const std::vector<std::uint32_t>& w = unitWords[r.unit];
      *wordBudget -= static_cast<std::int64_t>(w.size());
      for (const std::uint32_t word : w) {
        if (byWord[word] == 0) words.push_back(word);
        byWord[word] += n;
      }
    }
    touched.clear();
    if (*wordBudget < 0) return false;
    auto put = [&](std::vector<std::uint32_t>& ids, auto&& countOf) {
      std::sort(ids.begin(), ids.end());
      PutVarint(out, ids.size());
      std::uint32_t previous = 0;
      for (const std::uint32_t id : ids) {
        PutVarint(out, id - previous);
        PutVarint(out, countOf(id));
        previous = id;
      }
    };
    put(sides, [&](std::uint32_t id) { return std::exchange(bySide[id], 0); });
    put(companies, [&](std::uint32_t id) { return std::exchange(byCompany[id], 0); });
    put(words, [&](std::uint32_t id) { return std::exchange(byWord[id], 0); });
    return true;
  }

 private:
  std::vector<std::uint32_t> inGroup, byCompany, byWord;
  std::uint64_t bySide[256] = {};
  std::vector<std::uint32_t> touched;
};

// Whether the names of the slots [begin, end) are in the order store/name_order.h describes.
bool NamesOrdered(const ReadOnlyFile& nameFile, std::int32_t nameLength, std::int32_t begin, std::int32_t end,
                  std::vector<unsigned char>* buffer, bool* ordered) {
  const std::size_t slotSize = static_cast<std::size_t>(nameLength) + kSlotHeaderSize;
  const std::int64_t perChunk = static_cast<std::int64_t>(buffer->size() / slotSize);
  NameOrderCheck check(nameLength);
  for (std::int64_t first = begin; first < end && check.Ordered();) {
    const std::int64_t count = std::min<std::int64_t>(perChunk, end - first);
    const std::size_t bytes = static_cast<std::size_t>(count) * slotSize;
    if (nameFile.ReadAt(first * static_cast<std::int64_t>(slotSize), buffer->data(), bytes) !=
        static_cast<std::int64_t>(bytes)) {
      return false;
    }
    for (std::int64_t i = 0; i < count; ++i) {
      check.Feed(reinterpret_cast<const char*>(buffer->data() + static_cast<std::size_t>(i) * slotSize +
                                               kSlotHeaderSize));
    }
    first += count;
  }
  *ordered = check.Ordered();
  return true;
}

// The (code, key) records of one kind of sound code, ascending, with the prefix sums of the keys'
// slots.
template <typename CodesOf>
void EncodeCodes(const std::vector<Key>& keys, CodesOf&& codesOf, std::string* out) {
  std::vector<std::pair<std::uint32_t, std::uint32_t>> records;
  for (std::size_t k = 0; k < keys.size(); ++k) {
    for (const std::uint32_t code : codesOf(SurnameOfKey(keys[k].text)))
      records.push_back({code, static_cast<std::uint32_t>(k)});
  }
  std::sort(records.begin(), records.end());
  std::uint32_t sum = 0;
  for (const auto& [code, key] : records) {
    PutFixed32(out, code);
    PutFixed32(out, key);
  }
  PutFixed32(out, 0);
  for (const auto& [code, key] : records) {
    sum += static_cast<std::uint32_t>(keys[key].end - keys[key].begin);
    PutFixed32(out, sum);
  }
}

// The file: the header, the sections in order, the block table.
void Assemble(const RollBinding& roll, std::vector<std::string>& sections, std::string* out) {
  CompanionHeader header;
  header.roll = roll;
  out->assign(kCompanionHeaderSize, '\0');
  for (int s = 0; s < kSectionCount; ++s) {
    header.sections[s] = {out->size(), sections[static_cast<std::size_t>(s)].size()};
    out->append(sections[static_cast<std::size_t>(s)]);
    std::string().swap(sections[static_cast<std::size_t>(s)]);
  }
  header.blockTableOffset = out->size();
  header.blockCount = BlockCountFor(header.blockTableOffset);
  std::string table;
  for (std::uint64_t b = 0; b < header.blockCount; ++b) {
    const std::uint64_t from = kCompanionHeaderSize + b * kCompanionBlockSize;
    const std::uint64_t size = std::min<std::uint64_t>(kCompanionBlockSize, header.blockTableOffset - from);
    PutFixed64(&table, CompanionChecksum(out->data() + from, static_cast<std::size_t>(size)));
  }
  header.blockTableChecksum = CompanionChecksum(table.data(), table.size());
  out->append(table);
  header.fileSize = out->size();
  header.Encode(reinterpret_cast<unsigned char*>(out->data()));
}

}  // namespace

bool RollGeometry(const ReadOnlyFile& nameFile, std::int32_t* nameLength, std::int32_t* slotTotal) {
  const std::int64_t size = nameFile.Size();
  unsigned char trailer[kNameTrailerSize];
  if (size < kNameTrailerSize ||
      nameFile.ReadAt(size - kNameTrailerSize, trailer, sizeof trailer) != kNameTrailerSize) {
    return false;
  }
  const std::int32_t length = DecodeTrailer(trailer);
  if (!NameLengthUsable(length)) return false;
  const std::int64_t slots = (size - kNameTrailerSize) / (length + kSlotHeaderSize);
  *nameLength = length;
  *slotTotal = slots > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(slots);
  return true;
}

bool BindRoll(const RollFilesView& roll, RollBinding* out, std::string* error) {
  if (!roll.name || !roll.line || !roll.index || !roll.name->IsOpen() || !roll.line->IsOpen() ||
      !roll.index->IsOpen()) {
    return Fail(error, "the roll's files are not open");
  }
  RollBinding b;
  b.name = BoundFile::Of(*roll.name);
  b.line = BoundFile::Of(*roll.line);
  b.index = BoundFile::Of(*roll.index);
  if (b.name.length < 0 || b.line.length < 0 || b.index.length < 0)
    return Fail(error, "the roll's files cannot be told apart");
  if (!RollGeometry(*roll.name, &b.nameLength, &b.slotTotal))
    return Fail(error, "the name file has no usable trailer");
  if (!HashIndexFile(*roll.index, &b.indexHash)) return Fail(error, "the index file cannot be read whole");
  *out = b;
  return true;
}

bool BuildCompanion(const RollFilesView& roll, const CompanionProgress& progress, std::string* out,
                    std::string* error, CompanionStats* stats) {
  RollBinding binding;
  if (!BindRoll(roll, &binding, error)) return false;
  if (binding.slotTotal > kMaxCompanionSlots) {
    return Fail(error, "the roll has more than " + std::to_string(kMaxCompanionSlots) + " slots");
  }
  std::vector<Key> keys;
  if (!ReadKeys(*roll.index, &keys, error)) return false;
  for (Key& k : keys) {
    std::int64_t begin = k.firstSlot;
    std::int64_t end = begin + k.slotCount;
    if (begin < 0 || begin >= binding.slotTotal) begin = end = 0;
    end = std::clamp<std::int64_t>(end, begin, binding.slotTotal);
    k.begin = static_cast<std::int32_t>(begin);
    k.end = static_cast<std::int32_t>(end);
  }

  std::vector<std::uint32_t> column;
  GroupPass pass(roll, binding.nameLength, binding.slotTotal);
  if (!pass.Run(progress, &column, error)) return false;

  // The groups in their order, (unit text, side, company), and the dictionaries of their texts.
  std::vector<std::string> unitTexts, companies, words;
  for (const Group& g : pass.groups) {
    unitTexts.emplace_back(pass.Unit(g));
    companies.emplace_back(pass.Company(g));
  }
  for (auto* texts : {&unitTexts, &companies}) {
    std::sort(texts->begin(), texts->end());
    texts->erase(std::unique(texts->begin(), texts->end()), texts->end());
  }
  std::vector<std::vector<std::string>> wordsOfUnit(unitTexts.size());
  for (std::size_t u = 0; u < unitTexts.size(); ++u) {
    wordsOfUnit[u] = UnitWords(unitTexts[u]);
    words.insert(words.end(), wordsOfUnit[u].begin(), wordsOfUnit[u].end());
  }
  std::sort(words.begin(), words.end());
  words.erase(std::unique(words.begin(), words.end()), words.end());
  std::vector<std::vector<std::uint32_t>> unitWords(unitTexts.size());
  for (std::size_t u = 0; u < unitTexts.size(); ++u) {
    for (const std::string& w : wordsOfUnit[u]) unitWords[u].push_back(PositionIn(words, w));
  }
  wordsOfUnit.clear();

  const std::size_t groupCount = pass.groups.size();
  std::vector<std::uint32_t> order(groupCount);
  std::iota(order.begin(), order.end(), 0u);
  if (companies.size() > kMaxCompanies)
    return Fail(error, "the roll has too many distinct companies for a companion");
  // Each group's unit and company as positions in the dictionaries, which are in text order.
  std::vector<std::uint32_t> unitOf(groupCount), companyOf(groupCount);
  for (std::size_t g = 0; g < groupCount; ++g) {
    unitOf[g] = PositionIn(unitTexts, pass.Unit(pass.groups[g]));
    companyOf[g] = PositionIn(companies, pass.Company(pass.groups[g]));
  }
  const auto orderOf = [&](std::uint32_t g) {
    return std::make_tuple(unitOf[g], static_cast<unsigned char>(pass.groups[g].side), companyOf[g]);
  };
  std::sort(order.begin(), order.end(),
            [&](std::uint32_t a, std::uint32_t b) { return orderOf(a) < orderOf(b); });
  std::vector<std::uint32_t> rank(groupCount);
  std::vector<GroupRecord> records(groupCount);
  for (std::size_t r = 0; r < groupCount; ++r) {
    const Group& g = pass.groups[order[r]];
    rank[order[r]] = static_cast<std::uint32_t>(r);
    records[r].unit = unitOf[order[r]];
    records[r].company = companyOf[order[r]];
    records[r].side = static_cast<std::uint8_t>(g.side);
    records[r].entries = g.entries;
  }
  for (std::uint32_t& g : column) g = rank[g];

  // Each group's slots, ascending: a counting sort of the slots by group.
  std::string slotLists;
  {
    std::vector<std::uint64_t> start(groupCount + 1, 0);
    for (std::size_t r = 0; r < groupCount; ++r) start[r + 1] = start[r] + records[r].entries;
    std::vector<std::uint32_t> slots(column.size());
    std::vector<std::uint64_t> next(start.begin(), start.end() - 1);
    for (std::size_t s = 0; s < column.size(); ++s) slots[next[column[s]]++] = static_cast<std::uint32_t>(s);
    for (std::size_t r = 0; r < groupCount; ++r) {
      if (slotLists.size() > UINT32_MAX)
        return Fail(error, "the roll's slot lists are too large for a companion");
      records[r].listOffset = static_cast<std::uint32_t>(slotLists.size());
      std::uint32_t previous = 0;
      for (std::uint64_t i = start[r]; i < start[r + 1]; ++i) {
        PutVarint(&slotLists, slots[i] - previous);
        previous = slots[i];
      }
    }
  }
  if (progress && !progress(85)) return Fail(error, "cancelled");

  // Per key: its record, its counts and whether its names are in order.
  std::string keyRecords, keyText, keyCounts, keyTotals;
  KeyCounter counter(groupCount, companies.size(), words.size());
  std::int64_t wordBudget = kMaxWordCounts;
  std::int64_t slotBudget = 4 * static_cast<std::int64_t>(binding.slotTotal) + (1 << 20);
  std::vector<unsigned char> nameBuffer(kSlotChunkSize);
  std::uint32_t total = 0;  // at most the slot budget below, within 32 bits
  for (const Key& k : keys) {
    slotBudget -= k.end - k.begin;
    if (slotBudget < 0) return Fail(error, "the index's runs of slots overlap too much for a companion");
    KeyRecord record;
    record.firstSlot = k.firstSlot;
    record.slotCount = k.slotCount;
    record.textOffset = static_cast<std::uint32_t>(keyText.size());
    // A padded key is kept as its surname; the reader pads it again.
    const std::string_view text = SurnameOfKey(k.text);
    record.textLength = static_cast<std::uint8_t>(text.size());
    record.countsOffset = static_cast<std::uint32_t>(keyCounts.size());
    bool ordered = false;
    if (!NamesOrdered(*roll.name, binding.nameLength, k.begin, k.end, &nameBuffer, &ordered)) {
      return Fail(error, "the name file cannot be read whole");
    }
    record.flags = static_cast<std::uint8_t>((ordered ? kKeyNamesOrdered : 0) |
                                             (text.size() != k.text.size() ? kKeyPadded : 0));
    if (!counter.Count(column, k.begin, k.end, records, unitWords, &wordBudget, &keyCounts)) {
      return Fail(error, "the roll's units hold too many words for a companion");
    }
    record.Encode(&keyRecords);
    keyText += text;
    PutFixed32(&keyTotals, total);
    total += static_cast<std::uint32_t>(k.end - k.begin);
  }
  PutFixed32(&keyTotals, total);
  if (progress && !progress(95)) return Fail(error, "cancelled");

  std::string groupSection, slotGroups, soundex, dm;
  for (const GroupRecord& r : records) r.Encode(&groupSection);
  const int width = groupCount <= 0x100 ? 1 : groupCount <= 0x10000 ? 2 : groupCount <= 0x1000000 ? 3 : 4;
  slotGroups.assign(kSlotGroupsPrefix, '\0');
  slotGroups[0] = static_cast<char>(width);
  slotGroups.reserve(kSlotGroupsPrefix + column.size() * static_cast<std::size_t>(width));
  for (const std::uint32_t g : column) {
    for (int b = 0; b < width; ++b) slotGroups.push_back(static_cast<char>(g >> (8 * b)));
  }
  std::vector<std::uint32_t>().swap(column);
  EncodeCodes(
      keys,
      [](std::string_view surname) {
        SoundexCode codes[kMaxSoundexCodes];
        const int n = SurnameSoundexCodes(surname, codes);
        return std::vector<std::uint32_t>(codes, codes + n);
      },
      &soundex);
  EncodeCodes(
      keys,
      [](std::string_view surname) {
        DmCode codes[kMaxDmCodes];
        const int n = DaitchMokotoffCodes(surname, codes);
        return std::vector<std::uint32_t>(codes, codes + n);
      },
      &dm);

  // A roll that changed while it was read would be described wrongly: none is better.
  if (BoundFile::Of(*roll.name) != binding.name || BoundFile::Of(*roll.line) != binding.line ||
      BoundFile::Of(*roll.index) != binding.index) {
    return Fail(error, "the roll changed while it was read");
  }
  std::vector<std::string> sections(kSectionCount);
  auto section = [&](CompanionSection s) -> std::string& { return sections[static_cast<std::size_t>(s)]; };
  section(CompanionSection::kKeys) = std::move(keyRecords);
  section(CompanionSection::kKeyText) = std::move(keyText);
  section(CompanionSection::kKeyTotals) = std::move(keyTotals);
  section(CompanionSection::kKeyCounts) = std::move(keyCounts);
  EncodeDictionary(unitTexts, &section(CompanionSection::kUnitTexts));
  EncodeDictionary(companies, &section(CompanionSection::kCompanies));
  EncodeDictionary(words, &section(CompanionSection::kWords));
  section(CompanionSection::kGroups) = std::move(groupSection);
  section(CompanionSection::kSlotLists) = std::move(slotLists);
  section(CompanionSection::kSlotGroups) = std::move(slotGroups);
  section(CompanionSection::kSoundex) = std::move(soundex);
  section(CompanionSection::kDmCodes) = std::move(dm);
  Assemble(binding, sections, out);
  if (stats) {
    stats->keys = static_cast<std::int64_t>(keys.size());
    stats->slots = binding.slotTotal;
    stats->groups = static_cast<std::int64_t>(groupCount);
    stats->unitTexts = static_cast<std::int64_t>(unitTexts.size());
    stats->bytes = static_cast<std::int64_t>(out->size());
  }
  if (progress) progress(100);
  return true;
}
