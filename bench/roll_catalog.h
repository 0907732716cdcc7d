// What the benchmarks need to know about a built roll: every surname key with its slot run, in key
// order, read by walking the index tree; and the bytes a lookup has to read on its way down.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class RollDatabase;
class RollIndex;

struct SurnameRun {
  std::string key;  // the index key as stored (upper case, space-padded)
  std::int32_t firstSlot = 0;
  std::int32_t slotCount = 0;
};

// Every key of `index` in ascending key order. Gives up (returns what it has, and false) on a
// node that cannot be read or a tree deeper than 64 levels.
bool WalkIndex(RollIndex& index, std::vector<SurnameRun>* runs);

// The number of index nodes a lookup of `key` visits, the root included.
int LookupDepth(RollIndex& index, const std::string& key);

// The surname as a user types it: the key without its padding.
std::string SurnameOfKey(const std::string& key);
