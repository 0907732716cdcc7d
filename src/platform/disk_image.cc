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
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "platform/cue_sheet.h"
#include "platform/regular_file.h"

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
// Bytes between the data of one raw sector and the data of the next (EDC/ECC, sync, header).
constexpr std::int64_t kRawGap = kRawSectorSize - kCookedSectorSize;

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
  const std::string directory = DirectoryOf(sheetPath);
  if (name.find('/') != std::string::npos) return directory + name;
  const std::string found = FindEntryIgnoringCase(directory, name);
  return directory + (found.empty() ? name : found);
}

bool ReadCueFile(const std::string& path, CueSheet* sheet, std::string* error) {
  const UniqueFd fd = OpenRegularFile(path, error);
  if (!fd.Valid()) return false;
  std::string text(static_cast<std::size_t>(kLargestCueSheet + 1), '\0');
  std::size_t got = 0;
  while (got < text.size()) {
    const ssize_t n = pread(fd.Get(), text.data() + got, text.size() - got, static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      *error = path + ": " + std::strerror(errno);
      return false;
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  if (got > static_cast<std::size_t>(kLargestCueSheet)) {
    *error = path + ": too large for a cue sheet";
    return false;
  }
  text.resize(got);
  return ReadCueSheet(text, path, sheet, error);
}

// Finds the layout under which our reads of the volume descriptor give what the library read:
// only `wanted` when a cue sheet tells it, else every layout in turn.
bool ConfirmLayout(iso9660_t* iso, int fd, const SectorLayout* wanted, SectorLayout* layout) {
  unsigned char expected[kCookedSectorSize];
  if (iso9660_iso_seek_read(iso, expected, kVolumeDescriptorSector, 1) != kCookedSectorSize) return false;
  for (SectorLayout candidate : {SectorLayout::kCooked, SectorLayout::kRawMode1, SectorLayout::kRawMode2Form1}) {
    if (wanted && candidate != *wanted) continue;
    const ImageExtent sector{kVolumeDescriptorSector, kCookedSectorSize, candidate};
    unsigned char ours[kCookedSectorSize];
    if (ReadExtent(fd, sector, 0, ours, sizeof ours) == kCookedSectorSize &&
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

bool DirectoryRecordsSound(int fd, ImageExtent directory) {
  directory.length = (directory.length + kCookedSectorSize - 1) / kCookedSectorSize * kCookedSectorSize;
  std::vector<unsigned char> bytes(static_cast<std::size_t>(directory.length));
  if (ReadExtent(fd, directory, 0, bytes.data(), bytes.size()) != directory.length) return false;
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
    if (std::any_of(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(end),
                    [](unsigned char b) { return b != 0; })) {
      return false;
    }
  }
  return true;
}

// The files of the root directory of the tree `iso` reads, or false when it cannot be read.
bool ReadRoot(iso9660_t* iso, int fd, const ImageIdentity& image, SectorLayout layout,
              std::vector<ImageFile>* files) {
  const std::unique_ptr<iso9660_stat_t, StatFree> root(iso9660_ifs_stat(iso, "/"));
  if (!root || root->type != iso9660_stat_s::_STAT_DIR) return false;
  // The library reads the whole directory into memory at once: bound it before it does.
  const ImageExtent rootExtent{root->lsn, root->size, layout};
  if (root->lsn < 0 || root->size == 0 || root->size > kLargestRootDirectory ||
      rootExtent.ImageOffset(rootExtent.length - 1) >= image.size || !DirectoryRecordsSound(fd, rootExtent)) {
    return false;
  }
  const std::unique_ptr<CdioList_t, ListFree> list(iso9660_ifs_readdir(iso, "/"));
  if (!list) return false;
  for (CdioListNode_t* node = _cdio_list_begin(list.get()); node; node = _cdio_list_node_next(node)) {
    const auto* entry = static_cast<const iso9660_stat_t*>(_cdio_list_node_data(node));
    if (!entry || entry->type != iso9660_stat_s::_STAT_FILE) continue;
    ImageFile file;
    file.name = entry->filename;
    // An empty file has no sectors; what its record says about their place does not matter.
    file.extent = {entry->size == 0 ? 0 : static_cast<std::int64_t>(entry->lsn), entry->size, layout};
    file.image = image;
    files->push_back(std::move(file));
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

std::int64_t ReadExtent(int fd, const ImageExtent& extent, std::int64_t offset, void* out, std::size_t size) {
  if (offset < 0) return -1;
  if (offset >= extent.length) return 0;
  const std::int64_t want = std::min<std::int64_t>(static_cast<std::int64_t>(size), extent.length - offset);
  auto* bytes = static_cast<unsigned char*>(out);
  std::int64_t done = 0;
  // The data of consecutive raw sectors is read in one call: each piece goes straight to `out`
  // and the bytes between two pieces into a scratch gap that is overwritten each time.
  unsigned char gap[kRawGap];
  constexpr int kMostPieces = 512;  // a piece and a gap each: Linux's IOV_MAX of 1024 vectors
  static_assert(2 * kMostPieces <= IOV_MAX);
  iovec parts[2 * kMostPieces];
  while (done < want) {
    const std::int64_t at = offset + done;
    int count = 0;
    std::int64_t pieceStart = at;
    while (pieceStart < offset + want && count + 1 < 2 * kMostPieces) {
      if (count > 0) {
        parts[count++] = {gap, static_cast<std::size_t>(kRawGap)};
      }
      const std::int64_t piece = std::min(extent.ContiguousBytes(pieceStart), offset + want - pieceStart);
      parts[count++] = {bytes + (pieceStart - offset), static_cast<std::size_t>(piece)};
      pieceStart += piece;
      if (extent.layout == SectorLayout::kCooked) break;
    }
    ssize_t n;
    do {
      n = preadv(fd, parts, count, static_cast<off_t>(extent.ImageOffset(at)));
    } while (n < 0 && errno == EINTR);
    if (n < 0) return -1;
    // Count the data bytes among what arrived.
    std::int64_t left = n;
    for (int i = 0; i < count && left > 0; ++i) {
      const std::int64_t got = std::min<std::int64_t>(left, static_cast<std::int64_t>(parts[i].iov_len));
      if (parts[i].iov_base != gap) done += got;
      left -= got;
    }
    // Short only at the end of the image file (or when a signal came between): the next call
    // goes on from the first byte that did not arrive and gets nothing at the end.
    if (n == 0) break;
  }
  return done;
}

namespace {

void FillIdentity(const struct stat& st, ImageIdentity* identity) {
  identity->device = static_cast<std::uint64_t>(st.st_dev);
  identity->inode = static_cast<std::uint64_t>(st.st_ino);
  identity->size = static_cast<std::int64_t>(st.st_size);
  identity->modifiedSeconds = st.st_mtim.tv_sec;
  identity->modifiedNanoseconds = st.st_mtim.tv_nsec;
  identity->changedSeconds = st.st_ctim.tv_sec;
  identity->changedNanoseconds = st.st_ctim.tv_nsec;
}

}  // namespace

bool IdentityOfImage(int fd, ImageIdentity* identity) {
  struct stat st;
  if (fstat(fd, &st) != 0) return false;
  FillIdentity(st, identity);
  return true;
}

bool IdentityOfImagePath(const std::string& path, ImageIdentity* identity) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return false;
  FillIdentity(st, identity);
  return true;
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
  image->imagePath_ = path;
  CueSheet sheet;
  const bool fromSheet = EndsWithIgnoringCase(path, ".cue");
  if (fromSheet) {
    if (!ReadCueFile(path, &sheet, error)) return nullptr;
    image->imagePath_ = ResolveSheetFile(path, sheet.fileName);
  }
  const std::string& imagePath = image->imagePath_;

  UniqueFd fd = OpenRegularFile(imagePath, error);
  if (!fd.Valid()) return nullptr;
  if (!IdentityOfImage(fd.Get(), &image->identity_)) {
    *error = imagePath + ": " + std::strerror(errno);
    return nullptr;
  }
  image->fd_ = fd.Release();

  // The library opens the checked file again through the descriptor, never the path.
  const std::string libraryPath = DescriptorPath(image->fd_);
  const IsoHandle primary(iso9660_open_fuzzy_ext(libraryPath.c_str(), ISO_EXTENSION_NONE, kFuzz));
  if (!primary) {
    *error = imagePath + ": no ISO 9660 file system";
    return nullptr;
  }
  if (!ConfirmLayout(primary.get(), image->fd_, fromSheet ? &sheet.layout : nullptr, &image->layout_)) {
    *error = fromSheet ? imagePath + ": its sectors are not laid out as " + path + " says"
                       : imagePath + ": unknown sector layout";
    return nullptr;
  }

  const bool primaryRead = ReadRoot(primary.get(), image->fd_, image->identity_, image->layout_, &image->primaryFiles_);
  // The fuzzy open reads only the primary descriptor; reading the descriptors again with Joliet
  // allowed switches the same reader, with the layout it found, over to the Joliet tree.
  if (iso9660_ifs_read_superblock(primary.get(), ISO_EXTENSION_JOLIET) &&
      iso9660_ifs_get_joliet_level(primary.get()) > 0 &&
      !ReadRoot(primary.get(), image->fd_, image->identity_, image->layout_, &image->jolietFiles_)) {
    image->jolietFiles_.clear();  // a damaged Joliet tree: the primary names still serve
  }
  if (!primaryRead && image->jolietFiles_.empty()) {
    *error = imagePath + ": the root directory cannot be read";
    return nullptr;
  }
  return image;
}

DiskImage::~DiskImage() {
  if (fd_ >= 0) close(fd_);
}

const std::vector<ImageFile>& DiskImage::RootFiles() const {
  return jolietFiles_.empty() ? primaryFiles_ : jolietFiles_;
}

bool DiskImage::Find(std::string_view name, ImageFile* file, std::string* error) const {
  for (const std::vector<ImageFile>* tree : {&jolietFiles_, &primaryFiles_}) {
    const ImageFile* match = nullptr;
    for (const ImageFile& candidate : *tree) {
      if (!ImageNameMatches(candidate.name, name)) continue;
      if (match) {
        *error = imagePath_ + ": " + match->name + " and " + candidate.name + " both stand for " + std::string(name);
        return false;
      }
      match = &candidate;
    }
    if (!match) continue;
    const ImageExtent& extent = match->extent;
    if (extent.firstSector < 0) {
      *error = imagePath_ + ": " + match->name + " lies before the start of the image";
      return false;
    }
    if (extent.length > 0 && extent.ImageOffset(extent.length - 1) >= identity_.size) {
      *error = imagePath_ + ": " + match->name + " runs past the end of the image (is it truncated?)";
      return false;
    }
    *file = *match;
    return true;
  }
  *error = imagePath_ + ": no file " + std::string(name);
  return false;
}

std::int64_t DiskImage::Read(const ImageFile& file, std::int64_t offset, void* out, std::size_t size) const {
  return ReadExtent(fd_, file.extent, offset, out, size);
}
