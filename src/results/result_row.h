// One row of a result page; the same fields as a record of the filter buffer file.
#pragma once

#include <cstdint>

#include "store/roll_format.h"

struct ResultRow {
  std::int32_t lineOffset = -1;
  char nameText[kRowNameSize] = {};       // the slot's name text as stored, at most 254 characters
  char summaryText[kRowSummarySize] = {}; // the converted one-line summary, at most 40 characters
};

// A summary as a result row shows it (at most 40 characters, into `out` of kRowSummarySize bytes):
// each 0xFF becomes a comma and the byte after it is passed over unexamined, the line feed
// becomes a space, and a comma at the very end is dropped.
void ConvertSummaryForRow(const char* summary, char* out);
