#include "support/raw_image.h"

#include <stdexcept>

#include "support/scoped_temp_dir.h"

namespace {

constexpr std::size_t kDataSize = 2048;
constexpr std::size_t kRawSize = 2352;
constexpr int kLeadIn = 150;  // sector 0 of the data sits at 00:02:00 on the disc

unsigned char Bcd(int value) { return static_cast<unsigned char>(((value / 10) << 4) | (value % 10)); }

// The 16 bytes before a raw sector's data (mode 1) or its subheader (mode 2).
std::string SyncAndHeader(int sector, int mode) {
  std::string h = std::string(1, '\0') + std::string(10, '\xFF') + std::string(1, '\0');
  const int address = sector + kLeadIn;
  h += static_cast<char>(Bcd(address / (75 * 60)));
  h += static_cast<char>(Bcd(address / 75 % 60));
  h += static_cast<char>(Bcd(address % 75));
  h += static_cast<char>(mode);
  return h;
}

}  // namespace

const char* RawModeName(RawMode mode) {
  switch (mode) {
    case RawMode::kMode1Raw:
      return "MODE1/2352";
    case RawMode::kMode2Raw:
      return "MODE2/2352";
    case RawMode::kMode1Cooked:
      return "MODE1/2048";
  }
  return "";
}

void WriteRawImage(const std::string& isoPath, const std::string& binPath, const std::string& cuePath,
                   RawMode mode) {
  const std::string iso = ReadFileBytes(isoPath);
  if (iso.empty() || iso.size() % kDataSize != 0) throw std::runtime_error(isoPath + ": not whole sectors");
  std::string bin;
  bin.reserve(iso.size() / kDataSize * kRawSize);
  for (std::size_t i = 0; i * kDataSize < iso.size(); ++i) {
    const std::string data = iso.substr(i * kDataSize, kDataSize);
    const int sector = static_cast<int>(i);
    switch (mode) {
      case RawMode::kMode1Cooked:
        bin += data;
        break;
      case RawMode::kMode1Raw:
        bin += SyncAndHeader(sector, 1) + data + std::string(288, '\0');
        break;
      case RawMode::kMode2Raw: {
        // Subheader, twice: file 0, channel 0, submode "data", coding 0.
        const std::string subheader("\0\0\x08\0\0\0\x08\0", 8);
        bin += SyncAndHeader(sector, 2) + subheader + data + std::string(280, '\0');
        break;
      }
    }
  }
  WriteFileBytes(binPath, bin);
  const std::string binName = binPath.substr(binPath.rfind('/') + 1);
  WriteFileBytes(cuePath, "FILE \"" + binName + "\" BINARY\n  TRACK 01 " + RawModeName(mode) +
                              "\n    INDEX 01 00:00:00\n");
  if (ReadFileBytes(binPath).size() != bin.size()) throw std::runtime_error(binPath + ": not written");
}
