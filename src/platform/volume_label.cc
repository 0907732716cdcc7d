#include "platform/volume_label.h"

#include <cstring>

#include "platform/disk_image.h"
#include "platform/file_system.h"

namespace {

// The primary volume descriptor: type 1, "CD001", version 1; the volume identifier at 40..71.
constexpr std::int64_t kDescriptorSector = 16;
constexpr std::size_t kIdentifierOffset = 40;
constexpr std::size_t kIdentifierSize = 32;
constexpr std::size_t kDescriptorStart = kIdentifierOffset + kIdentifierSize;

std::string LabelText(const unsigned char* identifier) {
  std::string label(reinterpret_cast<const char*>(identifier), kIdentifierSize);
  while (!label.empty() && (label.back() == ' ' || label.back() == '\0')) label.pop_back();
  for (char& c : label) {
    if (c < 0x20 || c > 0x7E) c = '_';
  }
  return label;
}

}  // namespace

std::string VolumeLabelOfImage(const std::string& imagePath) {
  ReadOnlyFile image;
  if (image.Open(DiskImage::SectorFileOf(imagePath)) != OpenStatus::kOk) return {};
  for (SectorLayout layout : {SectorLayout::kCooked, SectorLayout::kRawMode1, SectorLayout::kRawMode2Form1}) {
    unsigned char descriptor[kDescriptorStart];
    const std::int64_t at = kDescriptorSector * SectorSizeOf(layout) + DataOffsetOf(layout);
    if (image.ReadAt(at, descriptor, sizeof descriptor) != static_cast<std::int64_t>(sizeof descriptor))
      continue;
    if (descriptor[0] != 1 || std::memcmp(descriptor + 1, "CD001", 5) != 0 || descriptor[6] != 1) continue;
    return LabelText(descriptor + kIdentifierOffset);
  }
  return {};
}
