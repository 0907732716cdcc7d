// Answers from a roll's companion index (store/companion_format.h): what a search over many
// entries needs without reading them: a key's run and name order, counts of a key's entries by
// side, company or state, the entries of a range of slots that pass a filter, a unit's roster,
// the keys under a sound code and the prefix sums of the keys' slots.
//
// Opening checks the header, the block table and the binding to the roll: a companion of another
// roll, of another state of its files (even one of the same sizes and times, through the index
// file's hash), truncated, or damaged in its header is refused with a reason. A block is checked
// when it is first read; a block found damaged then makes that question and every later one
// answer false (Failed), and the caller answers from the roll instead. Every count and offset
// read from the file is checked against the space it claims, so no bytes make a read go outside
// the file, a loop run unbounded or an allocation grow past the file's size.
//
// Not thread-safe: one reader serves one thread at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/file_system.h"
#include "store/companion_builder.h"
#include "store/companion_format.h"
#include "store/key_run_table.h"
#include "store/packed_slots.h"
#include "store/slot_group_column.h"

// A filter on an entry's side, state, unit and company, its texts normalised as a search's filter
// normalises them: the side upper-cased, the state and the company trimmed of blanks and tabs and
// upper-cased, the unit upper-cased (not trimmed). An empty text (side 0) asks nothing.
struct CompanionFilter {
  char side = 0;
  std::string state;
  std::string unit;
  std::string company;

  static CompanionFilter From(char side, std::string_view state, std::string_view unit,
                              std::string_view company);
  bool Active() const { return side != 0 || !state.empty() || !unit.empty() || !company.empty(); }
  // How many of side, state, unit and company it asks about.
  int Criteria() const;
};

struct CompanionKey {
  std::string_view text;       // the key as the index stores it; valid until the next call
  std::int32_t firstSlot = 0;  // as the index says
  std::int32_t slotCount = 0;
  std::int32_t begin = 0;  // the run cut to the name file, as a search cuts it
  std::int32_t end = 0;
  bool namesOrdered = false;  // the run's names are in the order of store/name_order.h
};

struct CompanionGroup {
  std::string_view unit;  // the unit field as stored; valid while the reader lives
  char side = 0;
  std::string_view company;  // trimmed, upper-cased
  std::uint32_t entries = 0;
};

class CompanionReader {
 public:
  CompanionReader() = default;
  CompanionReader(const CompanionReader&) = delete;
  CompanionReader& operator=(const CompanionReader&) = delete;

  // Takes the open companion `file` for the roll whose three files are open in `roll`. False with
  // *reason when it is not a companion of those files as they are now. The index file is hashed
  // (after its identity and the other files' matched) unless `indexHash` gives its hash, which the
  // caller may have had to make anyway.
  bool Open(ReadOnlyFile file, const RollFilesView& roll, std::string* reason,
            const IndexHash* indexHash = nullptr);
  // The same against a binding already known (BindRoll's).
  bool Open(ReadOnlyFile file, const RollBinding& roll, std::string* reason);

  bool IsOpen() const { return file.IsOpen(); }
  // Whether a question found damage since the open; Problem() says what.
  bool Failed() const { return failed; }
  const std::string& Problem() const { return problem; }
  // Reads and checks every block (what a question would find damaged, found at once).
  bool VerifyAll();

  // --- Keys, in the index's key order ---
  std::size_t KeyCount() const { return keyCount; }
  bool Key(std::size_t i, CompanionKey* out);
  // The position of `key` (as stored), or -1 (also when a read failed).
  std::int64_t FindKey(std::string_view key);
  // Positions [*from, *to) of the keys that begin with `prefix` (compared as stored bytes).
  bool KeysWithPrefix(std::string_view prefix, std::size_t* from, std::size_t* to);
  // The slots of keys [from, to) that searches list (each run cut to the name file): prefix sums.
  bool SlotsOfKeys(std::size_t from, std::size_t to, std::uint64_t* slots);
  // Every key with its run and the running totals, read whole (about 40 bytes a key), checked; null
  // when a read failed or the keys are not as the format draws them.
  std::shared_ptr<const KeyRunTable> LoadKeyTable();
  // Every slot's group, read whole (1 to 4 bytes a slot), checked; null when a read failed or a
  // slot names no group.
  std::shared_ptr<const SlotGroupColumn> LoadSlotGroups();
  // Whether each group's entries pass `filter` (one byte a group, made once a filter).
  std::shared_ptr<const std::vector<std::uint8_t>> GroupVerdicts(const CompanionFilter& filter);
  // The names kept of key `key`'s run (kNameSamples: folded, L bytes each, of every
  // kCompanionSampleStep-th slot from its begin) into *out; empty when none are kept, as for a
  // short run or one out of order.
  bool NameSamples(std::size_t key, std::string* out);
  // The slots of key `key`'s run whose side is `side` (as a filter reads it), ascending: as stored
  // (checked as they are unpacked: store/packed_slots.h), or appended to *out.
  bool SideList(std::size_t key, char side, PackedSlots* out);
  bool SideSlots(std::size_t key, char side, std::vector<std::int32_t>* out);
  // How many entries of key `key`'s run pass `filter`: from the key's counts when it asks about
  // one of side, state and company, else from the slots' groups.
  bool CountOfKey(std::size_t key, const CompanionFilter& filter, std::int64_t* count);

  // --- Slots ---
  // The entries of the slots [begin, end) that pass `filter`, in slot order: `skip` of them passed
  // over, then at most `limit` appended to *page; *count (when given) gets how many pass in all.
  bool PassingSlots(std::int32_t begin, std::int32_t end, const CompanionFilter& filter, std::int64_t skip,
                    std::size_t limit, std::vector<std::int32_t>* page, std::int64_t* count = nullptr);
  // How many entries of the whole roll pass `filter` (any combination: a sum over the groups).
  bool CountOfRoll(const CompanionFilter& filter, std::int64_t* count);

  // --- Units: groups of the entries that share a unit field, a side and a company ---
  std::size_t GroupCount() const { return groupCount; }
  bool Group(std::size_t g, CompanionGroup* out);
  // Groups [*from, *to) of unit field `unit` (as stored) and `side`, in company order.
  bool UnitGroups(std::string_view unit, char side, std::size_t* from, std::size_t* to);
  // `skip` slots of group `g` passed over, then at most `limit` appended to *out, ascending.
  bool GroupSlots(std::size_t g, std::int64_t skip, std::size_t limit, std::vector<std::int32_t>* out);
  // A unit's roster: the entries of `unit` and `side`, of company `company` (trimmed,
  // upper-cased) or, when null, of every company in company order, each company's in slot order;
  // `skip` passed over, at most `limit` appended to *page, and *count the roster's size.
  bool Roster(std::string_view unit, char side, const std::string_view* company, std::int64_t skip,
              std::size_t limit, std::vector<std::int32_t>* page, std::int64_t* count);
  // The unit fields that read as unit text `unitText` (a roster's: store/unit_roster.h), as their
  // positions among UnitText's, ascending. A field that reads as itself is found by a bisection;
  // the few others are read once a companion into a table of their unit texts.
  bool UnitFieldsReadingAs(std::string_view unitText, std::vector<std::size_t>* out);
  // The unit fields of the roll, ascending.
  std::size_t UnitTextCount();
  std::string_view UnitText(std::size_t u);

  // --- Sound codes ---
  // The keys filed under Soundex code `code` (either of a key's codes), ascending, and the sum of
  // their slots.
  bool KeysWithSoundex(std::uint32_t code, std::vector<std::uint32_t>* keys, std::uint64_t* slots);
  bool KeysWithDmCode(std::uint32_t code, std::vector<std::uint32_t>* keys, std::uint64_t* slots);

 private:
  bool Fail(std::string text);
  // Bytes [offset, offset + size) of the file, through checked blocks.
  bool Read(std::uint64_t offset, std::size_t size, void* out);
  bool ReadSection(CompanionSection s, std::uint64_t offset, std::size_t size, void* out);
  // The same, checked block by block but not kept: bytes read once into a table of their own.
  bool ReadOnce(std::uint64_t offset, std::size_t size, void* out);
  bool ReadSectionOnce(CompanionSection s, std::uint64_t offset, std::size_t size, void* out);
  // Block `b`, checked; `wanted`: how many blocks from `b` on the read needs.
  const std::vector<unsigned char>* Block(std::uint64_t b, std::uint64_t wanted);
  bool LoadDictionary(CompanionSection s, Dictionary* d, bool* loaded);
  // Passes answers for the filter prepared last.
  bool PrepareFilter(const CompanionFilter& filter);
  bool Passes(std::uint32_t g, bool* passes);
  bool Codes(CompanionSection s, std::uint32_t code, std::vector<std::uint32_t>* keys, std::uint64_t* slots);
  bool KeyText(std::size_t i, std::string* out);

  ReadOnlyFile file;
  CompanionHeader header;
  std::vector<std::uint64_t> blockSums;
  std::unordered_map<std::uint64_t, std::vector<unsigned char>> blocks;
  std::vector<unsigned char> listChunk;  // GroupSlots' bytes, kept for the next list
  std::size_t keyCount = 0;
  std::size_t groupCount = 0;
  int slotWidth = 0;
  bool failed = false;
  std::string problem;
  std::string keyScratch;

  // The groups' records, read whole when first asked for (16 bytes a group).
  bool LoadGroups();
  std::vector<GroupRecord> groupRecords;
  bool groupsLoaded = false;

  // The unit fields that do not read as themselves, by the unit text they read as.
  std::vector<std::pair<std::string, std::uint32_t>> unevenUnits;
  bool unevenUnitsLoaded = false;
  Dictionary unitTexts, companies, words;
  bool unitsLoaded = false, companiesLoaded = false, wordsLoaded = false;
  // The filter asked last: the company it wants by number (-1: any), and whether each unit field
  // passes its state and unit texts (-1: not yet known).
  CompanionFilter passFilter;
  bool filterReady = false;
  std::int64_t wantedCompany = -1;
  std::vector<std::int8_t> unitPasses;
  std::vector<std::int8_t> groupPasses;  // per group: -1 not yet known, 0 fails, 1 passes
  // The counts of key keyCountsOf (-1: none) by side, company and word, ids ascending.
  struct IdCount {
    std::uint64_t id;
    std::uint64_t entries;
  };
  bool LoadKeyCounts(std::size_t key);
  std::vector<IdCount> keyCounts[3];
  std::int64_t keyCountsOf = -1;
  // SideList's last list with bytes, and what it was asked for.
  PackedSlots lastSideList;
  std::size_t lastSideKey = 0;
  char lastSide = 0;
  // CountOfRoll's last sum, and the verdicts it was made of.
  std::shared_ptr<const std::vector<std::uint8_t>> rollCountVerdicts;
  std::int64_t rollCount = 0;
  // GroupVerdicts' last table, and its filter.
  CompanionFilter verdictFilter;
  std::shared_ptr<const std::vector<std::uint8_t>> verdicts;
};

// The first slot of [begin, end) for which `before(slot)` is false, given that it is true for the
// slots of a prefix of the range and false for the rest. In a run whose names are in order
// (namesOrdered), a given-name prefix's matches are [lower, upper): lower the bound for "sorts
// before the prefix", upper for "sorts before or with it". Looks at about log2(end - begin) slots.
template <typename Before>
std::int32_t OrderedBound(std::int32_t begin, std::int32_t end, Before&& before) {
  while (begin < end) {
    const std::int32_t mid = begin + (end - begin) / 2;
    if (before(mid)) {
      begin = mid + 1;
    } else {
      end = mid;
    }
  }
  return begin;
}
