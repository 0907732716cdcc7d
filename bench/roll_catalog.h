// What the benchmarks need to know about a built roll: every surname key with its slot run, in key
// order, from the one index walker; every entry with its name and line, for the SQLite copies;
// and the nodes a lookup has to read on its way down.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class RollIndex;

struct SurnameRun {
  std::string key;  // the index key as stored (upper case, space-padded)
  std::int32_t firstSlot = 0;
  std::int32_t slotCount = 0;
};

// Every key of `index` in ascending key order. False (with what could be read) when the walk met
// a damaged tree.
bool ListSurnameRuns(const RollIndex& index, std::vector<SurnameRun>* runs);

// One entry of a roll: its surname's run, its slot, the name text as stored and its whole line
// with the LF (as the line reader gives it: at most 4,999 bytes).
struct RollEntry {
  const SurnameRun* run;
  std::int32_t slot;
  std::string_view name;
  std::string_view line;
};

// Opens the roll in `rollDirectory` and calls `visit` for every entry, key by key in key order and
// slot by slot within a key, until `visit` returns false. `nameLength`, when given, receives the
// name file's L. False with *error when the roll cannot be opened or its index walked; false as
// well when `visit` stopped (*error is then the visitor's to set).
bool VisitRollEntries(const std::string& rollDirectory, const std::function<bool(const RollEntry&)>& visit,
                      std::string* error, std::int32_t* nameLength = nullptr);

// The number of index nodes a lookup of `key` visits, the root included.
int LookupDepth(RollIndex& index, const std::string& key);
