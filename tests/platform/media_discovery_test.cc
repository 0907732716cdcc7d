#include "platform/media_discovery.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "support/scoped_temp_dir.h"
#include "support/unprivileged.h"

namespace {

const std::vector<std::string> kRollFiles = {"mrdb.id", "mroll.cor", "mroll.ext", "mroll.tre"};

// A fake system root with mount directories under it.
class FakeMedia {
 public:
  std::string Dir(const std::string& relative) {
    std::string path = root.Prefix();
    std::size_t start = 0;
    while (start < relative.size()) {
      const std::size_t slash = relative.find('/', start);
      path += relative.substr(start, slash == std::string::npos ? std::string::npos : slash - start) + "/";
      mkdir(path.c_str(), 0755);
      start = slash == std::string::npos ? relative.size() : slash + 1;
    }
    return path;
  }
  void Files(const std::string& relative, const std::vector<std::string>& names) {
    const std::string dir = Dir(relative);
    for (const std::string& name : names) WriteFileBytes(dir + name, "");
  }
  std::string Path(const std::string& relative) const { return root.Prefix() + relative; }
  std::vector<std::string> Roots() const { return MediaRoots("ann", root.Prefix()); }

 private:
  ScopedTempDir root;
};

}  // namespace

TEST(MediaRoots, PerUserPlacesFirstThenTheSharedOnes) {
  EXPECT_EQ(MediaRoots("ann", "/"),
            (std::vector<std::string>{"/run/media/ann", "/media/ann", "/media", "/mnt"}));
  EXPECT_EQ(MediaRoots("ann", "/fake/"),
            (std::vector<std::string>{"/fake/run/media/ann", "/fake/media/ann", "/fake/media", "/fake/mnt"}));
  for (const char* user : {"", "..", "a/b"}) {
    EXPECT_EQ(MediaRoots(user, "/"), (std::vector<std::string>{"/media", "/mnt"})) << user;
  }
}

TEST(FindOnMedia, TakesTheFirstCompleteDiskAndListsEveryPlaceLookedInto) {
  FakeMedia media;
  media.Files("run/media/ann/USB STICK", {"mrdb.id", "mroll.cor", "mroll.ext"});  // no index file
  media.Dir("media/ann");
  media.Files("media/cdrom", {"MRDB.ID", "MROLL.COR", "Mroll.Ext", "mroll.TRE"});
  media.Files("mnt/disk", kRollFiles);

  const MediaSearchResult result = FindOnMedia(media.Roots(), kRollFiles);
  EXPECT_EQ(result.found, media.Path("media/cdrom/"));
  EXPECT_EQ(result.roots, media.Roots());
  EXPECT_EQ(result.placesLooked,
            (std::vector<std::string>{media.Path("run/media/ann/USB STICK"), media.Path("media/ann"),
                                      media.Path("media/cdrom")}));

  // Within one root, names in byte order decide.
  FakeMedia second;
  second.Files("mnt/b", kRollFiles);
  second.Files("mnt/a", kRollFiles);
  EXPECT_EQ(FindOnMedia(second.Roots(), kRollFiles).found, second.Path("mnt/a/"));
}

TEST(FindOnMedia, CountsOnlyRegularFilesAndNeverWaitsOnAFifo) {
  FakeMedia media;
  // A FIFO in place of a roll file, and one among the mount points.
  media.Files("media/fifo", {"mrdb.id", "mroll.cor", "mroll.ext"});
  ASSERT_EQ(mkfifo(media.Path("media/fifo/mroll.tre").c_str(), 0644), 0);
  ASSERT_EQ(mkfifo(media.Path("media/pipe").c_str(), 0644), 0);
  // A directory in place of the marker.
  media.Files("media/dir", {"mroll.cor", "mroll.ext", "mroll.tre"});
  media.Dir("media/dir/mrdb.id");
  // A symbolic link to a disk, as /media/cdrom -> cdrom0.
  media.Files("elsewhere/cdrom0", kRollFiles);
  media.Dir("mnt");
  ASSERT_EQ(symlink(media.Path("nowhere").c_str(), media.Path("mnt/a-dangling-link").c_str()), 0);
  ASSERT_EQ(symlink(media.Path("elsewhere/cdrom0").c_str(), media.Path("mnt/cdrom").c_str()), 0);

  const MediaSearchResult result = FindOnMedia(media.Roots(), kRollFiles);
  EXPECT_EQ(result.found, media.Path("mnt/cdrom/"));
  EXPECT_EQ(result.placesLooked, (std::vector<std::string>{media.Path("media/dir"), media.Path("media/fifo"),
                                                           media.Path("mnt/cdrom")}));
}

TEST(FindOnMedia, PassesOverWhatCannotBeRead) {
  FakeMedia empty;
  const MediaSearchResult none = FindOnMedia(empty.Roots(), kRollFiles);
  EXPECT_EQ(none.found, "");
  EXPECT_TRUE(none.placesLooked.empty());

  // Another user's disk, mounted where everyone looks, then one that can be read.
  FakeMedia media;
  media.Files("media/locked", kRollFiles);
  media.Files("mnt/open", kRollFiles);
  OpenToOthers(media.Path(""));
  ASSERT_EQ(chmod(media.Path("media/locked").c_str(), 0), 0);
  const std::vector<std::string> roots = media.Roots();
  const std::string open = media.Path("mnt/open");
  EXPECT_EQ(RunUnprivileged([&] {
              const MediaSearchResult result = FindOnMedia(roots, kRollFiles);
              return result.found == open + "/" && result.placesLooked == std::vector<std::string>{open} ? 0
                                                                                                         : 1;
            }),
            0);
  chmod(media.Path("media/locked").c_str(), 0755);
}

// A disk found by looking (not a place the user named) is taken only when what the readers will
// open lies on it: a stick whose mroll.ext links to a file in the user's home would show that
// file's text as the roll's.
TEST(FindOnMedia, RefusesADiskWhoseFilesLeadOffIt) {
  FakeMedia media;
  media.Files("home/ann", {"notes.txt"});
  const std::string home = media.Path("home/ann/notes.txt");
  media.Files("media/a-link", {"mrdb.id", "mroll.cor", "mroll.tre"});
  ASSERT_EQ(symlink(home.c_str(), media.Path("media/a-link/mroll.ext").c_str()), 0);
  // The name the readers open is the exact one when it stands there, a link here, whatever
  // other case of it is a file.
  media.Files("media/b-cased", {"mrdb.id", "mroll.cor", "mroll.tre", "MROLL.EXT"});
  ASSERT_EQ(symlink(home.c_str(), media.Path("media/b-cased/mroll.ext").c_str()), 0);
  // More entries than are read from one directory: what was not read could be what is opened.
  media.Files("media/c-crowded", kRollFiles);
  for (int i = 0; i < 4096; ++i) WriteFileBytes(media.Path("media/c-crowded/f" + std::to_string(i)), "");
  // A mount place may be a link to the disk's directory, as /media/cdrom -> cdrom0 is; the files
  // in it are the disk's.
  media.Files("elsewhere/disk", {"MRDB.ID", "mroll.cor", "mroll.ext", "mroll.tre"});
  ASSERT_EQ(symlink(media.Path("elsewhere/disk").c_str(), media.Path("media/d-cdrom").c_str()), 0);

  const MediaSearchResult result = FindOnMedia({media.Path("media")}, kRollFiles);
  EXPECT_EQ(result.found, media.Path("media/d-cdrom/"));
  const std::vector<std::string> skipped = {media.Path("media/a-link"), media.Path("media/b-cased"),
                                            media.Path("media/c-crowded")};
  EXPECT_TRUE(std::equal(skipped.begin(), skipped.end(), result.placesLooked.begin())) << result.found;

  // The same disk with its marker a link to a file of its own is refused all the same.
  ASSERT_EQ(remove(media.Path("elsewhere/disk/MRDB.ID").c_str()), 0);
  ASSERT_EQ(symlink("mroll.cor", media.Path("elsewhere/disk/mrdb.id").c_str()), 0);
  EXPECT_EQ(FindOnMedia({media.Path("media")}, kRollFiles).found, "");
}
