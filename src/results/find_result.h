// The result of a search that looks beyond one exact key or narrows by an entry's fields: the
// runs of passed of every key it found, in the order the rows are listed (the typed surname's own
// key first, then key order), and, when it was narrowed (a given name or a filter), the passed that
// passed, 4 bytes each. It holds everything its rows need to name their own surname, so it stays
// whole whatever happens to the catalogue it came from. It never writes a file.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "results/entry_filter.h"
#include "store/surname_match.h"

// How a search finds its surnames and which entries it keeps.
struct FindOptions {
  MatchMode mode = MatchMode::kExact;
  EntryFilter filter;
};

// Told how far a long search has come (percent); returns false to stop it.
using FindProgress = std::function<bool(int percent)>;

enum class FindOutcome {
  kShown,      // the result list holds the new result
  kCancelled,  // stopped by the progress callback: the result list is as it was
  kNoData,     // the disk prompt was cancelled or the files could not be opened: an empty result
};

struct FoundSpan {
  std::int32_t firstSlot = 0;
  std::int32_t slotCount = 0;
  std::int32_t detail = -1;  // why the key matched (store/surname_match.h)
  std::string_view key;      // the index key (held by the result)
  std::string_view surname;  // the key's surname, as each of its rows shows it (held by the result)
};

class FindResult {
 public:
  FindResult(MatchMode how, bool narrowedByFields) : mode(how), narrowed(narrowedByFields) {}

  // A key found: all of its slots belong to the result, unless the result is narrowed, when only
  // the slots given to AddMatch before the next span do (a span without any is dropped). The
  // result keeps its own copy of the key's text (its first `surnameLength` bytes are the surname).
  void AddSpan(std::int32_t firstSlot, std::int32_t slotCount, std::int32_t detail, std::string_view key,
               std::size_t surnameLength);
  void AddMatch(std::int32_t slot);
  // Closes the last span (drops it when narrowed and without matches).
  void EndSpan();

  std::int64_t Count() const { return ends.empty() ? 0 : ends.back(); }
  // The slot at position `position` (0 <= position < Count()) and its span.
  void At(std::int64_t position, std::int32_t* slot, std::size_t* span) const;
  std::size_t SpanCount() const { return spans.size(); }
  FoundSpan Span(std::size_t i) const;
  MatchMode Mode() const { return mode; }
  bool Narrowed() const { return narrowed; }
  // Bytes held, for the memory budget.
  std::size_t Bytes() const;

 private:
  MatchMode mode;
  bool narrowed;
  struct Stored {
    std::int32_t firstSlot;
    std::int32_t slotCount;
    std::int32_t detail;
    std::uint32_t keyOffset;
    std::uint8_t keyLength;
    std::uint8_t surnameLength;
  };
  std::vector<Stored> spans;
  std::string keys;                  // the spans' keys, one after another
  std::vector<std::int64_t> ends;    // one past each span's last position
  std::vector<std::uint32_t> passed;  // narrowed: the passed that passed, in order
};
