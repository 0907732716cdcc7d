// The ISO 9660 reader on images put together byte by byte: what it lists from each tree under
// each sector layout, what it leaves out, and that it reads the open file only within the size
// the file had when it was opened (a pseudo-file that says it is empty is never read).
#include "platform/iso9660_root.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>

#include "support/iso_builder.h"
#include "support/raw_image.h"
#include "support/scoped_temp_dir.h"

namespace {

// Name -> bytes of every root file, read through DiskImage as the engine reads them.
std::map<std::string, std::string> RootContents(const DiskImage& image) {
  std::map<std::string, std::string> contents;
  for (const ImageFile& file : image.RootFiles()) {
    std::string bytes(static_cast<std::size_t>(file.extent.length), '\0');
    EXPECT_EQ(image.Read(file, 0, bytes.data(), bytes.size()), file.extent.length) << file.name;
    contents[file.name] = bytes;
  }
  return contents;
}

std::string Pattern(std::size_t size, int seed) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 31 + seed) % 251);
  return bytes;
}

// A disk with three files, and beside them records of what the reader must not take for a file
// of one run of sectors: a subdirectory, a file in two extents, an interleaved file. A file
// behind a one-sector extended attribute record starts a sector after its extent.
IsoBuilder OddDisk() {
  IsoBuilder disk;
  disk.AddFile("mroll.cor", Pattern(5000, 1));
  disk.AddFile("mrdb.id", "");
  disk.AddFile("mroll.ext", Pattern(2048, 2));
  const std::uint32_t cor = IsoBuilder::kFirstFileSector;
  for (std::vector<IsoRecord>* tree : {&disk.extraPrimary, &disk.extraJoliet}) {
    const bool joliet = tree == &disk.extraJoliet;
    auto name = [&](const char* lower, const char* upper) { return joliet ? Utf16Be(lower) : upper; };
    tree->push_back({name("sub", "SUB"), cor, 2048, 0x02});
    tree->push_back({name("big.dat", "BIG.DAT;1"), cor, 2048, 0x80});
    tree->push_back({name("big.dat", "BIG.DAT;1"), cor + 1, 100, 0x00});
    tree->push_back({name("mixed.dat", "MIXED.DAT;1"), cor, 4096, 0x00, 0, 1});
    tree->push_back({name("ea.dat", "EA.DAT;1"), cor, 1000, 0x00, 1});
  }
  return disk;
}

struct Layout {
  const char* label;
  std::optional<RawMode> raw;
  SectorLayout layout;
};

class IsoLayouts : public testing::TestWithParam<Layout> {};

}  // namespace

TEST_P(IsoLayouts, ListsEachTreesFilesAndReadsThemBack) {
  ScopedTempDir dir;
  const IsoBuilder disk = OddDisk();
  for (bool joliet : {true, false}) {
    SCOPED_TRACE(joliet ? "Joliet" : "primary names only");
    std::string path = dir.File("disk.iso");
    WriteFileBytes(path, disk.Build(joliet));
    if (GetParam().raw) {
      WriteRawImage(path, dir.File("disk.bin"), dir.File("disk.cue"), *GetParam().raw);
      path = dir.File("disk.bin");
    }
    std::string error;
    const std::unique_ptr<DiskImage> image = DiskImage::Open(path, &error);
    ASSERT_TRUE(image) << error;
    EXPECT_EQ(image->Layout(), GetParam().layout);
    EXPECT_EQ(image->HasJoliet(), joliet);

    const std::string cor = Pattern(5000, 1);
    const std::map<std::string, std::string> expected =
        joliet ? std::map<std::string, std::string>{{"mroll.cor", cor},
                                                    {"mrdb.id", ""},
                                                    {"mroll.ext", Pattern(2048, 2)},
                                                    {"ea.dat", cor.substr(2048, 1000)}}
               : std::map<std::string, std::string>{{"MROLL.COR;1", cor},
                                                    {"MRDB.ID;1", ""},
                                                    {"MROLL.EXT;1", Pattern(2048, 2)},
                                                    {"EA.DAT;1", cor.substr(2048, 1000)}};
    EXPECT_TRUE(RootContents(*image) == expected);
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, IsoLayouts,
                         testing::Values(Layout{"Cooked", std::nullopt, SectorLayout::kCooked},
                                         Layout{"RawMode1", RawMode::kMode1Raw, SectorLayout::kRawMode1},
                                         Layout{"RawMode2Form1", RawMode::kMode2Raw,
                                                SectorLayout::kRawMode2Form1}),
                         [](const testing::TestParamInfo<Layout>& layout) { return layout.param.label; });

TEST(IsoRoots, ReadsOnlyWhatTheOpenFileHeldWhenItWasOpened) {
  // A kernel pseudo-file (/proc/kmsg) is a regular file of size 0 whose reads block or take
  // what they read away. Here: a file that was empty when opened and holds a whole disk by the
  // time it is read.
  ScopedTempDir dir;
  IsoBuilder disk;
  disk.AddFile("mrdb.id", "");
  const std::string path = dir.File("grows.iso");
  WriteFileBytes(path, "");
  ReadOnlyFile file;
  ASSERT_EQ(file.Open(path), OpenStatus::kOk);
  WriteFileBytes(path, disk.Build());
  IsoRoots roots;
  std::string error;
  EXPECT_FALSE(ReadIsoRoots(path, file, file.Identity(), "", nullptr, &roots, &error));
  EXPECT_EQ(error, path + ": no ISO 9660 file system");

  // The same for a disk cut short after its descriptors when it was opened.
  WriteFileBytes(path, disk.Build().substr(0, 19 * 2048));
  ASSERT_EQ(file.Open(path), OpenStatus::kOk);
  WriteFileBytes(path, disk.Build());
  EXPECT_FALSE(ReadIsoRoots(path, file, file.Identity(), "", nullptr, &roots, &error));
  EXPECT_EQ(error, path + ": the root directory cannot be read");
}

TEST(IsoRoots, ATreeWhoseRecordsDoNotFitIsNotReadTheOtherServes) {
  ScopedTempDir dir;
  IsoBuilder disk;
  disk.AddFile("mroll.tre", "index");
  // A Joliet record whose name runs past its record, then past the sector.
  const IsoRecord x{Utf16Be("x"), IsoBuilder::kFirstFileSector, 5};
  disk.extraJoliet.push_back(x);
  std::string bytes = disk.Build();
  const std::size_t record = bytes.find(IsoDirectoryRecord(x), IsoBuilder::kJolietRootSector * 2048);
  ASSERT_NE(record, std::string::npos);
  bytes[record + 32] = static_cast<char>(200);
  WriteFileBytes(dir.File("joliet.iso"), bytes);
  std::string error;
  std::unique_ptr<DiskImage> image = DiskImage::Open(dir.File("joliet.iso"), &error);
  ASSERT_TRUE(image) << error;
  EXPECT_FALSE(image->HasJoliet());
  ASSERT_EQ(image->RootFiles().size(), 1u);
  EXPECT_EQ(image->RootFiles()[0].name, "MROLL.TRE;1");

  // The primary root made too large to be a root directory, and its block size not 2048: with
  // the Joliet tree whole, the Joliet names serve.
  bytes = disk.Build();
  for (const auto& [offset, value] : std::vector<std::pair<std::size_t, std::string>>{
           {16 * 2048 + 156 + 10, std::string("\x00\x00\x20\x00", 4)},  // 2 MiB
           {16 * 2048 + 128, std::string("\x00\x02", 2)}}) {            // 512-byte blocks
    std::string damaged = bytes;
    damaged.replace(offset, value.size(), value);
    WriteFileBytes(dir.File("primary.iso"), damaged);
    image = DiskImage::Open(dir.File("primary.iso"), &error);
    ASSERT_TRUE(image) << error;
    ASSERT_TRUE(image->HasJoliet());
    EXPECT_EQ(image->RootFiles().size(), 2u) << offset;  // mroll.tre and the damaged x
  }
  // Neither tree readable.
  std::string both = bytes;
  both.replace(16 * 2048 + 156 + 10, 4, std::string("\x00\x00\x20\x00", 4));
  both[record + 32] = static_cast<char>(200);
  WriteFileBytes(dir.File("both.iso"), both);
  EXPECT_FALSE(DiskImage::Open(dir.File("both.iso"), &error));
  EXPECT_EQ(error, dir.File("both.iso") + ": the root directory cannot be read");
}

TEST(JolietNames, AreUtf16BigEndianWithWhatCannotBeDecodedReplaced) {
  struct Case {
    std::string ucs2;
    std::string utf8;
  };
  for (const Case& c :
       std::vector<Case>{{Utf16Be("mroll.cor"), "mroll.cor"},
                         {std::string("\x00\xE9\x20\xAC", 4), "\xC3\xA9\xE2\x82\xAC"},  // é €
                         {std::string("\xD8\x3D\xDE\x00", 4), "\xF0\x9F\x98\x80"},      // a surrogate pair
                         {std::string("\xD8\x3D\x00\x41", 4),
                          "\xEF\xBF\xBD"
                          "A"},                                              // a lone high half
                         {std::string("\xDE\x00", 2), "\xEF\xBF\xBD"},       // a lone low half
                         {std::string("\x00\x41\x00", 3), "A\xEF\xBF\xBD"},  // an odd last byte
                         {std::string("\x00\x1B", 2), "\x1B"}}) {            // kept for the caller
    EXPECT_EQ(JolietNameToUtf8(c.ucs2), c.utf8);
  }
}
