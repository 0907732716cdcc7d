// What a disk image's cue sheet says about its data track: the file that holds the sectors and
// how they are laid out.
//
// Only what a single-session data disk needs is read: the first FILE line and the first TRACK
// after it with its INDEX 01. Keywords are matched without regard to case; a file name may be
// quoted; REM and every other line are passed over. libcdio's own cue reader is not used: it
// opens the named .bin by itself (a FIFO in its place would hang the caller) and it misreads
// MODE1/2048 images.
#pragma once

#include <string>
#include <string_view>

#include "platform/disk_image.h"

struct CueSheet {
  std::string fileName;  // as the sheet writes it; relative names are relative to the sheet
  SectorLayout layout = SectorLayout::kCooked;
};

// Reads `text`, the whole sheet. False with *error, "<sheetName>:<line>: <reason>" or
// "<sheetName>: <reason>", when the sheet names no BINARY file, when its first track is not a
// MODE1/2048, MODE1/2352 or MODE2/2352 track, or when that track does not start at the file's
// first sector.
bool ReadCueSheet(std::string_view text, const std::string& sheetName, CueSheet* sheet, std::string* error);
