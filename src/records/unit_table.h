// The unit decoding table, generated at build time by derive_units.py from data/nps. Internal to
// records/: callers decode through unit_names.h.
#pragma once

#include <cstddef>

struct UnitTableRow {
  const char* shortForm;  // upper case, single blanks: "25 BTRY OH LT ART"
  const char* name;       // "25th Battery, Ohio Light Artillery"
  char sides;             // 'U', 'C', or 'B' when both sides had a unit of this short form
};

// Sorted by shortForm, byte by byte, each short form once.
extern const UnitTableRow kUnitTable[];
extern const std::size_t kUnitTableSize;
