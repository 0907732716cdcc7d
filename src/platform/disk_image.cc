// The image's file system is read with libcdio's libiso9660, which Debian keeps well and which
// reports for every directory record the extent's first sector and size, exactly what positioned
// reads need (libarchive's reader, the other candidate, streams file contents and does not tell
// where they lie). It is used only while the image is opened: every later read is our own
// pread of the image file.
#include "platform/disk_image.h"

#include <cdio/cdio.h>
#include <cdio/iso9660.h>
#include <cdio/logging.h>
#include <strings.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/cue_sheet.h"
#include "platform/open_checked.h"

namespace {

// A cue sheet is a few lines; anything larger is not one.
constexpr std::int64_t kLargestCueSheet = 64 * 1024;
// A root directory of a few thousand entries is 512 sectors; a larger one is damage.
constexpr std::int64_t kLargestRootDirectory = 1024 * 1024;
// The primary volume descriptor's sector, which tells the sector layout.
constexpr std::int64_t kVolumeDescriptorSector = 16;
// How far libiso9660 may look for the descriptor's signature away from where the layout puts it;
// the layout is then confirmed against our own reads.
constexpr std::uint16_t kFuzz = 1;
// Raw sectors read at once into a scratch buffer: 64 KiB of data, the engine's longest run.
constexpr std::int64_t kRawSectorsAtOnce = 32;

// libcdio reports through a process-wide handler whose default writes to stderr and ends the
// process on an error (a damaged image would end the viewer). The failures it reports reach the
// caller as our own messages instead. An assertion keeps the default handling, which aborts: the
// library cannot go on safely after one (the directory check below keeps its walk's assertion
// from being reached).
void QuietLog(cdio_log_level_t level, const char message[]) {
  if (level == CDIO_LOG_ASSERT) cdio_default_log_handler(level, message);
}

void InstallQuietLog() {
  static const bool installed = (cdio_log_set_handler(QuietLog), true);
  (void)installed;
}

struct IsoCloser {
  void operator()(iso9660_t* iso) const { iso9660_close(iso); }
};
using IsoHandle = std::unique_ptr<iso9660_t, IsoCloser>;

struct StatFree {
  void operator()(iso9660_stat_t* stat) const { iso9660_stat_free(stat); }
};

struct ListFree {
  void operator()(CdioList_t* list) const { iso9660_filelist_free(list); }
};

bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         strncasecmp(text.data() + text.size() - suffix.size(), suffix.data(), suffix.size()) == 0;
}

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The file a cue sheet names, taken from the sheet's directory unless the name is absolute; a
// name in another case than the file's (sheets written on systems that ignore case) is found too.
std::string ResolveSheetFile(const std::string& sheetPath, const std::string& name) {
  if (name.front() == '/') return name;
  return ResolveDataFile(DirectoryOf(sheetPath) + name);
}

// The path under which the process reaches the open file again, for libiso9660, which takes only
// paths: it then opens the very file that was checked, whatever stands at the path by then.
std::string HandlePath(const ReadOnlyFile& file) {
  return "/proc/self/fd/" + std::to_string(file.NativeHandle());
}

bool ReadCueFile(const std::string& path, CueSheet* sheet, std::string* error) {
  ReadOnlyFile file;
  if (!OpenChecked(path, "a cue sheet", &file, error)) return false;
  if (file.Size() > kLargestCueSheet) {
    *error = path + ": too large for a cue sheet";
    return false;
  }
  std::string text(static_cast<std::size_t>(file.Size()), '\0');
  const std::int64_t got = file.ReadAt(0, text.data(), text.size());
  if (got < 0) {
    *error = path + ": cannot be read";
    return false;
  }
  text.resize(static_cast<std::size_t>(got));
  return ReadCueSheet(text, path, sheet, error);
}

// Finds the layout under which our reads of the volume descriptor give what the library read:
// only `wanted` when a cue sheet tells it, else every layout in turn.
bool ConfirmLayout(iso9660_t* iso, const ReadOnlyFile& file, const SectorLayout* wanted,
                   SectorLayout* layout) {
  unsigned char expected[kCookedSectorSize];
  if (iso9660_iso_seek_read(iso, expected, kVolumeDescriptorSector, 1) != kCookedSectorSize) return false;
  for (SectorLayout candidate :
       {SectorLayout::kCooked, SectorLayout::kRawMode1, SectorLayout::kRawMode2Form1}) {
    if (wanted && candidate != *wanted) continue;
    const ImageExtent sector{kVolumeDescriptorSector, kCookedSectorSize, candidate};
    unsigned char ours[kCookedSectorSize];
    if (ReadExtent(file, sector, 0, ours, sizeof ours) == kCookedSectorSize &&
        std::memcmp(ours, expected, sizeof ours) == 0) {
      *layout = candidate;
      return true;
    }
  }
  return false;
}

// libiso9660 copies each directory record's name without checking that the name lies inside the
// record (a heap over-read on a damaged directory, found by fuzzing), so a directory's records
// are checked before the library walks them: each within its sector and long enough for its
// fixed part and its name, and only zeros after the last record of a sector. A record is
//   0 length | 1 attribute length | 2 extent | 10 size | 18 date | 25 flags | ... | 32 name length | 33 name
constexpr int kRecordNameLengthOffset = 32;
constexpr std::size_t kRecordFixedSize = 33;

bool DirectoryRecordsSound(const ReadOnlyFile& file, ImageExtent directory) {
  directory.length = (directory.length + kCookedSectorSize - 1) / kCookedSectorSize * kCookedSectorSize;
  std::vector<unsigned char> bytes(static_cast<std::size_t>(directory.length));
  if (ReadExtent(file, directory, 0, bytes.data(), bytes.size()) != directory.length) return false;
  for (std::size_t sector = 0; sector < bytes.size(); sector += kCookedSectorSize) {
    const std::size_t end = sector + kCookedSectorSize;
    std::size_t at = sector;
    while (at < end && bytes[at] != 0) {
      const std::size_t length = bytes[at];
      if (length <= kRecordFixedSize || at + length > end ||
          kRecordFixedSize + bytes[at + kRecordNameLengthOffset] > length) {
        return false;
      }
      at += length;
    }
    if (std::any_of(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                    bytes.begin() + static_cast<std::ptrdiff_t>(end),
                    [](unsigned char b) { return b != 0; })) {
      return false;
    }
  }
  return true;
}

// The files of the root directory of the tree `iso` reads, or false when it cannot be read.
bool ReadRoot(iso9660_t* iso, const ReadOnlyFile& file, const FileIdentity& image, SectorLayout layout,
              std::vector<ImageFile>* files) {
  const std::unique_ptr<iso9660_stat_t, StatFree> root(iso9660_ifs_stat(iso, "/"));
  if (!root || root->type != iso9660_stat_s::_STAT_DIR) return false;
  // The library reads the whole directory into memory at once: bound it before it does.
  const ImageExtent rootExtent{root->lsn, root->size, layout};
  if (root->lsn < 0 || root->size == 0 || root->size > kLargestRootDirectory ||
      rootExtent.ImageOffset(rootExtent.length - 1) >= file.Size() ||
      !DirectoryRecordsSound(file, rootExtent)) {
    return false;
  }
  const std::unique_ptr<CdioList_t, ListFree> list(iso9660_ifs_readdir(iso, "/"));
  if (!list) return false;
  for (CdioListNode_t* node = _cdio_list_begin(list.get()); node; node = _cdio_list_node_next(node)) {
    const auto* entry = static_cast<const iso9660_stat_t*>(_cdio_list_node_data(node));
    if (!entry || entry->type != iso9660_stat_s::_STAT_FILE) continue;
    ImageFile found;
    found.name = entry->filename;
    // An empty file has no sectors; what its record says about their place does not matter.
    found.extent = {entry->size == 0 ? 0 : static_cast<std::int64_t>(entry->lsn), entry->size, layout};
    found.image = image;
    files->push_back(std::move(found));
  }
  return true;
}

}  // namespace

std::int32_t SectorSizeOf(SectorLayout layout) {
  return layout == SectorLayout::kCooked ? kCookedSectorSize : kRawSectorSize;
}

std::int32_t DataOffsetOf(SectorLayout layout) {
  switch (layout) {
    case SectorLayout::kCooked:
      return 0;
    case SectorLayout::kRawMode1:
      return 16;
    case SectorLayout::kRawMode2Form1:
      return 24;
  }
  return 0;
}

std::int64_t ImageExtent::ImageOffset(std::int64_t fileOffset) const {
  const std::int64_t sector = firstSector + fileOffset / kCookedSectorSize;
  return sector * SectorSizeOf(layout) + DataOffsetOf(layout) + fileOffset % kCookedSectorSize;
}

std::int64_t ImageExtent::ContiguousBytes(std::int64_t fileOffset) const {
  const std::int64_t rest = length - fileOffset;
  if (layout == SectorLayout::kCooked) return rest;
  return std::min(rest, kCookedSectorSize - fileOffset % kCookedSectorSize);
}

std::int64_t ReadExtent(const ReadOnlyFile& image, const ImageExtent& extent, std::int64_t offset, void* out,
                        std::size_t size) {
  if (offset < 0) return -1;
  if (offset >= extent.length) return 0;
  const std::int64_t want = std::min<std::int64_t>(static_cast<std::int64_t>(size), extent.length - offset);
  if (extent.layout == SectorLayout::kCooked) {
    return image.ReadAt(extent.ImageOffset(offset), out, static_cast<std::size_t>(want));
  }

  // Whole raw sectors are read into a scratch buffer, a run at a time, and their data copied out.
  // The buffer is made once per thread, so a small read costs no allocation.
  thread_local std::vector<unsigned char> scratch(
      static_cast<std::size_t>(kRawSectorsAtOnce * kRawSectorSize));
  auto* bytes = static_cast<unsigned char*>(out);
  const std::int64_t sectorSize = SectorSizeOf(extent.layout);
  std::int64_t done = 0;
  while (done < want) {
    const std::int64_t first = (offset + done) / kCookedSectorSize;
    const std::int64_t last = (offset + want - 1) / kCookedSectorSize;
    const std::int64_t sectors = std::min(last - first + 1, kRawSectorsAtOnce);
    const std::int64_t got = image.ReadAt((extent.firstSector + first) * sectorSize, scratch.data(),
                                          static_cast<std::size_t>(sectors * sectorSize));
    if (got < 0) return done > 0 ? done : -1;
    // Each sector's data as far as it arrived; a short read ends at the image file's end.
    for (std::int64_t i = 0; i < sectors && done < want; ++i) {
      const std::int64_t within = (offset + done) % kCookedSectorSize;
      const std::int64_t start = i * sectorSize + DataOffsetOf(extent.layout) + within;
      const std::int64_t piece = std::min(kCookedSectorSize - within, want - done);
      const std::int64_t arrived = std::clamp<std::int64_t>(got - start, 0, piece);
      std::memcpy(bytes + done, scratch.data() + start, static_cast<std::size_t>(arrived));
      done += arrived;
      if (arrived < piece) return done;
    }
  }
  return done;
}

bool ImageNameMatches(std::string_view recorded, std::string_view wanted) {
  const std::size_t semicolon = recorded.rfind(';');
  if (semicolon != std::string_view::npos) {
    const std::string_view version = recorded.substr(semicolon + 1);
    if (std::all_of(version.begin(), version.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      recorded = recorded.substr(0, semicolon);
      // A name without an extension is recorded with its separator: "README.;1".
      if (!recorded.empty() && recorded.back() == '.') recorded.remove_suffix(1);
    }
  }
  return recorded.size() == wanted.size() && strncasecmp(recorded.data(), wanted.data(), wanted.size()) == 0;
}

std::unique_ptr<DiskImage> DiskImage::Open(const std::string& path, std::string* error) {
  InstallQuietLog();
  std::unique_ptr<DiskImage> image(new DiskImage());
  image->imagePath = path;
  CueSheet sheet;
  const bool fromSheet = EndsWithIgnoringCase(path, ".cue");
  if (fromSheet) {
    if (!ReadCueFile(path, &sheet, error)) return nullptr;
    image->imagePath = ResolveSheetFile(path, sheet.fileName);
  }
  const std::string& imagePath = image->imagePath;
  ReadOnlyFile& file = image->imageFile;
  if (!OpenChecked(imagePath, "a disk image", &file, error)) return nullptr;
  image->imageIdentity = file.Identity();

  const std::string libraryPath = HandlePath(file);
  const IsoHandle iso(iso9660_open_fuzzy_ext(libraryPath.c_str(), ISO_EXTENSION_NONE, kFuzz));
  if (!iso) {
    *error = imagePath + ": no ISO 9660 file system";
    return nullptr;
  }
  if (!ConfirmLayout(iso.get(), file, fromSheet ? &sheet.layout : nullptr, &image->sectorLayout)) {
    *error = fromSheet ? imagePath + ": its sectors are not laid out as " + path + " says"
                       : imagePath + ": unknown sector layout";
    return nullptr;
  }

  const bool primaryRead =
      ReadRoot(iso.get(), file, image->imageIdentity, image->sectorLayout, &image->primaryFiles);
  // The fuzzy open reads only the primary descriptor; reading the descriptors again with Joliet
  // allowed switches the same reader, with the layout it found, over to the Joliet tree.
  if (iso9660_ifs_read_superblock(iso.get(), ISO_EXTENSION_JOLIET) &&
      iso9660_ifs_get_joliet_level(iso.get()) > 0 &&
      !ReadRoot(iso.get(), file, image->imageIdentity, image->sectorLayout, &image->jolietFiles)) {
    image->jolietFiles.clear();  // a damaged Joliet tree: the primary names still serve
  }
  if (!primaryRead && image->jolietFiles.empty()) {
    *error = imagePath + ": the root directory cannot be read";
    return nullptr;
  }
  return image;
}

const std::vector<ImageFile>& DiskImage::RootFiles() const {
  return jolietFiles.empty() ? primaryFiles : jolietFiles;
}

bool DiskImage::Find(std::string_view name, ImageFile* file, std::string* error) const {
  for (const std::vector<ImageFile>* tree : {&jolietFiles, &primaryFiles}) {
    const ImageFile* match = nullptr;
    for (const ImageFile& candidate : *tree) {
      if (!ImageNameMatches(candidate.name, name)) continue;
      if (match) {
        *error = imagePath + ": " + match->name + " and " + candidate.name + " both stand for " +
                 std::string(name);
        return false;
      }
      match = &candidate;
    }
    if (!match) continue;
    const ImageExtent& extent = match->extent;
    if (extent.firstSector < 0) {
      *error = imagePath + ": " + match->name + " lies before the start of the image";
      return false;
    }
    if (extent.length > 0 && extent.ImageOffset(extent.length - 1) >= imageFile.Size()) {
      *error = imagePath + ": " + match->name + " runs past the end of the image (is it truncated?)";
      return false;
    }
    *file = *match;
    return true;
  }
  *error = imagePath + ": no file " + std::string(name);
  return false;
}

std::int64_t DiskImage::Read(const ImageFile& file, std::int64_t offset, void* out, std::size_t size) const {
  return ReadExtent(imageFile, file.extent, offset, out, size);
}
