// The root directory of an image's ISO 9660 file system, read with libcdio's libiso9660, which
// Debian keeps well and which reports for every directory record the extent's first sector and
// size, exactly what positioned reads need (libarchive's reader, the other candidate, streams file
// contents and does not tell where they lie). It is used only while the image is opened: every
// later read is our own positioned read of the image file.
#include "platform/iso9660_root.h"

#include <cdio/cdio.h>
#include <cdio/iso9660.h>
#include <cdio/logging.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

// A root directory of a few thousand entries is 512 sectors; a larger one is damage.
constexpr std::int64_t kLargestRootDirectory = 1024 * 1024;
// The primary volume descriptor's sector, which tells the sector layout.
constexpr std::int64_t kVolumeDescriptorSector = 16;
// How far libiso9660 may look for the descriptor's signature away from where the layout puts it;
// the layout is then confirmed against our own reads.
constexpr std::uint16_t kFuzz = 1;

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

// The path under which the process reaches the open file again, for libiso9660, which takes only
// paths: it then opens the very file that was checked, whatever stands at the path by then.
std::string HandlePath(const ReadOnlyFile& file) {
  return "/proc/self/fd/" + std::to_string(file.NativeHandle());
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

bool ReadIsoRoots(const std::string& imagePath, const ReadOnlyFile& file, const FileIdentity& identity,
                  const std::string& sheetPath, const SectorLayout* wanted, IsoRoots* roots, std::string* error) {
  InstallQuietLog();
  const std::string libraryPath = HandlePath(file);
  const IsoHandle iso(iso9660_open_fuzzy_ext(libraryPath.c_str(), ISO_EXTENSION_NONE, kFuzz));
  if (!iso) {
    *error = imagePath + ": no ISO 9660 file system";
    return false;
  }
  if (!ConfirmLayout(iso.get(), file, wanted, &roots->layout)) {
    *error = wanted ? imagePath + ": its sectors are not laid out as " + sheetPath + " says"
                    : imagePath + ": unknown sector layout";
    return false;
  }

  const bool primaryRead = ReadRoot(iso.get(), file, identity, roots->layout, &roots->primary);
  // The fuzzy open reads only the primary descriptor; reading the descriptors again with Joliet
  // allowed switches the same reader, with the layout it found, over to the Joliet tree.
  if (iso9660_ifs_read_superblock(iso.get(), ISO_EXTENSION_JOLIET) &&
      iso9660_ifs_get_joliet_level(iso.get()) > 0 &&
      !ReadRoot(iso.get(), file, identity, roots->layout, &roots->joliet)) {
    roots->joliet.clear();  // a damaged Joliet tree: the primary names still serve
  }
  if (!primaryRead && roots->joliet.empty()) {
    *error = imagePath + ": the root directory cannot be read";
    return false;
  }
  return true;
}
