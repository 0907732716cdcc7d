#include "platform/disk_image_writer.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

#include "platform/disk_image.h"
#include "support/scoped_temp_dir.h"

namespace {

std::vector<std::string> Entries(const std::string& directory) {
  std::vector<std::string> names;
  DIR* dir = opendir(directory.c_str());
  while (const dirent* e = dir ? readdir(dir) : nullptr) {
    if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.push_back(e->d_name);
  }
  if (dir) closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

std::string ReadFromImage(const std::string& image, const std::string& name) {
  std::string error;
  const std::unique_ptr<DiskImage> disk = DiskImage::Open(image, &error);
  ImageFile file;
  if (!disk || !disk->Find(name, &file, &error)) return "(" + error + ")";
  std::string bytes(static_cast<std::size_t>(file.extent.length), '\0');
  if (disk->Read(file, 0, bytes.data(), bytes.size()) != file.extent.length) return "(short)";
  return bytes;
}

}  // namespace

TEST(WriteIsoImage, ReplacesTheOutputOnlyWhenTheWholeImageIsWritten) {
  ScopedTempDir dir;
  WriteFileBytes(dir.File("a"), "first");
  WriteFileBytes(dir.File("out.iso"), "an older image");
  std::string error;
  ASSERT_TRUE(WriteIsoImage({{"a.txt", dir.File("a")}}, dir.File("out.iso"), {}, &error)) << error;
  EXPECT_EQ(ReadFromImage(dir.File("out.iso"), "a.txt"), "first");
  EXPECT_EQ(Entries(dir.Prefix()), (std::vector<std::string>{"a", "out.iso"}));
  const std::string written = ReadFileBytes(dir.File("out.iso"));
  EXPECT_EQ(written.size() % 2048, 0u);

  // A source that is missing, or a FIFO (which must not be waited on): the old image stays and
  // nothing else is left in the directory.
  ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0644), 0);
  for (const std::string& source : {dir.File("missing"), dir.File("fifo")}) {
    EXPECT_FALSE(
        WriteIsoImage({{"a.txt", dir.File("a")}, {"b.txt", source}}, dir.File("out.iso"), {}, &error));
    EXPECT_EQ(error, source + (source == dir.File("fifo") ? ": a FIFO, not a regular file" : ": missing"));
    EXPECT_EQ(ReadFileBytes(dir.File("out.iso")), written);
    EXPECT_EQ(Entries(dir.Prefix()), (std::vector<std::string>{"a", "fifo", "out.iso"}));
  }
}

TEST(WriteIsoImage, RefusesADirectoryForTheOutputAndNamesWithDirectories) {
  ScopedTempDir dir;
  WriteFileBytes(dir.File("a"), "x");
  ASSERT_EQ(mkdir(dir.File("out.iso").c_str(), 0755), 0);
  std::string error;
  EXPECT_FALSE(WriteIsoImage({{"a.txt", dir.File("a")}}, dir.File("out.iso"), {}, &error));
  EXPECT_EQ(error, dir.File("out.iso") + ": is a directory");
  EXPECT_FALSE(WriteIsoImage({{"sub/a.txt", dir.File("a")}}, dir.File("new.iso"), {}, &error));
  EXPECT_EQ(error, dir.File("a") + ": \"sub/a.txt\" is not a name for the root directory");
  EXPECT_FALSE(WriteIsoImage({{"a.txt", dir.File("a")}}, dir.File("no/such/dir.iso"), {}, &error));
  EXPECT_EQ(error, dir.File("no/such/dir.iso") + ": cannot create: No such file or directory");
  EXPECT_EQ(Entries(dir.Prefix()), (std::vector<std::string>{"a", "out.iso"}));
}

TEST(CollectImageFiles, FindsNamesInAnyCaseAndNamesTheOneMissing) {
  ScopedTempDir dir;
  WriteFileBytes(dir.File("MROLL.COR"), "c");
  WriteFileBytes(dir.File("mroll.ext"), "e");
  std::vector<IsoImageFile> files;
  std::string error;
  ASSERT_TRUE(CollectImageFiles(dir.Prefix(), {"mroll.cor", "mroll.ext"}, &files, &error)) << error;
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0].name, "mroll.cor");
  EXPECT_EQ(files[0].sourcePath, dir.File("MROLL.COR"));
  EXPECT_EQ(files[1].sourcePath, dir.File("mroll.ext"));

  EXPECT_FALSE(CollectImageFiles(dir.Prefix(), {"mroll.cor", "mroll.tre"}, &files, &error));
  EXPECT_EQ(error, dir.Prefix() + ": no mroll.tre");
  EXPECT_FALSE(CollectImageFiles(dir.File("MROLL.COR"), {"mroll.cor"}, &files, &error));
  EXPECT_EQ(error, dir.File("MROLL.COR") + ": not a directory");
}
