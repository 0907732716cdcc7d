// What the benchmarks need to know about a built roll: every surname key with its slot run, in key
// order, from the one index walker; and the nodes a lookup has to read on its way down.
#pragma once

#include <cstdint>
#include <string>
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

// The number of index nodes a lookup of `key` visits, the root included.
int LookupDepth(RollIndex& index, const std::string& key);
