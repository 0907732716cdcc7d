// The answer of a search: what the engine found, as a value. The engine makes it and lets go of
// it; the result list pages it (results/result_list.h), the walk over a whole result reads it
// (results/result_walk.h), rollkit prints it. Nothing in it points back into the engine, so it
// stays whole whatever happens to the database or the catalogue it came from.
//
// An answer lists slots of the name file in the order its rows are listed, in spans: one span per
// key found (its run of slots, in the order MatchKeys gives the keys: store/surname_match.h), each with the
// key's text and the surname its rows show. Every slot of a span belongs to the answer, unless the
// answer is narrowed (a given name, or a filter on the entries' fields): then only the slots
// picked while the span was the last one do, 4 bytes each, in slot order, or those of one window
// of its run (a given name's names in a run kept in name order), which costs nothing a slot, or
// those of one list a companion index keeps or finds (a filter over one key), made only as far as
// rows are asked for.
//
//   - The plain search (the exact key, no filter) has at most one span: the index's own run, cut
//     to the name file, its count the index's own (a negative one included: the count line says
//     "No records found."). With a given name it is narrowed to the slots the scan picked, and the
//     list writes those to the filter buffer as the program always has.
//   - Every other search (wildcards, the sound modes, similar spelling, filters) lists a span per
//     key; each of its rows names the surname of its own key.
//   - A search that finds every key of a range in key order (a wildcard that is a fixed start and
//     one `*`, on a roll with a companion index) may instead take the range of a shared key table
//     (store/key_run_table.h): the same spans, rows and counts, made a row at a time as they are
//     asked for, so that `*` costs two bisections, not a span per surname of the roll.
//   - A unit's roster from a companion index, on a roll whose keys' runs hold every slot one after
//     another, lists its rows' slots in its own order and takes the whole key table as its spans:
//     each row's key is a bisection of the table, made as the row is asked for.
//
// What comes next fits the same value, through At(): a unit's roster picks slots in an order of
// its own, each row naming its own surname; a search replayed from a research log is asked again
// from Request() and Options(); a companion index that knows where a given name's names stand in
// a run kept in name order answers with that window, every slot of which belongs.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "store/entry_filter.h"
#include "store/key_run_table.h"
#include "store/packed_slots.h"
#include "store/roll_status.h"
#include "store/search_request.h"
#include "store/slot_group_column.h"
#include "store/surname_match.h"
#include "store/unit_roster.h"

// How a search finds its surnames and which entries it keeps.
struct FindOptions {
  MatchMode mode = MatchMode::kExact;
  EntryFilter filter;
  // A given name also matches its abbreviations and nicknames (store/given_variants.h).
  bool givenVariants = false;
};

// Told how far a long search has come (percent); returns false to stop it.
using FindProgress = std::function<bool(int percent)>;

struct FoundSpan {
  std::int32_t firstSlot = 0;
  std::int32_t slotCount = 0;
  std::int32_t detail = -1;  // why the key matched (store/surname_match.h)
  std::string_view key;      // the index key (held by the answer)
  std::string_view surname;  // the key's surname, as each of its rows shows it (held by the answer)
};

class SearchAnswer {
 public:
  // An empty answer to `request` asked with `options`; `mode` is the mode the search ran in (a
  // typed * or ? makes wildcards of any chosen mode).
  SearchAnswer() = default;
  SearchAnswer(const SearchRequest& request, const FindOptions& options, MatchMode mode, bool narrowed);

  // --- Made by the engine's searches.

  // A key found: all of its slots belong to the answer, unless it is narrowed, when only the slots
  // given to AddMatch before the next span do (a span without any is dropped). The answer keeps its own copy
  // of the key's text (its first `surnameLength` bytes are the surname).
  void AddSpan(std::int32_t firstSlot, std::int32_t slotCount, std::int32_t detail, std::string_view key,
               std::size_t surnameLength);
  void AddMatch(std::int32_t slot);
  // In a narrowed answer, instead of picking: every slot of [first, first + count), a window of the
  // last span's run, belongs to it, in slot order (a given name's window of a run in name order).
  void AddWindow(std::int32_t first, std::int32_t count);
  // In a narrowed answer, instead of picking: the slots of `list`, a list of the last span's run as
  // the companion stores it, unpacked only as far as rows are asked for (from any thread). One
  // such span an answer; another's slots are picked.
  void AddPacked(PackedSlots list);
  // In a narrowed answer, instead of picking: the `count` slots of the last span's run [begin, end)
  // whose group `verdicts` passes, found in `column` only as far as rows are asked for (from any
  // thread), as the packed list is unpacked; there is one such span or packed list an answer.
  void AddScanned(std::shared_ptr<const SlotGroupColumn> column,
                  std::shared_ptr<const std::vector<std::uint8_t>> verdicts, std::int32_t begin,
                  std::int32_t end, std::int64_t count);
  // Closes the last span.
  void EndSpan();
  // Instead of spans, of an answer that is not narrowed and has none: every key of `table` at
  // positions [from, to), each a span with all of its run's slots (detail -1).
  void SetKeyRange(std::shared_ptr<const KeyRunTable> table, std::size_t from, std::size_t to);
  // The same for a narrowed answer whose range of keys holds every slot from the first key's run
  // to the last's, one run after another: of those slots, the `count` whose group `verdicts`
  // passes (a filter over every surname), found in `column` only as far as rows are asked for.
  // Each key of the range is a span, those without rows included. False, and nothing set, when
  // the range is not such.
  bool SetFilteredKeyRange(std::shared_ptr<const KeyRunTable> table, std::size_t from, std::size_t to,
                           std::shared_ptr<const SlotGroupColumn> column,
                           std::shared_ptr<const std::vector<std::uint8_t>> verdicts, std::int64_t count);
  // Instead of spans, of a narrowed answer that has none: the rows `slots`, in the order given,
  // each of the key of `table` whose run holds it; every key of the table is a span, those
  // without rows included (a unit's roster, listed from a companion index). False, and nothing
  // set, unless the table's runs tile the name file from slot 0 and each slot lies in one.
  bool SetListedRows(std::shared_ptr<const KeyRunTable> table, std::vector<std::uint32_t> slots);
  // The slots picked so far: a scan may append to it, then count what it appended from `from` on
  // into the last span with TakePicked (AddMatch does both for one slot).
  std::vector<std::uint32_t>& Picked() { return picked; }
  void TakePicked(std::size_t from);
  void SetStatus(RollStatus why) { status = std::move(why); }
  // The keys came from an index found damaged: those that could not be trusted were left out.
  void SetDamagedIndex(std::string indexFile) { damagedIndex = std::move(indexFile); }
  // The open file set the slots belong to (RollDatabase::Generation) and its database number.
  // The answer is the roster `asked` (store/unit_roster.h): never the plain search, whatever its
  // request says, and each row names its own key's surname.
  void SetRoster(const RosterRequest& asked) {
    roster = true;
    rosterRequest = asked;
  }
  void SetSource(int number, std::uint64_t openGeneration) {
    databaseNumber = number;
    generation = openGeneration;
  }

  // --- Read by whoever shows it.

  // Why the answer is empty, when something went wrong (RollStatus::Ok otherwise, a miss included).
  const RollStatus& Status() const { return status; }
  const SearchRequest& Request() const { return request; }
  const FindOptions& Options() const { return options; }
  MatchMode Mode() const { return mode; }
  // The search of the plain screen: the exact key, no filter (a given name may narrow it).
  bool Plain() const { return !roster && mode == MatchMode::kExact && !options.filter.Active(); }
  // Whether it is a unit's roster, and which.
  bool IsRoster() const { return roster; }
  const RosterRequest& Roster() const { return rosterRequest; }
  bool Narrowed() const { return narrowed; }
  // The index file, when the answer's keys came from a damaged index; "" otherwise.
  const std::string& DamagedIndex() const { return damagedIndex; }
  int DatabaseNumber() const { return databaseNumber; }
  std::uint64_t Generation() const { return generation; }

  // The rows: never negative, never more than the slots the spans hold.
  std::int64_t Count() const;
  // The slot of row `position` (0 <= position < Count()) and its span; -1 outside.
  void At(std::int64_t position, std::int32_t* slot, std::size_t* span) const;
  std::size_t SpanCount() const { return keyTable ? keyTo - keyFrom : spans.size(); }
  FoundSpan Span(std::size_t i) const;
  // Bytes held, for the memory budget.
  std::size_t Bytes() const;

 private:
  SearchRequest request;
  FindOptions options;
  MatchMode mode = MatchMode::kExact;
  bool narrowed = false;
  bool roster = false;
  RosterRequest rosterRequest;
  RollStatus status;
  std::string damagedIndex;
  int databaseNumber = 0;
  std::uint64_t generation = 0;

  struct Stored {
    std::int32_t firstSlot;
    std::int32_t slotCount;
    std::int32_t detail;
    std::uint32_t keyOffset;
    std::uint8_t keyLength;
    std::uint8_t surnameLength;
    std::uint32_t pickedFrom;  // narrowed: where its picked slots start in `picked`
    std::int32_t window;       // narrowed: the first slot of its window, -1 when it picks, -2 packed
  };
  static constexpr std::int32_t kPicks = -1;
  static constexpr std::int32_t kPacked = -2;
  // The packed span's list, or its run with the column and verdicts that find its slots, and what
  // of it is unpacked so far.
  struct Packed {
    PackedSlots list;
    std::shared_ptr<const SlotGroupColumn> column;  // set: the list's run is scanned, not unpacked
    std::shared_ptr<const std::vector<std::uint8_t>> verdicts;
    std::int64_t scanned = 0;  // scanning: the next slot of the run to look at
    std::mutex lock;
    std::size_t at = 0;
    std::vector<std::int32_t> unpacked;  // the slots unpacked so far
    bool broken = false;                 // its bytes ended early or went out of order: no rows past them
    std::int32_t SlotAt(std::int64_t offset);
  };
  bool TakesLazySpan(std::int64_t count) const;
  std::unique_ptr<Packed> packed;
  std::vector<Stored> spans;
  std::string keys;                   // the spans' keys, one after another
  std::vector<std::int64_t> ends;     // one past each span's last position
  std::vector<std::uint32_t> picked;  // narrowed: the slots that passed, in order, span by span
  // A range of a key table, in place of the spans above; `listed`: its rows are `picked`.
  std::shared_ptr<const KeyRunTable> keyTable;
  bool listed = false;
  std::size_t keyFrom = 0;
  std::size_t keyTo = 0;
};
