#include "platform/iso9660_root.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "platform/byte_order.h"
#include "platform/cp1252.h"

namespace {

// The first volume descriptor's sector: the sixteen before it are the system area.
constexpr std::int64_t kFirstDescriptorSector = 16;
// Descriptors looked through after the primary one for a Joliet one. A disk has a handful (a
// boot record, a Joliet and an enhanced descriptor, the terminator); a longer set is damage.
constexpr int kMostDescriptors = 32;
// A root directory of a few thousand entries is 512 sectors; a larger one is damage.
constexpr std::int64_t kLargestRootDirectory = 1024 * 1024;

// Volume descriptor fields.
constexpr int kDescriptorTypeOffset = 0;
constexpr int kStandardIdOffset = 1;
constexpr int kDescriptorVersionOffset = 6;
constexpr int kEscapeSequencesOffset = 88;
constexpr int kBlockSizeOffset = 128;
constexpr int kRootRecordOffset = 156;
constexpr unsigned char kPrimaryDescriptor = 1;
constexpr unsigned char kSupplementaryDescriptor = 2;
constexpr unsigned char kTerminatorDescriptor = 255;

// Directory record fields.
constexpr int kExtendedAttributeOffset = 1;
constexpr int kExtentOffset = 2;
constexpr int kDataLengthOffset = 10;
constexpr int kFlagsOffset = 25;
constexpr int kUnitSizeOffset = 26;
constexpr int kInterleaveGapOffset = 27;
constexpr int kNameLengthOffset = 32;
constexpr int kNameOffset = 33;
constexpr std::size_t kRecordFixedSize = 33;
constexpr unsigned char kDirectoryFlag = 0x02;
constexpr unsigned char kMultiExtentFlag = 0x80;  // the file goes on in the next record
static_assert(kRootRecordOffset + kRecordFixedSize + 1 <= kCookedSectorSize);

using Sector = unsigned char[kCookedSectorSize];

std::uint32_t DecodeUnsigned32(const unsigned char* bytes) {
  return static_cast<std::uint32_t>(DecodeFixed32(bytes));
}

// Whole logical sectors of the image under one layout, read only where the file had them when
// it was opened.
class SectorReader {
 public:
  SectorReader(const ReadOnlyFile& image, SectorLayout sectorLayout) : file(image), layout(sectorLayout) {}

  bool Read(std::int64_t first, std::int64_t count, unsigned char* out) const {
    if (first < 0 || count <= 0) return false;
    const ImageExtent extent{first, count * kCookedSectorSize, layout};
    if (extent.ImageOffset(extent.length - 1) >= file.Size()) return false;
    return ReadExtent(file, extent, 0, out, static_cast<std::size_t>(extent.length)) == extent.length;
  }

  SectorLayout Layout() const { return layout; }

 private:
  const ReadOnlyFile& file;
  SectorLayout layout;
};

bool IsDescriptor(const unsigned char* sector, unsigned char type) {
  return sector[kDescriptorTypeOffset] == type && std::memcmp(sector + kStandardIdOffset, "CD001", 5) == 0 &&
         sector[kDescriptorVersionOffset] == 1;
}

bool IsJoliet(const unsigned char* descriptor) {
  const unsigned char* escapes = descriptor + kEscapeSequencesOffset;
  return IsDescriptor(descriptor, kSupplementaryDescriptor) && escapes[0] == '%' && escapes[1] == '/' &&
         (escapes[2] == '@' || escapes[2] == 'C' || escapes[2] == 'E');
}

// The layout under which sector 16 holds the primary descriptor, copied to `descriptor`.
std::optional<SectorLayout> FindLayout(const ReadOnlyFile& file, const SectorLayout* only,
                                       unsigned char* descriptor) {
  for (SectorLayout candidate :
       {SectorLayout::kCooked, SectorLayout::kRawMode1, SectorLayout::kRawMode2Form1}) {
    if (only && candidate != *only) continue;
    if (SectorReader(file, candidate).Read(kFirstDescriptorSector, 1, descriptor) &&
        IsDescriptor(descriptor, kPrimaryDescriptor)) {
      return candidate;
    }
  }
  return std::nullopt;
}

// The files of one directory record's run of sectors, from its records; false when the
// directory cannot be read or a record does not fit where it stands (a damaged tree).
class RootReader {
 public:
  RootReader(const SectorReader& sectors, const FileIdentity& image, bool jolietNames)
      : reader(sectors), identity(image), joliet(jolietNames) {}

  bool Read(const unsigned char* descriptor, std::vector<ImageFile>* files) {
    const unsigned char* root = descriptor + kRootRecordOffset;
    if ((static_cast<unsigned>(descriptor[kBlockSizeOffset]) | (descriptor[kBlockSizeOffset + 1] << 8)) !=
            static_cast<unsigned>(kCookedSectorSize) ||
        !(root[kFlagsOffset] & kDirectoryFlag)) {
      return false;
    }
    const std::int64_t first =
        static_cast<std::int64_t>(DecodeUnsigned32(root + kExtentOffset)) + root[kExtendedAttributeOffset];
    const std::int64_t length = DecodeUnsigned32(root + kDataLengthOffset);
    if (length <= 0 || length > kLargestRootDirectory) return false;
    const std::int64_t sectors = (length + kCookedSectorSize - 1) / kCookedSectorSize;
    std::vector<unsigned char> bytes(static_cast<std::size_t>(sectors * kCookedSectorSize));
    if (!reader.Read(first, sectors, bytes.data())) return false;

    std::vector<ImageFile> found;
    for (std::int64_t start = 0; start < length; start += kCookedSectorSize) {
      const std::int64_t end = std::min<std::int64_t>(start + kCookedSectorSize, length);
      std::int64_t at = start;
      while (at < end && bytes[static_cast<std::size_t>(at)] != 0) {
        const unsigned char* record = bytes.data() + at;
        const std::size_t size = record[0];
        if (size <= kRecordFixedSize || at + static_cast<std::int64_t>(size) > end ||
            kRecordFixedSize + record[kNameLengthOffset] > size) {
          return false;
        }
        Take(record, &found);
        at += static_cast<std::int64_t>(size);
      }
    }
    *files = std::move(found);
    return true;
  }

 private:
  void Take(const unsigned char* record, std::vector<ImageFile>* found) {
    const unsigned char flags = record[kFlagsOffset];
    const std::string_view recordedName(reinterpret_cast<const char*>(record + kNameOffset),
                                        record[kNameLengthOffset]);
    // A file in several extents (each but the last flagged) is not one run of sectors; an
    // interleaved one neither. Neither is read: no roll file is written so.
    const bool continued = continuing && recordedName == pieceName;
    continuing = (flags & kMultiExtentFlag) != 0;
    if (continuing) pieceName.assign(recordedName);
    if (continued || continuing || record[kUnitSizeOffset] != 0 || record[kInterleaveGapOffset] != 0) return;
    // "." and ".." and every subdirectory.
    if (flags & kDirectoryFlag) return;

    ImageFile file;
    file.name = joliet ? JolietNameToUtf8(recordedName) : std::string(recordedName);
    const std::int64_t length = DecodeUnsigned32(record + kDataLengthOffset);
    // An empty file has no sectors; what its record says about their place does not matter.
    const std::int64_t first = length == 0
                                   ? 0
                                   : static_cast<std::int64_t>(DecodeUnsigned32(record + kExtentOffset)) +
                                         record[kExtendedAttributeOffset];
    file.extent = {first, length, reader.Layout()};
    file.image = identity;
    found->push_back(std::move(file));
  }

  const SectorReader& reader;
  const FileIdentity& identity;
  const bool joliet;
  bool continuing = false;
  std::string pieceName;
};

}  // namespace

std::string JolietNameToUtf8(std::string_view ucs2) {
  std::string out;
  const auto unit = [&](std::size_t i) {
    return static_cast<char32_t>((static_cast<unsigned char>(ucs2[i]) << 8) |
                                 static_cast<unsigned char>(ucs2[i + 1]));
  };
  std::size_t i = 0;
  for (; i + 1 < ucs2.size(); i += 2) {
    const char32_t high = unit(i);
    if (high >= 0xD800 && high <= 0xDBFF && i + 3 < ucs2.size()) {
      const char32_t low = unit(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00), &out);
        i += 2;
        continue;
      }
    }
    AppendUtf8(high >= 0xD800 && high <= 0xDFFF ? char32_t{0xFFFD} : high, &out);
  }
  if (i < ucs2.size()) AppendUtf8(0xFFFD, &out);
  return out;
}

bool ReadIsoRoots(const std::string& imagePath, const ReadOnlyFile& file, const FileIdentity& identity,
                  const std::string& sheetPath, const SectorLayout* wanted, IsoRoots* roots, std::string* error) {
  Sector primary;
  const std::optional<SectorLayout> layout = FindLayout(file, wanted, primary);
  if (!layout) {
    *error = wanted && FindLayout(file, nullptr, primary)
                 ? imagePath + ": its sectors are not laid out as " + sheetPath + " says"
                 : imagePath + ": no ISO 9660 file system";
    return false;
  }
  roots->layout = *layout;
  const SectorReader sectors(file, *layout);
  const bool primaryRead = RootReader(sectors, identity, false).Read(primary, &roots->primary);

  // The first Joliet descriptor of the set, if the set has one before its terminator.
  Sector descriptor;
  for (int i = 1; i <= kMostDescriptors; ++i) {
    if (!sectors.Read(kFirstDescriptorSector + i, 1, descriptor) ||
        std::memcmp(descriptor + kStandardIdOffset, "CD001", 5) != 0 ||
        descriptor[kDescriptorTypeOffset] == kTerminatorDescriptor) {
      break;
    }
    if (!IsJoliet(descriptor)) continue;
    // A damaged Joliet tree leaves no Joliet names: the primary names still serve.
    RootReader(sectors, identity, true).Read(descriptor, &roots->joliet);
    break;
  }
  if (!primaryRead && roots->joliet.empty()) {
    *error = imagePath + ": the root directory cannot be read";
    return false;
  }
  return true;
}
