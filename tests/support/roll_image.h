// Writes the roll of a data directory (marker and the three files) as an ISO image, and as the
// raw .bin/.cue images made from it, for tests that read rolls out of disk images.
#pragma once

#include <string>

#include "support/raw_image.h"

// The four files of a roll, in the order they go onto a disk.
extern const char* const kRollFileNames[4];

// Writes the files of `dataDir` that exist among kRollFileNames into a new ISO image at
// `outPath`, with Joliet names or without. Throws std::runtime_error on failure.
void WriteRollIso(const std::string& dataDir, const std::string& outPath, bool joliet = true);
