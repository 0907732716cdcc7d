// One row of a result page; the same fields as a record of the filter buffer file.
#pragma once

#include <cstdint>

#include "store/roll_format.h"

struct ResultRow {
  std::int32_t lineOffset = -1;
  char nameText[kRowNameSize] = {};       // the slot's name text as stored, at most 254 characters
  char summaryText[kRowSummarySize] = {}; // the converted one-line summary, at most 40 characters
};
