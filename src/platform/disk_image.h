// A data disk kept as an image file: the roll files read straight out of an ISO 9660 image
// (.iso) or a raw CD image (.bin, with or without its .cue sheet), read-only and without
// mounting.
//
// A file on such a disk is one contiguous run of sectors. The image file holds the sectors one
// after the other from its first byte:
//
//   cooked (.iso, MODE1/2048)   | 2048 data |
//   raw MODE1/2352              | 12 sync | 4 header | 2048 data | 288 EDC/ECC |
//   raw MODE2/2352 form 1       | 12 sync | 4 header | 8 subheader | 2048 data | 280 EDC/ECC |
//
// In a cooked image a file is a plain window of the image file. In a raw image its bytes are
// 2048-byte pieces of consecutive sectors; ImageExtent maps a file offset to where the byte lies
// in the image file, so that every read stays a positioned read of the image file.
//
// The file system's root directories are read by iso9660_root.h, with positioned reads of the
// image file; this module checks each extent against the image file's size and keeps it. Nothing
// here blocks: the image (and a cue sheet) is opened once as a ReadOnlyFile, and every read of it
// goes through that open file, never through its path again. The standard library is all it needs,
// so every build reads images.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

inline constexpr std::int32_t kCookedSectorSize = 2048;  // data bytes of every sector
inline constexpr std::int32_t kRawSectorSize = 2352;     // a whole sector as a raw image holds it

// How the sectors of an image file are laid out.
enum class SectorLayout {
  kCooked,        // 2048 bytes a sector, data only (.iso, MODE1/2048)
  kRawMode1,      // 2352 bytes a sector, data after a 16-byte sync and header
  kRawMode2Form1  // 2352 bytes a sector, data after sync, header and an 8-byte subheader
};
std::int32_t SectorSizeOf(SectorLayout layout);
std::int32_t DataOffsetOf(SectorLayout layout);

// Where the bytes of one file of the disk lie in the image file.
struct ImageExtent {
  std::int64_t firstSector = 0;  // the file's first sector, counted from the image file's start
  std::int64_t length = 0;       // the file's size in bytes
  SectorLayout layout = SectorLayout::kCooked;

  // The image-file offset of byte `fileOffset` of the file (0 <= fileOffset < length).
  std::int64_t ImageOffset(std::int64_t fileOffset) const;
  // How many bytes of the file from `fileOffset` on follow each other in the image file: the
  // rest of the file in a cooked image, at most the rest of the sector in a raw one.
  std::int64_t ContiguousBytes(std::int64_t fileOffset) const;

  bool operator==(const ImageExtent&) const = default;
};

// Reads up to `size` bytes of the file at `extent`, from byte `offset` of the file, out of the
// image file `image`, with positioned reads only (a read may span sectors). Returns the bytes
// read: fewer at the end of the file, and fewer when the image file ends early. Returns -1 on a
// read failure or a negative offset.
std::int64_t ReadExtent(const ReadOnlyFile& image, const ImageExtent& extent, std::int64_t offset, void* out,
                        std::size_t size);

// One file of the disk's root directory.
struct ImageFile {
  std::string name;  // as the disk records it: "MROLL.COR;1", or the Joliet name "mroll.cor"
  ImageExtent extent;
  // The image file it lies in, as it was when the image was opened. The file is still what was
  // read while IdentityOfPath(DiskImage::ImagePath()).Unchanged(image).
  FileIdentity image;
};

// Whether a name the disk records stands for `wanted`: equal without regard to ASCII case once a
// ";<digits>" version suffix, and then a bare trailing '.', are taken off the recorded name.
bool ImageNameMatches(std::string_view recorded, std::string_view wanted);

class DiskImage {
 public:
  // Opens an image file read-only. `path` is the image itself (.iso, .bin or any other name:
  // the sector layout is found from the bytes) or a cue sheet (a name ending in .cue), whose
  // first track must be a data track that starts at the beginning of the one BINARY file it
  // names (a relative name is taken from the cue sheet's directory). Reads the primary and, when
  // the disk has one, the Joliet root directory.
  //
  // Returns null with *error naming the file at fault, for example "<path>: a FIFO, not a disk
  // image", "<path>: no ISO 9660 file system", "<cue>:3: track 1 is AUDIO, not ...".
  static std::unique_ptr<DiskImage> Open(const std::string& path, std::string* error);

  DiskImage(const DiskImage&) = delete;
  DiskImage& operator=(const DiskImage&) = delete;

  // The file the sectors are read from: `path`, or the .bin file a cue sheet names.
  const std::string& ImagePath() const { return imagePath; }
  // That file, open for the life of this object (and of every window onto it).
  const ReadOnlyFile& File() const { return *imageFile; }
  // Its identity when it was opened.
  const FileIdentity& Identity() const { return imageIdentity; }
  SectorLayout Layout() const { return sectorLayout; }
  bool HasJoliet() const { return !jolietFiles.empty(); }

  // The files (not the directories) of the root directory: the Joliet names when the disk has a
  // Joliet tree, else the primary names.
  const std::vector<ImageFile>& RootFiles() const;

  // Finds the root file `name` (ImageNameMatches), among the Joliet names first and then among
  // the primary names. False with *error when there is none ("<image>: no file mrdb.id"), when
  // two files match in the tree it was found in, or when the file's sectors do not all lie in
  // the image file (a truncated image: "<image>: MROLL.EXT;1 runs past the end of the image (is
  // it truncated?)").
  bool Find(std::string_view name, ImageFile* file, std::string* error) const;

  // ReadExtent on this image's file.
  std::int64_t Read(const ImageFile& file, std::int64_t offset, void* out, std::size_t size) const;
  // `file` as a ReadOnlyFile of its own (ReadOnlyFile::Window), which keeps the image file open
  // after this object is gone.
  ReadOnlyFile OpenWindow(const ImageFile& file) const;

  // The file the sectors of the image `path` lie in, as Open would find it without opening
  // anything but a cue sheet: `path` itself, or the file a cue sheet names (`path` when the
  // sheet cannot be read).
  static std::string SectorFileOf(const std::string& path);

 private:
  DiskImage() = default;

  std::string imagePath;
  std::shared_ptr<ReadOnlyFile> imageFile = std::make_shared<ReadOnlyFile>();
  FileIdentity imageIdentity;
  SectorLayout sectorLayout = SectorLayout::kCooked;
  std::vector<ImageFile> jolietFiles;
  std::vector<ImageFile> primaryFiles;
};
