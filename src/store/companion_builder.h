// Builds the companion index of a roll (store/companion_format.h) from one walk of its index and
// one pass over its name and line files, read through the engine's own reader and codec.
//
// Memory stays bounded: about 8 bytes a slot while building (the slots' groups and the slot
// lists, each 4 bytes a slot) plus the companion itself, which is kept in memory until it is
// written; a roll of more than kMaxCompanionSlots slots, or one whose units, words or overlapping
// runs would make the companion grow without bound, gets none (it is only an accelerator).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/file_system.h"
#include "store/companion_format.h"

inline constexpr std::int32_t kMaxCompanionSlots = 1 << 25;

// The three open files of a roll.
struct RollFilesView {
  const ReadOnlyFile* name = nullptr;
  const ReadOnlyFile* line = nullptr;
  const ReadOnlyFile* index = nullptr;
};

// The roll's name length and whole slots, read from the name file's trailer as the database reads
// them; false when the name file has no usable trailer.
bool RollGeometry(const ReadOnlyFile& nameFile, std::int32_t* nameLength, std::int32_t* slotTotal);

// What the companion of `roll` is bound to: the three files' identities, the index file's hash and
// the roll's geometry. False with *error when a file is not open, has no identity, or cannot be
// read whole.
bool BindRoll(const RollFilesView& roll, RollBinding* out, std::string* error);

// Told how far a build has come (percent); returns false to stop it.
using CompanionProgress = std::function<bool(int percent)>;

struct CompanionStats {
  std::int64_t keys = 0;
  std::int64_t slotCount = 0;  // not `slots`: Qt defines that word as a macro
  std::int64_t groups = 0;  // distinct (unit text, side, company)
  std::int64_t unitTexts = 0;
  std::int64_t bytes = 0;  // of the companion
};

// A roll of at least this many slots is read in two halves by two threads at once.
inline constexpr std::int64_t kTwoThreadSlots = 1 << 18;

// Builds the companion of `roll` into *out. False with *error when the roll cannot be read whole,
// its index is damaged, it changed while it was read, it is beyond the bounds above, or
// `progress` (may be empty) stopped the build ("cancelled"). The companion's bytes are the same
// however many threads read the roll (`twoThreadSlots`).
bool BuildCompanion(const RollFilesView& roll, const CompanionProgress& progress, std::string* out,
                    std::string* error, CompanionStats* stats = nullptr,
                    std::int64_t twoThreadSlots = kTwoThreadSlots);
