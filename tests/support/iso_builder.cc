#include "support/iso_builder.h"

#include <stdexcept>

namespace {

constexpr std::size_t kSector = 2048;

void PutBoth16(std::string& out, std::size_t at, std::uint16_t value) {
  out[at] = static_cast<char>(value & 0xFF);
  out[at + 1] = static_cast<char>(value >> 8);
  out[at + 2] = static_cast<char>(value >> 8);
  out[at + 3] = static_cast<char>(value & 0xFF);
}

void PutBoth32(std::string& out, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    out[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    out[at + 7 - i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  }
}

std::string Descriptor(unsigned char type, const IsoRecord& root, bool joliet) {
  std::string d(kSector, '\0');
  d[0] = static_cast<char>(type);
  d.replace(1, 5, "CD001");
  d[6] = 1;
  if (joliet) d.replace(88, 3, "%/E");
  PutBoth16(d, 120, 1);        // volume set size
  PutBoth16(d, 124, 1);        // volume sequence number
  PutBoth16(d, 128, kSector);  // logical block size
  d.replace(156, 34, IsoDirectoryRecord(root));
  d[881] = 1;  // file structure version
  return d;
}

std::string RootDirectory(std::uint32_t sector, std::vector<IsoRecord> records) {
  records.insert(records.begin(), {IsoRecord{std::string(1, '\0'), sector, kSector, 0x02},
                                   IsoRecord{std::string(1, '\1'), sector, kSector, 0x02}});
  std::string dir;
  for (const IsoRecord& r : records) dir += IsoDirectoryRecord(r);
  if (dir.size() > kSector) throw std::runtime_error("IsoBuilder: a root of one sector only");
  dir.resize(kSector, '\0');
  return dir;
}

}  // namespace

std::string IsoDirectoryRecord(const IsoRecord& record) {
  std::size_t size = 33 + record.name.size();
  size += size % 2;  // records are of even length
  if (size > 255) throw std::runtime_error("IsoBuilder: name too long");
  std::string r(size, '\0');
  r[0] = static_cast<char>(size);
  r[1] = static_cast<char>(record.extendedAttributeSectors);
  PutBoth32(r, 2, record.extent);
  PutBoth32(r, 10, record.length);
  r[25] = static_cast<char>(record.flags);
  r[26] = static_cast<char>(record.unitSize);
  PutBoth16(r, 28, 1);
  r[32] = static_cast<char>(record.name.size());
  r.replace(33, record.name.size(), record.name);
  return r;
}

std::string Utf16Be(std::string_view ascii) {
  std::string out;
  for (char c : ascii) {
    out.push_back('\0');
    out.push_back(c);
  }
  return out;
}

void IsoBuilder::AddFile(const std::string& name, const std::string& data) { files.push_back({name, data}); }

std::string IsoBuilder::Build(bool joliet) const {
  std::vector<IsoRecord> primary, jolietRecords;
  std::uint32_t next = kFirstFileSector;
  for (const File& f : files) {
    std::string upper = f.name;
    for (char& c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    const auto length = static_cast<std::uint32_t>(f.data.size());
    const std::uint32_t extent = length == 0 ? 0 : next;
    primary.push_back({upper + ";1", extent, length});
    jolietRecords.push_back({Utf16Be(f.name), extent, length});
    next += static_cast<std::uint32_t>((f.data.size() + kSector - 1) / kSector);
  }
  primary.insert(primary.end(), extraPrimary.begin(), extraPrimary.end());
  jolietRecords.insert(jolietRecords.end(), extraJoliet.begin(), extraJoliet.end());

  std::string terminator(kSector, '\0');
  terminator[0] = static_cast<char>(255);
  terminator.replace(1, 5, "CD001");
  terminator[6] = 1;
  std::string image(16 * kSector, '\0');
  image += Descriptor(1, {std::string(1, '\0'), kPrimaryRootSector, kSector, 0x02}, false);
  image +=
      joliet ? Descriptor(2, {std::string(1, '\0'), kJolietRootSector, kSector, 0x02}, true) : terminator;
  image += joliet ? terminator : std::string(kSector, '\0');
  image += RootDirectory(kPrimaryRootSector, primary);
  image += RootDirectory(kJolietRootSector, jolietRecords);
  for (const File& f : files) {
    std::string data = f.data;
    data.resize((data.size() + kSector - 1) / kSector * kSector, '\0');
    image += data;
  }
  return image;
}
