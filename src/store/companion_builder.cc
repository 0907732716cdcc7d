#include "store/companion_builder.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <exception>
#include <memory>
#include <numeric>
#include <string_view>
#include <system_error>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/read_buffer.h"
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

// A group as found: its unit field and company (numbered in the order the pass met them), its side.
struct Group {
  std::uint32_t unit;
  std::uint32_t company;
  char side;
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

// Texts found by their hashes, each given the next number: open addressing over a table kept at
// most half full, the texts in one arena. A roll has a few thousand unit fields and a few dozen
// companies, so the tables stay in the processor's cache.
class TextTable {
 public:
  TextTable() : table(1 << 8) {}

  // The number of `text`; a new one when it is new (false when the arena would grow past `limit`).
  bool Find(std::string_view text, std::size_t limit, std::uint32_t* id) {
    const std::uint64_t hash = CompanionChecksum(text.data(), text.size());
    const std::size_t mask = table.size() - 1;
    std::size_t at = static_cast<std::size_t>(hash) & mask;
    for (; table[at].id != 0; at = (at + 1) & mask) {
      if (table[at].hash == hash && Text(table[at].id - 1) == text) {
        *id = table[at].id - 1;
        return true;
      }
    }
    if (arena.size() + text.size() > limit || places.size() >= UINT32_MAX / 2) return false;
    *id = static_cast<std::uint32_t>(places.size());
    places.push_back({static_cast<std::uint32_t>(arena.size()), static_cast<std::uint32_t>(text.size())});
    arena.append(text);
    table[at] = {hash, *id + 1};
    if (2 * places.size() > table.size()) Grow();
    return true;
  }
  std::string_view Text(std::uint32_t id) const {
    return std::string_view(arena).substr(places[id].first, places[id].second);
  }
  std::size_t Size() const { return places.size(); }
  std::size_t Bytes() const { return arena.size(); }

 private:
  struct Entry {
    std::uint64_t hash = 0;
    std::uint32_t id = 0;  // + 1; 0: empty
  };
  void Grow() {
    std::vector<Entry> old(table.size() * 2);
    old.swap(table);
    const std::size_t mask = table.size() - 1;
    for (const Entry& e : old) {
      if (e.id == 0) continue;
      std::size_t at = static_cast<std::size_t>(e.hash) & mask;
      while (table[at].id != 0) at = (at + 1) & mask;
      table[at] = e;
    }
  }
  std::vector<Entry> table;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> places;  // offset, length in the arena
  std::string arena;
};

// The groups of a range of slots, from one pass over the name file and the lines its slots point
// at: each slot's unit field and company numbered by text tables, then its group among the unit's
// few (side, company) pairs, kept side by side. Two passes over the two halves of a large roll run
// at once; the second's groups are then numbered as the first's (Merge).
class GroupPass {
 public:
  GroupPass(const RollFilesView& roll, std::int32_t nameLength)
      : files(roll), length(nameLength), lines(kLineBufferBytes) {
    lines.Attach(roll.line);
  }

  // Numbers the groups of slots [from, to) into column[from, to). Stops when `stop` is set, and
  // adds to `done` the slots it has looked at; `report` (may be empty) is called now and then.
  bool Run(std::int64_t from, std::int64_t to, std::uint32_t* column, const std::atomic<bool>& stop,
           std::atomic<std::int64_t>& done, const std::function<void()>& report, std::string* error) {
    const std::size_t slotSize = static_cast<std::size_t>(length) + kSlotHeaderSize;
    const std::size_t perChunk = kSlotChunkSize / slotSize;
    const ReadBuffer chunk(perChunk * slotSize);
    EntryAttributes attributes;
    for (std::int64_t first = from; first < to;) {
      if (stop) return Fail(error, "cancelled");
      const std::int64_t count = std::min<std::int64_t>(static_cast<std::int64_t>(perChunk), to - first);
      const std::size_t bytes = static_cast<std::size_t>(count) * slotSize;
      const std::int64_t offset = first * static_cast<std::int64_t>(slotSize);
      unsigned char* slots = chunk.At(offset);
      if (files.name->ReadAt(offset, slots, bytes) != static_cast<std::int64_t>(bytes)) {
        return Fail(error, "the name file cannot be read whole");
      }
      for (std::int64_t i = 0; i < count; ++i) {
        const SlotValue slot = DecodeSlot(slots + static_cast<std::size_t>(i) * slotSize, length);
        // The line as the Find run hands it to a filter: up to its LF, or nothing without one.
        std::string_view line;
        if (slot.lineOffset >= 0) {
          line = lines.View(slot.lineOffset, kLongestLine);
          line = line.substr(0, line.find(static_cast<char>(kLineFeed)) + 1);
        }
        AttributesOfLine(line, &attributes);
        if (!Find(attributes.unit, attributes.side, attributes.company, &column[first + i])) {
          return Fail(error, "the roll has too many distinct units and companies for a companion");
        }
      }
      first += count;
      done += count;
      if (report) report();
    }
    return true;
  }

  // Numbers the groups `other` found as this pass numbers them (adding those it lacks), and
  // renumbers column[from, to), which `other` filled.
  bool Merge(const GroupPass& other, std::uint32_t* column, std::int64_t from, std::int64_t to,
             std::string* error) {
    std::vector<std::uint32_t> renumbered(other.groups.size());
    for (std::size_t g = 0; g < other.groups.size(); ++g) {
      const Group& o = other.groups[g];
      if (!Find(other.Unit(o), o.side, other.Company(o), &renumbered[g])) {
        return Fail(error, "the roll has too many distinct units and companies for a companion");
      }
    }
    for (std::int64_t s = from; s < to; ++s) column[s] = renumbered[column[s]];
    return true;
  }

  std::string_view Unit(const Group& g) const { return units.Text(g.unit); }
  std::string_view Company(const Group& g) const { return companies.Text(g.company); }

  std::vector<Group> groups;

 private:
  bool Find(std::string_view unitText, char side, std::string_view companyText, std::uint32_t* id) {
    std::uint32_t unit = 0, company = 0;
    const std::size_t room =
        kMaxGroupTextBytes - std::min(kMaxGroupTextBytes, units.Bytes() + companies.Bytes());
    if (!units.Find(unitText, room, &unit) || !companies.Find(companyText, room, &company) ||
        company >= kMaxCompanies) {
      return false;
    }
    if (unit >= variants.size()) variants.resize(unit + 1);
    // Side and company in one word, so that a unit's pairs are searched a word at a time.
    const std::uint32_t key = company | (static_cast<std::uint32_t>(static_cast<unsigned char>(side)) << 24);
    for (const auto& [k, g] : variants[unit]) {
      if (k == key) {
        *id = g;
        return true;
      }
    }
    if (groups.size() >= kMaxGroups) return false;
    *id = static_cast<std::uint32_t>(groups.size());
    groups.push_back({unit, company, side});
    variants[unit].push_back({key, *id});
    return true;
  }

  RollFilesView files;
  std::int32_t length;
  ReadCursor lines;
  TextTable units, companies;
  std::vector<std::vector<std::pair<std::uint32_t, std::uint32_t>>>
      variants;  // per unit: (side and company, group)
};

// What a key's entries hold, counted over its run: by side, company and state word.
class KeyCounter {
 public:
  KeyCounter(std::size_t groupCount, std::size_t companyCount, std::size_t wordCount)
      : inGroup(groupCount, 0), byCompany(companyCount, 0), byWord(wordCount, 0) {}

  // Appends to *out the counts of the slots [begin, end) of `column`.
  // A unit's words are wordList[wordStart[u], wordStart[u + 1]).
  bool Count(const std::vector<std::uint32_t>& column, std::int32_t begin, std::int32_t end,
             const std::vector<GroupRecord>& records, const std::vector<std::uint32_t>& wordStart,
             const std::vector<std::uint32_t>& wordList, std::int64_t* wordBudget, std::string* out) {
    for (std::int32_t s = begin; s < end; ++s) {
      const std::uint32_t g = column[static_cast<std::size_t>(s)];
      if (inGroup[g]++ == 0) touched.push_back(g);
    }
    sides.clear();
    companies.clear();
    words.clear();
    for (const std::uint32_t g : touched) {
      const GroupRecord& r = records[g];
      const std::uint32_t n = inGroup[g];
      inGroup[g] = 0;
      if (bySide[r.side] == 0) sides.push_back(r.side);
      bySide[r.side] += n;
      if (byCompany[r.company] == 0) companies.push_back(r.company);
      byCompany[r.company] += n;
      *wordBudget -= wordStart[r.unit + 1] - wordStart[r.unit];
      for (std::uint32_t w = wordStart[r.unit]; w < wordStart[r.unit + 1]; ++w) {
        const std::uint32_t word = wordList[w];
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
  std::vector<std::uint32_t> touched, sides, companies, words;
};

// Whether the names of the slots [begin, end) are in the order store/name_order.h describes, and
// when they are, the folded names of every kCompanionSampleStep-th slot appended to *samples.
bool NamesOrdered(const ReadOnlyFile& nameFile, std::int32_t nameLength, std::int32_t begin, std::int32_t end,
                  const ReadBuffer& buffer, bool* ordered, std::string* samples) {
  static_assert(kNameSampleStep == kCompanionSampleStep, "the engine keeps the names the companion keeps");
  const std::size_t slotSize = static_cast<std::size_t>(nameLength) + kSlotHeaderSize;
  const std::int64_t perChunk = static_cast<std::int64_t>(buffer.Capacity() / slotSize);
  NameOrderCheck check(nameLength);
  for (std::int64_t first = begin; first < end && check.Ordered();) {
    const std::int64_t count = std::min<std::int64_t>(perChunk, end - first);
    const std::size_t bytes = static_cast<std::size_t>(count) * slotSize;
    const std::int64_t offset = first * static_cast<std::int64_t>(slotSize);
    unsigned char* slots = buffer.At(offset);
    if (nameFile.ReadAt(offset, slots, bytes) != static_cast<std::int64_t>(bytes)) {
      return false;
    }
    for (std::int64_t i = 0; i < count; ++i) {
      check.Feed(
          reinterpret_cast<const char*>(slots + static_cast<std::size_t>(i) * slotSize + kSlotHeaderSize));
    }
    first += count;
  }
  *ordered = check.Ordered();
  if (*ordered) samples->append(check.TakeSamples());
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
// Appends the slots of the run [begin, end) by side, as kSideLists holds them; `order` is scratch.
void EncodeSideLists(const std::vector<std::uint32_t>& column, const std::vector<GroupRecord>& records,
                     std::int32_t begin, std::int32_t end, std::vector<std::uint32_t>* order,
                     std::string* out) {
  std::uint32_t starts[257] = {};
  for (std::int32_t s = begin; s < end; ++s) ++starts[records[column[static_cast<std::size_t>(s)]].side + 1];
  int lists = 0;
  for (int side = 0; side < 256; ++side) {
    if (starts[side + 1] > 0) ++lists;
    starts[side + 1] += starts[side];
  }
  // One pass puts the slots in side order, each side's in slot order.
  order->resize(static_cast<std::size_t>(end - begin));
  std::uint32_t next[256];
  std::copy(starts, starts + 256, next);
  for (std::int32_t s = begin; s < end; ++s)
    (*order)[next[records[column[static_cast<std::size_t>(s)]].side]++] = static_cast<std::uint32_t>(s);
  PutVarint(out, static_cast<std::uint64_t>(lists));
  std::string deltas;
  for (int side = 0; side < 256; ++side) {
    if (starts[side + 1] == starts[side]) continue;
    deltas.clear();
    std::uint32_t previous = static_cast<std::uint32_t>(begin);
    for (std::uint32_t i = starts[side]; i < starts[side + 1]; ++i) {
      PutVarint(&deltas, (*order)[i] - previous);
      previous = (*order)[i];
    }
    out->push_back(static_cast<char>(side));
    PutVarint(out, starts[side + 1] - starts[side]);
    PutVarint(out, deltas.size());
    out->append(deltas);
  }
}

void Assemble(const RollBinding& roll, std::vector<std::string>& sections, std::string* out) {
  CompanionHeader header;
  header.roll = roll;
  out->assign(kCompanionHeaderSize, '\0');
  for (int s = 0; s < kSectionCount; ++s) {
    header.sections[s] = {out->size(), sections[static_cast<std::size_t>(s)].size()};
    out->append(sections[static_cast<std::size_t>(s)]);
    std::string().swap(sections[static_cast<std::size_t>(s)]);
  }
  SealCompanion(header, out);
}

// Every slot's group into *column, numbered by `pass`: a large roll in two halves at once.
bool GroupSlots(const RollFilesView& roll, const RollBinding& binding, const CompanionProgress& progress,
                std::int64_t twoThreadSlots, GroupPass* pass, std::vector<std::uint32_t>* column,
                std::string* error) {
  const std::int64_t total = binding.slotTotal;
  column->assign(static_cast<std::size_t>(total), 0);
  std::atomic<bool> stop = false;
  std::atomic<std::int64_t> done = 0;
  // Only this thread reports: the other one's progress shows in `done`.
  const std::function<void()> report = [&] {
    if (progress && !progress(static_cast<int>(done * 80 / (total > 0 ? total : 1)))) stop = true;
  };
  const std::int64_t half = total >= twoThreadSlots && total >= 2 ? total / 2 : total;
  GroupPass second(roll, binding.nameLength);
  std::string secondError;
  bool secondOk = true;
  std::thread helper;
  if (half < total) {
    try {
      helper = std::thread([&] {
        try {
          secondOk = second.Run(half, total, column->data(), stop, done, {}, &secondError);
        } catch (const std::exception&) {
          secondOk = false;
          secondError = "out of memory";
        }
        if (!secondOk) stop = true;
      });
    } catch (const std::system_error&) {
      return pass->Run(0, total, column->data(), stop, done, report, error);  // no second thread to be had
    }
  }
  bool ok = pass->Run(0, half, column->data(), stop, done, report, error);
  if (!ok) stop = true;
  if (helper.joinable()) helper.join();
  // The half that failed first says why; the other one was only stopped.
  if (!secondOk && (ok || (*error == "cancelled" && secondError != "cancelled")))
    ok = Fail(error, secondError);
  if (ok && half < total) ok = pass->Merge(second, column->data(), half, total, error);
  return ok;
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
                    std::string* error, CompanionStats* stats, std::int64_t twoThreadSlots) {
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
  GroupPass pass(roll, binding.nameLength);
  if (!GroupSlots(roll, binding, progress, twoThreadSlots, &pass, &column, error)) return false;

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
  std::vector<std::uint32_t> wordStart(unitTexts.size() + 1, 0), wordList;
  for (std::size_t u = 0; u < unitTexts.size(); ++u) {
    for (const std::string& w : wordsOfUnit[u]) wordList.push_back(PositionIn(words, w));
    wordStart[u + 1] = static_cast<std::uint32_t>(wordList.size());
  }
  wordsOfUnit.clear();

  const std::size_t groupCount = pass.groups.size();
  std::vector<std::uint32_t> entries(groupCount, 0);
  for (const std::uint32_t g : column) ++entries[g];
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
    records[r].entries = entries[order[r]];
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
  std::string keyRecords, keyText, keyCounts, keyTotals, sideStarts, sideLists, sampleStarts, nameSamples;
  std::string runSamples;
  const std::size_t length = static_cast<std::size_t>(std::max(binding.nameLength, 1));
  std::vector<std::uint32_t> sideOrder;
  KeyCounter counter(groupCount, companies.size(), words.size());
  std::int64_t wordBudget = kMaxWordCounts;
  std::int64_t slotBudget = 4 * static_cast<std::int64_t>(binding.slotTotal) + (1 << 20);
  const ReadBuffer nameBuffer(kSlotChunkSize);
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
    runSamples.clear();
    if (!NamesOrdered(*roll.name, binding.nameLength, k.begin, k.end, nameBuffer, &ordered, &runSamples)) {
      return Fail(error, "the name file cannot be read whole");
    }
    // The runs' slots are within the budget above, so the names kept are within 32 bits of count.
    PutFixed32(&sampleStarts, static_cast<std::uint32_t>(nameSamples.size() / length));
    if (ordered && RunIsSampled(k.end - k.begin)) nameSamples += runSamples;
    record.flags = static_cast<std::uint8_t>((ordered ? kKeyNamesOrdered : 0) |
                                             (text.size() != k.text.size() ? kKeyPadded : 0));
    if (!counter.Count(column, k.begin, k.end, records, wordStart, wordList, &wordBudget, &keyCounts)) {
      return Fail(error, "the roll's units hold too many words for a companion");
    }
    if (sideLists.size() > UINT32_MAX)
      return Fail(error, "the roll's slot lists are too large for a companion");
    PutFixed32(&sideStarts, static_cast<std::uint32_t>(sideLists.size()));
    EncodeSideLists(column, records, k.begin, k.end, &sideOrder, &sideLists);
    record.Encode(&keyRecords);
    keyText += text;
    PutFixed32(&keyTotals, total);
    total += static_cast<std::uint32_t>(k.end - k.begin);
  }
  PutFixed32(&keyTotals, total);
  if (sideLists.size() > UINT32_MAX)
    return Fail(error, "the roll's slot lists are too large for a companion");
  PutFixed32(&sideStarts, static_cast<std::uint32_t>(sideLists.size()));
  PutFixed32(&sampleStarts, static_cast<std::uint32_t>(nameSamples.size() / length));
  std::vector<std::uint32_t>().swap(sideOrder);
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
  section(CompanionSection::kSideStarts) = std::move(sideStarts);
  section(CompanionSection::kSideLists) = std::move(sideLists);
  section(CompanionSection::kSampleStarts) = std::move(sampleStarts);
  section(CompanionSection::kNameSamples) = std::move(nameSamples);
  Assemble(binding, sections, out);
  if (stats) {
    stats->keys = static_cast<std::int64_t>(keys.size());
    stats->slotCount = binding.slotTotal;
    stats->groups = static_cast<std::int64_t>(groupCount);
    stats->unitTexts = static_cast<std::int64_t>(unitTexts.size());
    stats->bytes = static_cast<std::int64_t>(out->size());
  }
  if (progress) progress(100);
  return true;
}
