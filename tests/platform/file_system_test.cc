#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/scoped_temp_dir.h"

TEST(ReadAt, ReadsWhereAskedWithoutDisturbingTheStream) {
  ScopedTempDir dir;
  WriteFileBytes(dir.File("f"), "0123456789");
  FileHandle f(std::fopen(dir.File("f").c_str(), "rb"));
  ASSERT_TRUE(f);
  char c = 0;
  ASSERT_EQ(std::fread(&c, 1, 1, f.get()), 1u);  // the stream's buffer now holds the file

  char out[8] = {};
  EXPECT_EQ(ReadAt(f.get(), 6, out, 3), 3);
  EXPECT_EQ(std::string(out, 3), "678");
  EXPECT_EQ(ReadAt(f.get(), 8, out, 8), 2);  // short at the end
  EXPECT_EQ(std::string(out, 2), "89");
  EXPECT_EQ(ReadAt(f.get(), 10, out, 1), 0);
  EXPECT_EQ(ReadAt(f.get(), 1 << 30, out, 1), 0);
  EXPECT_EQ(ReadAt(f.get(), -1, out, 1), -1);
  EXPECT_EQ(ReadAt(nullptr, 0, out, 1), -1);

  // The stream goes on from where it stood.
  ASSERT_EQ(std::fread(&c, 1, 1, f.get()), 1u);
  EXPECT_EQ(c, '1');
  EXPECT_EQ(StreamPosition(f.get()), 2);
}

TEST(FileIdentity, APathNamesItsFileUntilTheFileIsRemovedOrReplaced) {
  ScopedTempDir dir;
  const std::string path = dir.File("f");
  WriteFileBytes(path, "a");
  FileHandle f(std::fopen(path.c_str(), "rb"));
  ASSERT_TRUE(f);
  const FileIdentity id = IdentityOf(f.get());
  ASSERT_TRUE(id.known);
  EXPECT_TRUE(PathNamesFile(path.c_str(), id));
  WriteFileBytes(path, "changed in place");  // the same file
  EXPECT_TRUE(PathNamesFile(path.c_str(), id));
  EXPECT_FALSE(PathNamesFile(dir.File("other").c_str(), id));

  // Replaced by another file under the same name (the removed one stays open, so its inode is
  // not handed out again).
  WriteFileBytes(dir.File("g"), "b");
  ASSERT_TRUE(RenameReplacing(dir.File("g").c_str(), path.c_str()));
  EXPECT_FALSE(PathNamesFile(path.c_str(), id));
  std::remove(path.c_str());
  EXPECT_FALSE(PathNamesFile(path.c_str(), id));
  EXPECT_FALSE(PathNamesFile(path.c_str(), FileIdentity{}));
  EXPECT_FALSE(IdentityOf(nullptr).known);
}
