// Where the companion indexes of rolls are kept: the user's cache, <cache>/dravenholt/ (the
// platform's UserCacheDirectory), never the family directory nor the data disk. One file per
// roll, named from the identities of its three files; written whole or not at all; read only
// when it is the user's own file (platform/private_file.h) and bound to the roll as it is now
// (store/companion_reader.h). The cache is capped: after each store the files used least recently
// (their modification time, set at each use) are removed until the rest fit.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "store/companion_builder.h"
#include "store/companion_reader.h"

inline constexpr std::int64_t kDefaultCompanionCacheCap = std::int64_t{2} << 30;
inline constexpr const char* kCompanionSuffix = ".companion";

// The cache directory, ending in the separator, made when missing; "" with *error when it cannot
// be had or is not a directory of the user's own.
std::string CompanionCacheDirectory(std::string* error);

// The same directory for a reader: named, not made nor checked ("" when there is no cache
// directory at all). A companion is only ever read from it through OpenCompanion's checks.
std::string CompanionCachePlace();

// The name of the companion file of the roll whose files are `roll` (open): the same for the same
// three files wherever the roll is reached from.
std::string CompanionFileName(const RollFilesView& roll);

enum class CompanionStatus {
  kOpen,     // *reader answers for the roll
  kMissing,  // none was built yet
  kRefused,  // one is there but may not be used: *reason says why (a rebuild replaces it)
};

// Opens the companion of `roll` kept in `directory` (ending in the separator) into *reader;
// `indexHash`, when given, is the hash of the roll's index file (CompanionReader::Open).
CompanionStatus OpenCompanion(const std::string& directory, const RollFilesView& roll,
                              CompanionReader* reader, std::string* reason,
                              const IndexHash* indexHash = nullptr);

// Builds the companion of `roll` and puts it in `directory`, replacing the one there, then evicts
// what exceeds `cap` bytes (never the new file). *path gets the file's path. False with *error.
bool BuildCompanionInCache(const std::string& directory, const RollFilesView& roll,
                           const CompanionProgress& progress, std::int64_t cap, std::string* path,
                           CompanionStats* stats, std::string* error);

// Removes from `directory` the companion files used least recently until the rest take at most
// `cap` bytes, keeping `keep` (a file name). Returns how many were removed.
int EvictCompanions(const std::string& directory, std::int64_t cap, std::string_view keep);
