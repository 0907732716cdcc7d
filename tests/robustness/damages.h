// The ways a roll database gets damaged on a scratched disk or in a bad copy, as edits of the
// three files' bytes, shared by the engine's and rollkit's corrupt-database suites.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "store/roll_index.h"
#include "support/test_roll.h"

// The bytes of the three files, damaged in memory and then written back.
struct Files {
  std::string cor, ext, tre;
};

struct Damage {
  const char* name;
  // What rollkit check must say about it (the file, or for lines the slot's "line offset"), or
  // null when the files stay readable as they are (only their content changed).
  const char* file;
  std::function<void(Files&)> apply;
};

// Builds the roll the damages are made for: 25 Smiths with detail texts that wrap, and 40 more
// surnames, enough for an index of three levels.
void BuildDamageRoll(TestRoll& roll);

// The damages, for a roll whose index holds at least two levels below its root.
std::vector<Damage> Damages();

inline constexpr std::size_t kRoot = kIndexHeaderSize;  // the writer puts the root first

IndexNode NodeAt(const std::string& tre, std::size_t offset);
void PutNode(std::string& tre, std::size_t offset, const IndexNode& node);
void Put32(std::string& bytes, std::size_t offset, std::int32_t value);
