// Rolls for the companion index's tests: varied generated rolls (units, sides and companies
// written in every way a filter must read alike, lines short of fields), the three files opened
// as the engine opens them, and the answers of a full scan to compare the companion's with.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "store/companion_builder.h"
#include "store/entry_filter.h"
#include "support/test_roll.h"

// A filter asking for `side` (0: either), `state`, text in the unit and `company` ("": any).
EntryFilter Filter(char side, const std::string& state, const std::string& unit, const std::string& company);

// Adds `entries` entries drawn with `seed` to `roll` (not built).
void AddVariedEntries(TestRoll* roll, int entries, unsigned seed);
// Adds `entries` more of `surname`, their given names spread over the alphabet: a run long enough
// for the companion to keep names of.
void AddLongRun(TestRoll* roll, const std::string& surname, int entries, unsigned seed);

// The three files of the roll in `dataDir`, open.
struct OpenRoll {
  explicit OpenRoll(const std::string& dataDir);
  RollFilesView View() const { return {&name, &line, &index}; }
  ReadOnlyFile name, line, index;
};

// What a full scan of the roll finds, slot by slot, as the Find run reads each entry.
class RollScan {
 public:
  explicit RollScan(const std::string& dataDir);

  std::int32_t SlotTotal() const { return static_cast<std::int32_t>(lines.size()); }
  // The line of `slot` as a filter reads it.
  const std::string& Line(std::int32_t slot) const { return lines[static_cast<std::size_t>(slot)]; }
  std::string Name(std::int32_t slot) const;
  // The slots of [begin, end) that pass `filter`.
  std::vector<std::int32_t> Passing(std::int32_t begin, std::int32_t end, const EntryFilter& filter) const;
  // Whether the names of [begin, end) are in order (store/name_order.h).
  bool Ordered(std::int32_t begin, std::int32_t end) const;

  std::int32_t nameLength = 0;

 private:
  std::string nameBytes;
  std::vector<std::string> lines;
};
