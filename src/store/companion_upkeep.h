// Making sure the roll a viewer has opened has a sound companion index in the user's cache
// (store/companion_cache.h), building it when it has none: the work a viewer does in the
// background after it opens a roll. It reads the roll through handles of its own
// (store/roll_file_handles.h), never a RollDatabase's, so it may run on a thread of its own while
// the database answers searches on another. The companion is written whole or not at all: a build
// that is stopped or fails leaves the cache as it was.
#pragma once

#include <functional>
#include <string>

#include "store/companion_builder.h"

enum class UpkeepEnd {
  kBuilt,       // a companion was built and is in the cache
  kSound,       // the cache already held a sound one: nothing was built
  kPassedOver,  // `passOver` asked that this roll's companion not be tried: nothing was done
  kStopped,     // `progress` stopped the build: nothing was written
  kFailed,      // error says why (the roll cannot be read whole, the cache cannot be written...)
};

struct UpkeepResult {
  UpkeepEnd end = UpkeepEnd::kFailed;
  std::string fileName;  // the companion's file name (CompanionFileName), "" when the roll's files could not
                         // be opened
  std::string error;
};

// Makes sure database `number` of `dataDirectory` (ending in the separator) has a sound companion
// in the user's cache. `passOver` (may be empty) is asked with the companion's file name before
// anything is built; `progress` (may be empty) is told how far a build has come and stops it by
// returning false.
UpkeepResult KeepCompanion(const std::string& dataDirectory, int number,
                           const std::function<bool(const std::string& fileName)>& passOver,
                           const CompanionProgress& progress);
