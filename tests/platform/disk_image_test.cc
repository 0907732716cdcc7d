#include "platform/disk_image.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "platform/disk_image_writer.h"
#include "support/raw_image.h"
#include "support/scoped_temp_dir.h"
#include "support/test_roll.h"

namespace {

const std::vector<std::string> kRollNames = {"mrdb.id", "mroll.cor", "mroll.ext", "mroll.tre"};

// A roll whose line file spans many sectors, so that reads cross sector boundaries.
class RollOnDisk {
 public:
  RollOnDisk() {
    for (int i = 0; i < 400; ++i) {
      roll.Add("Surname" + std::string(1, static_cast<char>('A' + i % 26)) + std::to_string(i / 26),
               "Given " + std::to_string(i), SampleFields(std::to_string(i)));
    }
    roll.Build();
  }

  // The roll as an ISO image in the scratch directory; throws on failure.
  std::string WriteIso(const std::string& name, bool joliet = true) {
    std::vector<IsoImageFile> files;
    std::string error;
    if (!CollectImageFiles(roll.dataDir, kRollNames, &files, &error)) throw std::runtime_error(error);
    IsoImageOptions options;
    options.joliet = joliet;
    const std::string path = scratch.File(name);
    if (!WriteIsoImage(files, path, options, &error)) throw std::runtime_error(error);
    return path;
  }

  TestRoll roll;
  ScopedTempDir scratch;
};

std::unique_ptr<DiskImage> OpenOrFail(const std::string& path) {
  std::string error;
  std::unique_ptr<DiskImage> image = DiskImage::Open(path, &error);
  EXPECT_TRUE(image) << path << ": " << error;
  return image;
}

std::string OpenError(const std::string& path) {
  std::string error;
  EXPECT_FALSE(DiskImage::Open(path, &error)) << path;
  return error;
}

std::string FindError(const DiskImage& image, const std::string& name) {
  ImageFile file;
  std::string error;
  EXPECT_FALSE(image.Find(name, &file, &error)) << name;
  return error;
}

// The whole file read back in reads of `chunk` bytes.
std::string ReadWhole(const DiskImage& image, const ImageFile& file, std::size_t chunk) {
  std::string bytes;
  std::string buffer(chunk, '\0');
  for (std::int64_t at = 0;; at += static_cast<std::int64_t>(chunk)) {
    const std::int64_t n = image.Read(file, at, buffer.data(), chunk);
    if (n <= 0) break;
    bytes.append(buffer.data(), static_cast<std::size_t>(n));
  }
  return bytes;
}

std::vector<std::string> RootNames(const DiskImage& image) {
  std::vector<std::string> names;
  for (const ImageFile& f : image.RootFiles()) names.push_back(f.name);
  return names;
}

struct ImageKind {
  const char* label;
  bool joliet;
  std::optional<RawMode> raw;
  bool openTheBin;  // a raw image opened through its .bin instead of its .cue
  SectorLayout layout;
};

class ImageRoundTrip : public testing::TestWithParam<ImageKind> {};

}  // namespace

TEST_P(ImageRoundTrip, EveryRollFileReadsBackAsWritten) {
  const ImageKind& kind = GetParam();
  RollOnDisk disk;
  std::string path = disk.WriteIso("roll.iso", kind.joliet);
  if (kind.raw) {
    const std::string bin = disk.scratch.File("roll.bin"), cue = disk.scratch.File("roll.cue");
    WriteRawImage(path, bin, cue, *kind.raw);
    path = kind.openTheBin ? bin : cue;
  }
  const std::unique_ptr<DiskImage> image = OpenOrFail(path);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->Layout(), kind.layout);
  EXPECT_EQ(image->HasJoliet(), kind.joliet);
  EXPECT_EQ(image->ImagePath(), kind.raw ? disk.scratch.File("roll.bin") : path);
  const std::vector<std::string> expected =
      kind.joliet ? kRollNames
                  : std::vector<std::string>{"MRDB.ID;1", "MROLL.COR;1", "MROLL.EXT;1", "MROLL.TRE;1"};
  EXPECT_EQ(RootNames(*image), expected);

  for (const std::string name : {"mrdb.id", "MROLL.COR", "Mroll.Ext", "mroll.tre"}) {
    SCOPED_TRACE(name);
    ImageFile file;
    std::string error;
    ASSERT_TRUE(image->Find(name, &file, &error)) << error;
    EXPECT_TRUE(file.image.Unchanged(image->Identity()));
    std::string lower = name;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::string original = ReadFileBytes(disk.roll.dataDir + lower);
    EXPECT_EQ(file.extent.length, static_cast<std::int64_t>(original.size()));
    // Whole sectors, odd pieces that straddle sector ends, and one read of everything.
    EXPECT_TRUE(ReadWhole(*image, file, 2048) == original);
    EXPECT_TRUE(ReadWhole(*image, file, 1000) == original);
    EXPECT_TRUE(ReadWhole(*image, file, original.size() + 10) == original);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ImageRoundTrip,
    testing::Values(ImageKind{"IsoWithJoliet", true, std::nullopt, false, SectorLayout::kCooked},
                    ImageKind{"IsoPlainNames", false, std::nullopt, false, SectorLayout::kCooked},
                    ImageKind{"Mode1Raw", true, RawMode::kMode1Raw, false, SectorLayout::kRawMode1},
                    ImageKind{"Mode1RawByItsBin", false, RawMode::kMode1Raw, true, SectorLayout::kRawMode1},
                    ImageKind{"Mode2Form1Raw", true, RawMode::kMode2Raw, false, SectorLayout::kRawMode2Form1},
                    ImageKind{"Mode2Form1RawByItsBin", true, RawMode::kMode2Raw, true,
                              SectorLayout::kRawMode2Form1},
                    ImageKind{"Mode1Cooked", false, RawMode::kMode1Cooked, false, SectorLayout::kCooked}),
    [](const testing::TestParamInfo<ImageKind>& kind) { return kind.param.label; });

// The sector arithmetic on its own, over an image whose every data byte tells where it belongs:
// reads that start and end anywhere, cross many sectors at once, and meet the image's end.
TEST(ReadExtent, TakesTheDataOfEachSectorAndSkipsWhatLiesBetween) {
  ScopedTempDir dir;
  constexpr int kSectors = 1200;  // more pieces than one call reads
  constexpr std::int64_t kFirst = 3;
  std::string raw;
  std::string data;
  for (int s = 0; s < kSectors; ++s) {
    std::string sectorData(2048, '\0');
    for (int i = 0; i < 2048; ++i) sectorData[i] = static_cast<char>((s * 7 + i) % 251);
    raw += std::string(16, 'H') + sectorData + std::string(288, 'E');
    if (s >= kFirst) data += sectorData;
  }
  WriteFileBytes(dir.File("raw.bin"), raw);
  ReadOnlyFile file;
  ASSERT_EQ(file.Open(dir.File("raw.bin")), OpenStatus::kOk);

  const ImageExtent extent{kFirst, static_cast<std::int64_t>(data.size()) - 100, SectorLayout::kRawMode1};
  EXPECT_EQ(extent.ImageOffset(0), kFirst * 2352 + 16);
  EXPECT_EQ(extent.ImageOffset(2049), (kFirst + 1) * 2352 + 16 + 1);
  EXPECT_EQ(extent.ContiguousBytes(2000), 48);
  EXPECT_EQ(extent.ContiguousBytes(extent.length - 5), 5);

  for (const auto& [offset, size] : std::vector<std::pair<std::int64_t, std::size_t>>{
           {0, 1}, {2047, 2}, {100, 5000}, {2048, 2048}, {1, 2048 * 700 + 13}, {0, data.size()}}) {
    std::string out(size, '?');
    const std::int64_t want = std::min<std::int64_t>(static_cast<std::int64_t>(size), extent.length - offset);
    ASSERT_EQ(ReadExtent(file, extent, offset, out.data(), size), want) << offset << "+" << size;
    EXPECT_TRUE(out.substr(0, want) == data.substr(offset, want)) << offset << "+" << size;
  }
  char c;
  EXPECT_EQ(ReadExtent(file, extent, extent.length, &c, 1), 0);
  EXPECT_EQ(ReadExtent(file, extent, -1, &c, 1), -1);

  // An image file cut short inside a sector's data, and inside the bytes after it.
  for (std::int64_t cut : {kFirst * 2352 + 16 + 2048 + 2352 + 700, (kFirst + 2) * 2352 + 10}) {
    std::error_code error;
    std::filesystem::resize_file(dir.File("raw.bin"), static_cast<std::uintmax_t>(cut), error);
    ASSERT_FALSE(error) << error.message();
    std::string out(3 * 2048, '?');
    const std::int64_t got = ReadExtent(file, extent, 0, out.data(), out.size());
    const std::int64_t whole = (cut - kFirst * 2352) / 2352 * 2048;
    const std::int64_t expected =
        whole + std::clamp<std::int64_t>((cut - kFirst * 2352) % 2352 - 16, 0, 2048);
    EXPECT_EQ(got, expected) << cut;
    EXPECT_TRUE(out.substr(0, got) == data.substr(0, got)) << cut;
  }
}

TEST(ImageNameMatches, IgnoresCaseAndTheVersionSuffix) {
  struct Case {
    const char* recorded;
    const char* wanted;
    bool match;
  };
  for (const Case& c : std::vector<Case>{{"MROLL.COR;1", "mroll.cor", true},
                                         {"mroll.cor", "MROLL.COR", true},
                                         {"MRDB.ID;12", "mrdb.id", true},
                                         {"README.;1", "readme", true},
                                         {"MROLL.COR", "mroll.cor", true},
                                         {"MROLL.CORE;1", "mroll.cor", false},
                                         {"MROLL.CO;1", "mroll.cor", false},
                                         {"MROLL.COR;X", "mroll.cor", false},
                                         {"MROLL.COR;1", "mroll.cor;1", false},
                                         {"", "mroll.cor", false}}) {
    EXPECT_EQ(ImageNameMatches(c.recorded, c.wanted), c.match) << c.recorded << " / " << c.wanted;
  }
}

TEST(DiskImageOpen, RefusesWhatIsNotARegularFileWithoutWaiting) {
  ScopedTempDir dir;
  ASSERT_TRUE(std::filesystem::create_directory(dir.File("disk.iso")));
  EXPECT_EQ(OpenError(dir.File("disk.iso")), dir.File("disk.iso") + ": a directory, not a disk image");
  EXPECT_EQ(OpenError(dir.File("none.iso")), dir.File("none.iso") + ": missing");
#ifndef _WIN32  // FIFOs and /dev
  ASSERT_EQ(mkfifo(dir.File("fifo.iso").c_str(), 0644), 0);
  EXPECT_EQ(OpenError(dir.File("fifo.iso")), dir.File("fifo.iso") + ": a FIFO, not a disk image");
  EXPECT_EQ(OpenError("/dev/null"), "/dev/null: a device, not a disk image");

  // A cue sheet that is itself a FIFO, and one that names a FIFO for its sectors.
  ASSERT_EQ(mkfifo(dir.File("fifo.cue").c_str(), 0644), 0);
  EXPECT_EQ(OpenError(dir.File("fifo.cue")), dir.File("fifo.cue") + ": a FIFO, not a cue sheet");
  ASSERT_EQ(mkfifo(dir.File("pipe.bin").c_str(), 0644), 0);
  WriteFileBytes(dir.File("pipe.cue"),
                 "FILE \"pipe.bin\" BINARY\n TRACK 01 MODE1/2352\n  INDEX 01 00:00:00\n");
  EXPECT_EQ(OpenError(dir.File("pipe.cue")), dir.File("pipe.bin") + ": a FIFO, not a disk image");
#endif
}

TEST(DiskImageOpen, TellsWhatIsWrongWithTheImage) {
  RollOnDisk disk;
  const std::string iso = disk.WriteIso("roll.iso");
  const std::string& dir = disk.scratch.Prefix();

  WriteFileBytes(dir + "empty.iso", "");
  EXPECT_EQ(OpenError(dir + "empty.iso"), dir + "empty.iso: no ISO 9660 file system");
  WriteFileBytes(dir + "text.iso", std::string(100000, 'x'));
  EXPECT_EQ(OpenError(dir + "text.iso"), dir + "text.iso: no ISO 9660 file system");
  std::string damaged = ReadFileBytes(iso);
  damaged.replace(16 * 2048 + 1, 5, "XXXXX");  // the primary descriptor's signature
  WriteFileBytes(dir + "damaged.iso", damaged);
  EXPECT_EQ(OpenError(dir + "damaged.iso"), dir + "damaged.iso: no ISO 9660 file system");

  // Cut before the root directories: the descriptors are there, nothing else.
  WriteFileBytes(dir + "cut.iso", ReadFileBytes(iso).substr(0, 19 * 2048));
  EXPECT_EQ(OpenError(dir + "cut.iso"), dir + "cut.iso: the root directory cannot be read");

  // A directory record whose name runs past the record (and past the directory's sector).
  disk.WriteIso("plain.iso", false);
  std::string record = ReadFileBytes(dir + "plain.iso");
  const std::size_t name = record.find("MROLL.TRE;1");
  ASSERT_NE(name, std::string::npos);
  record[name - 1] = '\xF0';
  WriteFileBytes(dir + "record.iso", record);
  EXPECT_EQ(OpenError(dir + "record.iso"), dir + "record.iso: the root directory cannot be read");

  // The cue sheet says mode 2 where the sectors are mode 1.
  WriteRawImage(iso, dir + "m1.bin", dir + "m1.cue", RawMode::kMode1Raw);
  WriteFileBytes(dir + "m1.cue", "FILE \"m1.bin\" BINARY\n TRACK 01 MODE2/2352\n  INDEX 01 00:00:00\n");
  EXPECT_EQ(OpenError(dir + "m1.cue"),
            dir + "m1.bin: its sectors are not laid out as " + dir + "m1.cue says");

  WriteFileBytes(dir + "big.cue", std::string(64 * 1024 + 1, ' '));
  EXPECT_EQ(OpenError(dir + "big.cue"), dir + "big.cue: too large for a cue sheet");
}

TEST(DiskImageFind, ReportsMissingTruncatedAndAmbiguousFiles) {
  RollOnDisk disk;
  const std::string& dir = disk.scratch.Prefix();
  WriteFileBytes(dir + "readme.txt", "not a roll");
  std::string error;
  ASSERT_TRUE(WriteIsoImage({{"readme.txt", dir + "readme.txt"}}, dir + "other.iso", {}, &error)) << error;
  std::unique_ptr<DiskImage> other = OpenOrFail(dir + "other.iso");
  ASSERT_TRUE(other);
  EXPECT_EQ(FindError(*other, "mroll.cor"), dir + "other.iso: no file mroll.cor");

  // Two Joliet names for one wanted name.
  ASSERT_TRUE(WriteIsoImage({{"mroll.cor", dir + "readme.txt"}, {"MRoll.Cor", dir + "readme.txt"}},
                            dir + "twice.iso", {}, &error))
      << error;
  std::unique_ptr<DiskImage> twice = OpenOrFail(dir + "twice.iso");
  ASSERT_TRUE(twice);
  EXPECT_EQ(FindError(*twice, "mroll.cor"),
            dir + "twice.iso: MRoll.Cor and mroll.cor both stand for mroll.cor");

  // Cut inside the last file's sectors: the files before it still read, that one is refused.
  const std::string iso = ReadFileBytes(disk.WriteIso("roll.iso"));
  std::unique_ptr<DiskImage> whole = OpenOrFail(dir + "roll.iso");
  ASSERT_TRUE(whole);
  const ImageFile* last = nullptr;
  for (const ImageFile& f : whole->RootFiles()) {
    if (!last || f.extent.firstSector > last->extent.firstSector) last = &f;
  }
  ASSERT_TRUE(last);
  WriteFileBytes(dir + "cut.iso", iso.substr(0, last->extent.firstSector * 2048 + last->extent.length - 1));
  std::unique_ptr<DiskImage> cut = OpenOrFail(dir + "cut.iso");
  ASSERT_TRUE(cut);
  EXPECT_EQ(FindError(*cut, last->name),
            dir + "cut.iso: " + last->name + " runs past the end of the image (is it truncated?)");
  for (const ImageFile& f : whole->RootFiles()) {
    if (&f == last) continue;
    ImageFile found;
    EXPECT_TRUE(cut->Find(f.name, &found, &error)) << error;
    EXPECT_TRUE(ReadWhole(*cut, found, 4096) == ReadWhole(*whole, f, 4096)) << f.name;
  }
}

TEST(DiskImageFind, FallsBackToThePrimaryNamesWhenTheJolietTreeIsDamaged) {
  RollOnDisk disk;
  const std::string path = disk.WriteIso("roll.iso");
  std::unique_ptr<DiskImage> image = OpenOrFail(path);
  ASSERT_TRUE(image);
  ASSERT_TRUE(image->HasJoliet());
  // Point the Joliet root far past the end of the image (its record sits at offset 156 of the
  // supplementary descriptor; its extent at 2 within the record, both byte orders).
  std::string bytes = ReadFileBytes(path);
  const std::size_t svd = 17 * 2048;
  ASSERT_EQ(bytes.substr(svd, 6), std::string("\x02"
                                              "CD001"));
  bytes.replace(svd + 156 + 2, 8, std::string("\xFF\xFF\xFF\x0F\x0F\xFF\xFF\xFF", 8));
  WriteFileBytes(path, bytes);

  image = OpenOrFail(path);
  ASSERT_TRUE(image);
  EXPECT_FALSE(image->HasJoliet());
  ImageFile file;
  std::string error;
  ASSERT_TRUE(image->Find("mroll.tre", &file, &error)) << error;
  EXPECT_EQ(file.name, "MROLL.TRE;1");
  EXPECT_TRUE(ReadWhole(*image, file, 4096) == ReadFileBytes(disk.roll.dataDir + "mroll.tre"));
}

TEST(DiskImageIdentity, TellsWhenTheFileAtTheImagePathIsAnotherOne) {
  RollOnDisk disk;
  const std::string path = disk.WriteIso("roll.iso");
  std::unique_ptr<DiskImage> first = OpenOrFail(path);
  ASSERT_TRUE(first);
  ImageFile file;
  std::string error;
  ASSERT_TRUE(first->Find("mroll.cor", &file, &error)) << error;
  EXPECT_TRUE(IdentityOfPath(path).Unchanged(file.image));
  EXPECT_EQ(file.image.size, static_cast<std::int64_t>(ReadFileBytes(path).size()));

#ifdef _WIN32
  GTEST_SKIP() << "Windows does not replace a file another handle holds open";
#endif
  disk.WriteIso("roll.iso");  // replaced by rename: another file at the same path
  EXPECT_FALSE(IdentityOfPath(path).Unchanged(file.image));
  std::unique_ptr<DiskImage> second = OpenOrFail(path);
  ASSERT_TRUE(second);
  EXPECT_TRUE(IdentityOfPath(path).Unchanged(second->Identity()));
  // The first reader still reads its own file, which lost its name.
  EXPECT_TRUE(first->File().Identity().SameFile(first->Identity()));
  std::string bytes(static_cast<std::size_t>(file.extent.length), '\0');
  EXPECT_EQ(first->Read(file, 0, bytes.data(), bytes.size()), file.extent.length);
  EXPECT_TRUE(bytes == ReadFileBytes(disk.roll.dataDir + "mroll.cor"));
}
