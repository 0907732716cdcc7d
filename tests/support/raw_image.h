// Turns a cooked ISO 9660 image (2048-byte sectors) into a raw CD image and its cue sheet, as
// disc-imaging programs write them, so that tests can read rolls out of .bin/.cue images. Every
// sector gets its sync pattern and header (and, in mode 2, its form 1 subheader); the EDC/ECC
// bytes stay zero, which readers of the data do not look at.
#pragma once

#include <string>

enum class RawMode { kMode1Raw, kMode2Raw, kMode1Cooked };

// The cue sheet's name for the track mode: "MODE1/2352", "MODE2/2352" or "MODE1/2048".
const char* RawModeName(RawMode mode);

// Writes `binPath` from the sectors of `isoPath` and a cue sheet at `cuePath` that names the .bin
// by its file name. Throws std::runtime_error when the image cannot be read or written.
void WriteRawImage(const std::string& isoPath, const std::string& binPath, const std::string& cuePath,
                   RawMode mode);
