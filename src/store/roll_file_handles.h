// The three files of a roll opened for reading on handles of their own, found exactly as
// RollDatabase::Open finds them ("<data directory><base name><extension>", looked up by
// ResolveDataFile, so a disk image's files are read in place). For work on another thread: a
// RollDatabase's files are its own and not to be shared. Nothing is ever made or changed here; a
// missing index stays missing.
#pragma once

#include <string>

#include "platform/file_system.h"
#include "store/companion_builder.h"
#include "store/roll_status.h"

struct RollFileHandles {
  ReadOnlyFile name;
  ReadOnlyFile line;
  ReadOnlyFile index;
  RollFilesView View() const { return {&name, &line, &index}; }
};

// Opens the files of database `number` in `dataDirectory` (ending in the separator, as
// DataLocation keeps it) into *out. A status that is not Ok names the file that could not be
// opened and why (kNoDatabase for a number without files); *out is then left with none open.
RollStatus OpenRollFileHandles(const std::string& dataDirectory, int number, RollFileHandles* out);
