// The image's layout and extents, and its cue sheet; the file system itself is read by
// iso9660_root.h.
#include "platform/disk_image.h"

#include <strings.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/cue_sheet.h"
#include "platform/iso9660_root.h"
#include "platform/open_checked.h"

namespace {

// A cue sheet is a few lines; anything larger is not one.
constexpr std::int64_t kLargestCueSheet = 64 * 1024;
// Raw sectors read at once into a scratch buffer: 64 KiB of data, the engine's longest run.
constexpr std::int64_t kRawSectorsAtOnce = 32;

bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         strncasecmp(text.data() + text.size() - suffix.size(), suffix.data(), suffix.size()) == 0;
}

std::string DirectoryOf(const std::string& path) {
  std::size_t end = path.size();
  while (end > 0 && !IsPathSeparator(path[end - 1])) --end;
  return path.substr(0, end);
}

// The file a cue sheet names, taken from the sheet's directory unless the name is absolute; a
// name in another case than the file's (sheets written on systems that ignore case) is found too.
std::string ResolveSheetFile(const std::string& sheetPath, const std::string& name) {
  const bool driveLetter = kPathSeparator == '\\' && name.size() > 2 && name[1] == ':' && IsPathSeparator(name[2]);
  if (IsPathSeparator(name.front()) || driveLetter) return name;
  return ResolveDataFile(DirectoryOf(sheetPath) + name);
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
  std::unique_ptr<DiskImage> image(new DiskImage());
  image->imagePath = path;
  CueSheet sheet;
  const bool fromSheet = EndsWithIgnoringCase(path, ".cue");
  if (fromSheet) {
    if (!ReadCueFile(path, &sheet, error)) return nullptr;
    image->imagePath = ResolveSheetFile(path, sheet.fileName);
  }
  const std::string& imagePath = image->imagePath;
  ReadOnlyFile& file = *image->imageFile;
  if (!OpenChecked(imagePath, "a disk image", &file, error)) return nullptr;
  image->imageIdentity = file.Identity();

  IsoRoots roots;
  if (!ReadIsoRoots(imagePath, file, image->imageIdentity, path, fromSheet ? &sheet.layout : nullptr, &roots,
                    error)) {
    return nullptr;
  }
  image->sectorLayout = roots.layout;
  image->primaryFiles = std::move(roots.primary);
  image->jolietFiles = std::move(roots.joliet);
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
    if (extent.length > 0 && extent.ImageOffset(extent.length - 1) >= imageFile->Size()) {
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
  return ReadExtent(*imageFile, file.extent, offset, out, size);
}

ReadOnlyFile DiskImage::OpenWindow(const ImageFile& file) const { return ReadOnlyFile::Window(imageFile, file.extent); }

std::string DiskImage::SectorFileOf(const std::string& path) {
  if (!EndsWithIgnoringCase(path, ".cue")) return path;
  CueSheet sheet;
  std::string error;
  return ReadCueFile(path, &sheet, &error) ? ResolveSheetFile(path, sheet.fileName) : path;
}
