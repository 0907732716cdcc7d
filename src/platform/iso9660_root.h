// The root directory of the ISO 9660 file system in a disk image file: where each root file's
// sectors lie, under the primary names and, when the disk has them, the Joliet names. Read with
// libcdio's libiso9660 where the build has it (iso9660_root.cc); a build without it reads no
// image and says so (iso9660_root_unavailable.cc).
#pragma once
#include <string>
#include <vector>

#include "platform/disk_image.h"

struct IsoRoots {
  SectorLayout layout = SectorLayout::kCooked;
  std::vector<ImageFile> primary;
  std::vector<ImageFile> joliet;  // empty when the disk has no readable Joliet tree
};

// Reads the root directories of the image file `file` (opened from `imagePath`, with `identity`),
// finding its sector layout: only `wanted` when a cue sheet (`sheetPath`) tells it, else whichever
// layout our own reads of the volume descriptor confirm. False with *error naming `imagePath`
// ("<path>: no ISO 9660 file system") when it cannot.
bool ReadIsoRoots(const std::string& imagePath, const ReadOnlyFile& file, const FileIdentity& identity,
                  const std::string& sheetPath, const SectorLayout* wanted, IsoRoots* roots, std::string* error);
