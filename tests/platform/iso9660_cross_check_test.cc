// Our ISO 9660 reader against libcdio's libiso9660, a reader Debian keeps well, on the images our
// writer makes: both must find the same files at the same sectors with the same sizes, in each
// tree and each sector layout. The library opens the image by its path, which only a test may do.
#include <cdio/cdio.h>
#include <cdio/iso9660.h>
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <set>
#include <tuple>

#include "platform/disk_image.h"
#include "support/roll_image.h"
#include "support/scoped_temp_dir.h"
#include "support/test_roll.h"

namespace {

using Listing = std::set<std::tuple<std::string, std::int64_t, std::int64_t>>;  // name, sector, size

// The library's files of the root directory, of the Joliet tree or of the primary one.
Listing LibraryListing(const std::string& path, bool joliet) {
  Listing listing;
  iso9660_t* iso = iso9660_open_fuzzy_ext(path.c_str(), ISO_EXTENSION_NONE, 1);
  if (!iso) return listing;
  // The fuzzy open reads the primary descriptor only; reading the descriptors again with Joliet
  // allowed turns the same reader, with the layout it found, to the Joliet tree.
  if (joliet && !iso9660_ifs_read_superblock(iso, ISO_EXTENSION_JOLIET)) {
    iso9660_close(iso);
    return listing;
  }
  if (CdioList_t* list = iso9660_ifs_readdir(iso, "/")) {
    for (CdioListNode_t* node = _cdio_list_begin(list); node; node = _cdio_list_node_next(node)) {
      const auto* entry = static_cast<const iso9660_stat_t*>(_cdio_list_node_data(node));
      if (entry->type != iso9660_stat_s::_STAT_FILE) continue;
      listing.insert({entry->filename, entry->size == 0 ? 0 : entry->lsn, entry->size});
    }
    iso9660_filelist_free(list);
  }
  iso9660_close(iso);
  return listing;
}

Listing OurListing(const std::vector<ImageFile>& files) {
  Listing listing;
  for (const ImageFile& f : files) listing.insert({f.name, f.extent.firstSector, f.extent.length});
  return listing;
}

}  // namespace

TEST(IsoCrossCheck, OurReaderFindsWhatLibiso9660FindsInEveryImageTheWriterMakes) {
  TestRoll roll;
  for (int i = 0; i < 300; ++i)
    roll.Add("Name" + std::to_string(i), "Given", SampleFields(std::to_string(i)));
  roll.Build();
  ScopedTempDir dir;
  for (bool joliet : {true, false}) {
    const std::string iso = dir.File(joliet ? "joliet.iso" : "plain.iso");
    WriteRollIso(roll.dataDir, iso, joliet);
    for (std::optional<RawMode> raw : {std::optional<RawMode>(), std::optional<RawMode>(RawMode::kMode1Raw),
                                       std::optional<RawMode>(RawMode::kMode2Raw)}) {
      std::string path = iso;
      if (raw) {
        path = dir.File("disk.bin");
        WriteRawImage(iso, path, dir.File("disk.cue"), *raw);
      }
      SCOPED_TRACE(path + (raw ? std::string(" as ") + RawModeName(*raw) : std::string()));
      std::string error;
      const std::unique_ptr<DiskImage> image = DiskImage::Open(path, &error);
      ASSERT_TRUE(image) << error;
      const Listing library = LibraryListing(path, joliet);
      ASSERT_EQ(library.size(), 4u);
      EXPECT_EQ(OurListing(image->RootFiles()), library);
    }
  }
}
