#include "platform/disk_image_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "platform/disk_image.h"
#include "support/scoped_temp_dir.h"

namespace {

std::vector<std::string> Entries(const std::string& directory) {
  std::vector<std::string> names;
  std::error_code ignored;
  for (const auto& e : std::filesystem::directory_iterator(std::filesystem::u8path(directory), ignored)) {
    names.push_back(e.path().filename().string());  // the test's names are ASCII
  }
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

  // A source that is missing, or a FIFO where the system has them (which must not be waited on):
  // the old image stays and nothing else is left in the directory.
  std::vector<std::string> sources = {dir.File("missing")};
  std::vector<std::string> left = {"a", "out.iso"};
#ifndef _WIN32
  ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0644), 0);
  sources.push_back(dir.File("fifo"));
  left = {"a", "fifo", "out.iso"};
#endif
  for (const std::string& source : sources) {
    EXPECT_FALSE(
        WriteIsoImage({{"a.txt", dir.File("a")}, {"b.txt", source}}, dir.File("out.iso"), {}, &error));
    EXPECT_EQ(error, source + (source == dir.File("fifo") ? ": a FIFO, not a regular file" : ": missing"));
    EXPECT_EQ(ReadFileBytes(dir.File("out.iso")), written);
    EXPECT_EQ(Entries(dir.Prefix()), left);
  }
}

TEST(WriteIsoImage, RefusesADirectoryForTheOutputAndNamesWithDirectories) {
  ScopedTempDir dir;
  WriteFileBytes(dir.File("a"), "x");
  ASSERT_TRUE(std::filesystem::create_directory(dir.File("out.iso")));
  std::string error;
  EXPECT_FALSE(WriteIsoImage({{"a.txt", dir.File("a")}}, dir.File("out.iso"), {}, &error));
  EXPECT_EQ(error, dir.File("out.iso") + ": is a directory");
  EXPECT_FALSE(WriteIsoImage({{"sub/a.txt", dir.File("a")}}, dir.File("new.iso"), {}, &error));
  EXPECT_EQ(error, dir.File("a") + ": \"sub/a.txt\" is not a name for the root directory");
  EXPECT_FALSE(WriteIsoImage({{"a.txt", dir.File("a")}}, dir.File("no/such/dir.iso"), {}, &error));
  // The system's own words for it follow (on Windows, its own wording).
  EXPECT_EQ(error.rfind(dir.File("no/such/dir.iso") + ": cannot create: ", 0), 0u) << error;
#ifndef _WIN32
  EXPECT_EQ(error, dir.File("no/such/dir.iso") + ": cannot create: No such file or directory");
#endif
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
  EXPECT_EQ(ReadFileBytes(files[0].sourcePath), "c");
  EXPECT_EQ(ReadFileBytes(files[1].sourcePath), "e");
#ifndef _WIN32  // where case matters, the name the file has
  EXPECT_EQ(files[0].sourcePath, dir.File("MROLL.COR"));
  EXPECT_EQ(files[1].sourcePath, dir.File("mroll.ext"));
#endif

  EXPECT_FALSE(CollectImageFiles(dir.Prefix(), {"mroll.cor", "mroll.tre"}, &files, &error));
  EXPECT_EQ(error, dir.Prefix() + ": no mroll.tre");
  EXPECT_FALSE(CollectImageFiles(dir.File("MROLL.COR"), {"mroll.cor"}, &files, &error));
  EXPECT_EQ(error, dir.File("MROLL.COR") + ": not a directory");
}
