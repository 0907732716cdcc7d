// The least an answer needs, for the bound the engine is measured against: the bytes it cannot do
// without, read through the best structure either side keeps (the engine's index and companion,
// the SQLite peer's aggregates), at the speed the page cache hands out bytes, plus the disk
// check's cost on the marker file. Each structure is charged only the few bytes that carry the
// answer (a count, a slot number, a key's place), never the pages or records around them, and
// everything else (the name file's trailer, the index header, the filter buffer, opening the
// roll's files, seeks, buffers) is left out, so no real program reaches the bound.
//
// Every rule is computed from the engine's real answer after the case ran: its count, its spans
// and the rows of the page it shows.
#pragma once

#include <cstdint>
#include <string>

class EngineScreen;
class RollDatabase;

struct AnswerBytes {
  std::int64_t nodes = 0;  // index nodes on the lookup path, the root included
  std::int64_t slots = 0;  // name-file slots the answer has to look at
  std::int64_t lines = 0;  // whole lines of the rows shown (or of the row More Info shows)
  std::int64_t lists = 0;  // stored counts and the slot numbers the answer takes from a stored list
  std::int64_t keys = 0;   // sorted key and code tables: the probes of a bisection, the keys read
  std::int64_t Total() const { return nodes + slots + lines + lists + keys; }
};

// What a stored count costs (one 8-byte number) and a slot number taken from a stored list.
inline constexpr std::int64_t kStoredCountBytes = 8;
inline constexpr std::int64_t kStoredSlotBytes = 4;
// A key's record, for its count and where its run starts (two 4-byte numbers); its surname text
// comes on top where a row shows it.
inline constexpr std::int64_t kKeyRecordBytes = 8;
// A Soundex code compared in a bisection of a table sorted by code.
inline constexpr std::int64_t kCodeProbeBytes = 4;

// The fewest entries a bisection of `n` sorted entries looks at before it knows where a value
// stands: floor(log2(n + 1)) (0 for none). A bisection that halves the part left at each look
// cannot do with fewer, however the comparisons fall.
std::int64_t BisectionProbes(std::int64_t n);

// Whether the names of the `count` slots from `first` stand in the order a given-name prefix can
// be bisected in (store/name_order.h), as `rollkit build` writes them. Reads every slot: it is
// for setting a case up, not for timing.
bool RunInNameOrder(RollDatabase& database, std::int32_t first, std::int32_t count);

// After `screen` searched `surname`: the lookup path's nodes and the first page's slots and
// lines. A given name (`filtered`) adds what finding its matches needs: in a run whose names are
// in order, a bisection of the run's slots to where the prefix's names start and, when there are
// any, one to where they end (the count is the distance between the two: no slot more); in a run
// in no order, every slot of the run, since each name must be looked at.
AnswerBytes SearchAnswerBytes(EngineScreen& screen, const std::string& surname, bool filtered);
// After a page turn: the page's slots and lines (the matches are known from the search).
AnswerBytes PageAnswer(EngineScreen& screen);
// After `screen` showed a roster's first page (`whole`: and then walked every row): the best a
// stored list of the unit's entries in roster order allows, its count (8 bytes) and the slot
// number of each row taken (4 bytes), then each such row's slot and whole line.
AnswerBytes RosterAnswer(EngineScreen& screen, bool whole);
// More Info on row `row`: its line.
AnswerBytes DetailAnswer(EngineScreen& screen, int row);

// The Find cases, each after `screen` showed the case's first page. Every one ends with that page:
// its rows' slots and lines, and for each key the page's rows come from, its record and surname
// text (a row names its own surname), unless the rule has read that key already.
//
// Sounds like: the typed surname's code found by bisecting a table of the roll's distinct Soundex
// codes (a code per probe), the code's stored total (the peer keeps one per code; the companion
// two prefix sums), then the page.
AnswerBytes SoundexAnswer(EngineScreen& screen);
// Similar spelling: no structure either side keeps answers it, so every surname of the roll is
// read once (its text, no padding), and each matching key's record for the count; then the page.
AnswerBytes SimilarAnswer(EngineScreen& screen);
// A wildcard pattern: its fixed start (up to the first `*` or `?`) found by two bisections of the
// sorted keys (each probe the key's 4-byte place and as many of its bytes as the start has). A
// pattern that is that start and one `*` is counted from two stored prefix sums (`*` alone: the
// roll's stored total, no bisection); any other pattern must test every key that begins with the
// start (its text and record). Then the page.
AnswerBytes WildcardAnswer(EngineScreen& screen, const std::string& pattern);
// A filter on the entries' fields over `surname` (a surname, or "*" for the whole roll): the
// surname's lookup path, then the best a stored list of the entries that pass allows: its count
// and the slot number of each row shown, then the page. The peer stores such a list and count for
// the side over a surname; the companion stores the count per surname and state. For a state's
// page, or a unit text over the whole roll, neither keeps such a list, so this is less than either
// can read.
AnswerBytes FilterAnswer(EngineScreen& screen, const std::string& surname);

// The bound in nanoseconds: the bytes at `bytesPerSecond`, plus the disk check's cost.
double BoundNs(const AnswerBytes& bytes, double bytesPerSecond, double openCloseNs);
