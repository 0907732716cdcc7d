// The database checker behind `rollkit check`: reads the three files of a roll database, never
// changes them, and reports every fault of their format it finds. Bounded whatever the bytes:
// each slot and node is looked at once, and memory grows only with the files' real sizes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "tools/rollkit/database_files.h"

struct CheckSummary {
  std::int64_t problems = 0;
  std::int64_t slots = 0;
  std::int64_t keys = 0;
  std::int64_t nodes = 0;
};

// Calls `report` with each problem, as "path: what is wrong".
CheckSummary CheckDatabase(const RollFiles& files, const std::function<void(const std::string&)>& report);
