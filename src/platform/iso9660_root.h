// The root directory of the ISO 9660 file system in a disk image file: where each root file's
// sectors lie, under the primary names and, when the disk has them, the Joliet names.
//
// Read by our own positioned reads of the image file that was opened and checked, never by its
// path again (a path opened anew loses what the first open checked: a library that reopened
// /proc/self/fd/N without O_NONBLOCK waited for ever on /proc/kmsg). Every read is bounded, and
// nothing is read past the size the file had when it was opened, so a file that calls itself
// empty (a kernel pseudo-file, a stream) is never read at all.
//
// What is read, in 2048-byte logical sectors (ECMA-119; both-endian numbers are read from their
// little-endian half):
//
//   volume descriptor, sectors 16, 17, ... until the terminator:
//     0 type (1 primary, 2 supplementary, 255 terminator) | 1 "CD001" | 6 version (1)
//     | 88 escape sequences (Joliet: "%/@", "%/C" or "%/E") | 128 logical block size (2048)
//     | 156 the root directory's record (34 bytes)
//   directory record, never across a sector's end; a zero length byte ends a sector's records:
//     0 length | 1 extended attribute length | 2 extent | 10 data length | 18 date | 25 flags
//     | 26 file unit size | 27 interleave gap | 28 volume sequence number | 32 name length | 33 name
//
// Joliet names are UCS-2 (UTF-16 read here), big-endian; they are kept in UTF-8. Primary names
// are kept as they are recorded ("MROLL.COR;1").
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "platform/disk_image.h"

struct IsoRoots {
  SectorLayout layout = SectorLayout::kCooked;
  std::vector<ImageFile> primary;
  std::vector<ImageFile> joliet;  // empty when the disk has no readable Joliet tree
};

// Reads the root directories of the image file `file` (opened from `imagePath`, with `identity`),
// finding its sector layout: only `wanted` when a cue sheet (`sheetPath`) tells it, else the first
// layout under which sector 16 holds a primary volume descriptor. False with *error naming
// `imagePath` when it cannot: "<path>: no ISO 9660 file system", "<path>: its sectors are not
// laid out as <sheet> says", "<path>: the root directory cannot be read". A damaged Joliet tree
// leaves `joliet` empty; the primary names then serve.
bool ReadIsoRoots(const std::string& imagePath, const ReadOnlyFile& file, const FileIdentity& identity,
                  const std::string& sheetPath, const SectorLayout* wanted, IsoRoots* roots, std::string* error);

// The UTF-8 form of a Joliet name (UTF-16 big-endian; a lone surrogate or an odd last byte
// becomes U+FFFD).
std::string JolietNameToUtf8(std::string_view ucs2);
