// image: a roll written as an ISO image reads back byte for byte under the names a mastered disk
// has; an existing image is kept unless --force; a directory without the roll writes nothing.
#include <gtest/gtest.h>

#include "platform/disk_image.h"
#include "support/rollkit_runner.h"

namespace {

const char* const kRow = "Smith,John,J,A,5 IL INF,PVT,PVT,,1,2,3,U\n";

std::vector<std::string> RootNames(const std::string& image) {
  std::string error;
  const std::unique_ptr<DiskImage> disk = DiskImage::Open(image, &error);
  if (!disk) return {error};
  std::vector<std::string> names;
  for (const ImageFile& f : disk->RootFiles()) {
    std::string bytes(static_cast<std::size_t>(f.extent.length), '\0');
    disk->Read(f, 0, bytes.data(), bytes.size());
    names.push_back(f.name + " " + std::to_string(bytes.size()));
  }
  return names;
}

std::string FileFromImage(const std::string& image, const std::string& name) {
  std::string error;
  const std::unique_ptr<DiskImage> disk = DiskImage::Open(image, &error);
  ImageFile file;
  if (!disk || !disk->Find(name, &file, &error)) return error;
  std::string bytes(static_cast<std::size_t>(file.extent.length), '\0');
  disk->Read(file, 0, bytes.data(), bytes.size());
  return bytes;
}

}  // namespace

TEST(ImageTest, WritesTheRollUnderMasteredNamesAndKeepsAnImageUnlessForced) {
  ScopedTempDir dir;
  const std::string db = BuildRoll(dir, "db", std::string(kRollHeader) + kRow);
  const RunResult made = RunRollkit({"image", db, dir / "roll.iso"});
  ASSERT_EQ(made.exitCode, 0) << made.err;
  EXPECT_EQ(made.out, "");
  for (const char* name : {"mrdb.id", "mroll.cor", "mroll.ext", "mroll.tre"}) {
    EXPECT_TRUE(FileFromImage(dir / "roll.iso", name) == ReadFileBytes(db + "/" + name)) << name;
  }
  const std::string cor = std::to_string(ReadFileBytes(db + "/mroll.cor").size());
  const std::string ext = std::to_string(ReadFileBytes(db + "/mroll.ext").size());
  const std::string tre = std::to_string(ReadFileBytes(db + "/mroll.tre").size());
  EXPECT_EQ(RootNames(dir / "roll.iso"), (std::vector<std::string>{"mrdb.id 0", "mroll.cor " + cor,
                                                                   "mroll.ext " + ext, "mroll.tre " + tre}));

  const std::string before = ReadFileBytes(dir / "roll.iso");
  const RunResult kept = RunRollkit({"image", "--no-joliet", db, dir / "roll.iso"});
  EXPECT_EQ(kept.exitCode, 1);
  EXPECT_EQ(kept.err, "rollkit: " + (dir / "roll.iso") + ": exists; use --force to replace it\n");
  EXPECT_TRUE(ReadFileBytes(dir / "roll.iso") == before);

  const RunResult forced = RunRollkit({"image", "--force", "--no-joliet", db, dir / "roll.iso"});
  ASSERT_EQ(forced.exitCode, 0) << forced.err;
  EXPECT_EQ(RootNames(dir / "roll.iso"),
            (std::vector<std::string>{"MRDB.ID;1 0", "MROLL.COR;1 " + cor, "MROLL.EXT;1 " + ext,
                                      "MROLL.TRE;1 " + tre}));
}

TEST(ImageTest, AnIncompleteRollWritesNothing) {
  ScopedTempDir dir;
  const std::string db = BuildRoll(dir, "db", std::string(kRollHeader) + kRow);
  std::remove((db + "/mroll.tre").c_str());
  const RunResult r = RunRollkit({"image", db, dir / "roll.iso"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "rollkit: " + db + ": no mroll.tre\n");
  EXPECT_EQ(ListDir(dir.Path()), (std::vector<std::string>{"db", "db.csv"}));

  const RunResult none = RunRollkit({"image", dir / "nowhere", dir / "roll.iso"});
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_EQ(none.err, "rollkit: " + (dir / "nowhere") + ": not a directory\n");
}
