// ISO 9660 images put together byte by byte, for tests of the image reader on every platform (the
// image writer is not built everywhere) and for images that no writer makes: files in several
// extents or behind an extended attribute record, subdirectories, odd Joliet names, records
// that do not fit.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One directory record.
struct IsoRecord {
  std::string name;          // the recorded bytes: "MROLL.COR;1", or UTF-16BE for Joliet
  std::uint32_t extent = 0;  // first sector
  std::uint32_t length = 0;  // data length in bytes
  unsigned char flags = 0;   // 0x02 directory, 0x80 continued in the next record
  unsigned char extendedAttributeSectors = 0;
  unsigned char unitSize = 0;  // interleaved when not 0
};
std::string IsoDirectoryRecord(const IsoRecord& record);
// The UTF-16BE form of ASCII text, as Joliet records names.
std::string Utf16Be(std::string_view ascii);

class IsoBuilder {
 public:
  // A file of `data` in both trees: `name` upper-cased with ";1" among the primary names, `name`
  // as given among the Joliet names.
  void AddFile(const std::string& name, const std::string& data);
  // Records put into the primary or the Joliet root after the files' own, as given (their
  // extents are not checked).
  std::vector<IsoRecord> extraPrimary;
  std::vector<IsoRecord> extraJoliet;

  // The image: 16 empty sectors, the primary descriptor, the Joliet descriptor (when `joliet`),
  // the terminator, the primary root, the Joliet root, then each file's data from a sector of its
  // own.
  std::string Build(bool joliet = true) const;
  // Where the primary and the Joliet root directory lie (after Build).
  static constexpr std::uint32_t kPrimaryRootSector = 19;
  static constexpr std::uint32_t kJolietRootSector = 20;
  static constexpr std::uint32_t kFirstFileSector = 21;

 private:
  struct File {
    std::string name;
    std::string data;
  };
  std::vector<File> files;
};
