// Disk images: any bytes as a cue sheet, and any bytes as an image file, opened as an .iso or
// .bin would be and through a cue sheet of each track mode; then every root file found is read
// whole and in pieces. A file that Find accepts must read back at its full length; Joliet names
// are UTF-8.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "platform/cp1252.h"
#include "platform/cue_sheet.h"
#include "platform/disk_image.h"

namespace {

// Whether `text` is UTF-8 throughout, as a Joliet name is once read.
bool IsUtf8(const std::string& text) {
  for (std::size_t at = 0; at < text.size();) {
    char32_t c;
    const std::size_t length = DecodeUtf8(text, at, &c);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

void ReadEverything(const DiskImage& image) {
  std::vector<std::string> names;
  for (const ImageFile& f : image.RootFiles()) {
    FUZZ_CHECK(!image.HasJoliet() || IsUtf8(f.name));
    names.push_back(f.name);
  }
  for (const char* name : {"mrdb.id", "mroll.cor", "mroll.ext", "mroll.tre"}) names.push_back(name);
  for (const std::string& name : names) {
    ImageFile file;
    std::string error;
    if (!image.Find(name, &file, &error)) {
      FUZZ_CHECK(!error.empty());
      continue;
    }
    FUZZ_CHECK(file.extent.firstSector >= 0 && file.extent.length >= 0);
    FUZZ_CHECK(file.extent.length == 0 ||
               file.extent.ImageOffset(file.extent.length - 1) < image.Identity().size);
    std::string bytes(static_cast<std::size_t>(file.extent.length), '\0');
    FUZZ_CHECK(image.Read(file, 0, bytes.data(), bytes.size()) == file.extent.length);
    char piece[3000];
    for (std::int64_t at :
         {std::int64_t{1}, std::int64_t{2047}, file.extent.length / 2, file.extent.length - 1}) {
      if (at < 0 || at >= file.extent.length) continue;
      const std::int64_t n = image.Read(file, at, piece, sizeof piece);
      FUZZ_CHECK(n == std::min<std::int64_t>(sizeof piece, file.extent.length - at));
      FUZZ_CHECK(std::string_view(piece, static_cast<std::size_t>(n)) ==
                 std::string_view(bytes).substr(static_cast<std::size_t>(at), static_cast<std::size_t>(n)));
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string_view> parts = fuzz::SplitParts(data, size, 2);
  CueSheet sheet;
  std::string error;
  if (ReadCueSheet(parts[0], "fuzz.cue", &sheet, &error)) {
    FUZZ_CHECK(!sheet.fileName.empty());
  } else {
    FUZZ_CHECK(error.rfind("fuzz.cue", 0) == 0);
  }

  static const std::string dir = fuzz::ScratchDir();
  fuzz::WriteFile(dir + "image.bin", parts[1]);
  if (const std::unique_ptr<DiskImage> image = DiskImage::Open(dir + "image.bin", &error))
    ReadEverything(*image);

  // The same bytes through a cue sheet that tells the layout, chosen by the cue part's length.
  static const char* const kModes[] = {"MODE1/2048", "MODE1/2352", "MODE2/2352"};
  fuzz::WriteFile(dir + "image.cue", std::string("FILE \"image.bin\" BINARY\n TRACK 01 ") +
                                         kModes[parts[0].size() % 3] + "\n  INDEX 01 00:00:00\n");
  if (const std::unique_ptr<DiskImage> image = DiskImage::Open(dir + "image.cue", &error))
    ReadEverything(*image);
  return 0;
}
