// Which roll a search ran on, in a form that survives the roll being copied: the hash of its
// index file's bytes (store/index_hash.h) and, where the roll is read out of a disk image, the
// image's volume label (platform/volume_label.h). Computed once per opened roll: the hash reads
// the whole index file.
#pragma once

#include <string>

#include "platform/file_system.h"
#include "research/research_types.h"

// The identity of the roll whose index file `indexFile` was opened from `indexPath` (a path in
// a disk image names the image's file, platform/data_file.h). False when the file cannot be read
// whole.
bool IdentifyRoll(const ReadOnlyFile& indexFile, const std::string& indexPath, RollIdentity* out);
// The same, opening the index file at `indexPath` first.
bool IdentifyRoll(const std::string& indexPath, RollIdentity* out);
