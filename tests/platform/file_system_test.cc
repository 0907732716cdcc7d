#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/read_buffer.h"
#include "platform/read_cursor.h"
#include "support/held_files.h"
#include "support/scoped_temp_dir.h"

TEST(ReadOnlyFile, ReadsWhereAskedAndNeverPastTheEnd) {
  ScopedTempDir dir;
  WriteFileBytes(dir.File("f"), "0123456789");
  ReadOnlyFile f;
  ASSERT_EQ(f.Open(dir.File("f")), OpenStatus::kOk);
  EXPECT_EQ(f.Size(), 10);
  char out[8] = {};
  EXPECT_EQ(f.ReadAt(6, out, 3), 3);
  EXPECT_EQ(std::string(out, 3), "678");
  EXPECT_EQ(f.ReadAt(8, out, 8), 2);  // short at the end
  EXPECT_EQ(std::string(out, 2), "89");
  EXPECT_EQ(f.ReadAt(10, out, 1), 0);
  EXPECT_EQ(f.ReadAt(1 << 30, out, 1), 0);
  EXPECT_EQ(f.ReadAt(-1, out, 1), -1);
  f.Close();
  EXPECT_EQ(f.ReadAt(0, out, 1), -1);
}

TEST(FileIdentity, TellsAReplacedFileAndAFileChangedInPlace) {
  ScopedTempDir dir;
  const std::string path = dir.File("f");
  WriteFileBytes(path, "a");
  ReadOnlyFile f;
  ASSERT_EQ(f.Open(path), OpenStatus::kOk);
  const FileIdentity id = f.Identity();
  ASSERT_TRUE(id.known);
  EXPECT_TRUE(PathNamesFile(path, id));
  EXPECT_TRUE(IdentityOfPath(path).Unchanged(id));
  WriteFileBytes(path, "changed in place");  // the same file, another size
  EXPECT_TRUE(PathNamesFile(path, id));
  EXPECT_FALSE(IdentityOfPath(path).Unchanged(id));
  EXPECT_FALSE(PathNamesFile(dir.File("other"), id));

  // Replaced by another file under the same name (the removed one stays open, so its inode is
  // not handed out again).
  WriteFileBytes(dir.File("g"), "b");
  REPLACE_HELD_FILE_OR_SKIP(dir.File("g"), path);
  EXPECT_FALSE(PathNamesFile(path, id));
  std::remove(path.c_str());
  EXPECT_FALSE(PathNamesFile(path, id));
  EXPECT_FALSE(PathNamesFile(path, FileIdentity{}));
  EXPECT_FALSE(IdentityOfPath(path).known);
}

TEST(CreateNewFile, CreatesOnlyWhereNothingStands) {
  ScopedTempDir dir;
  EXPECT_TRUE(CreateNewFile(dir.File("new"), "abc"));
  EXPECT_EQ(ReadFileBytes(dir.File("new")), "abc");
  EXPECT_FALSE(CreateNewFile(dir.File("new"), "other"));
  EXPECT_EQ(ReadFileBytes(dir.File("new")), "abc");
  EXPECT_FALSE(CreateNewFile(dir.File("no") + kPathSeparator + "dir", "x"));
}

// A read placed by At never lands a few bytes past its file offset modulo the page (the copy that
// runs several times slower), and has room for a whole buffer from any offset.
TEST(ReadBuffer, PlacesEveryReadOnTheLineOfItsOffsetWithRoomForAWholeBuffer) {
  const ReadBuffer buffer(1000);
  EXPECT_EQ(buffer.Capacity(), 1000u);
  for (std::int64_t offset : {0, 1, 16, 63, 64, 4080, 4095, 4096, 123457}) {
    unsigned char* at = buffer.At(offset);
    EXPECT_EQ((reinterpret_cast<std::uintptr_t>(at) - static_cast<std::uint64_t>(offset)) % 64, 0u) << offset;
    std::memset(at, 0xA5, buffer.Capacity());  // out of bounds shows under the address sanitizer
  }
}

TEST(ReadCursor, GivesTheFilesBytesWhereverAndHoweverItIsAsked) {
  ScopedTempDir dir;
  std::string bytes;
  for (int i = 0; i < 5000; ++i) bytes.push_back(static_cast<char>(i * 7 + i / 256));
  WriteFileBytes(dir.File("f"), bytes);
  ReadOnlyFile f;
  ASSERT_EQ(f.Open(dir.File("f")), OpenStatus::kOk);
  ReadCursor cursor(64);
  cursor.Attach(&f);
  // Forwards, backwards, across the buffer's edge, larger than the buffer, at and past the end.
  const std::pair<int, int> reads[] = {{0, 10}, {10, 60}, {5, 3}, {4990, 20}, {100, 1000}, {63, 2}, {4999, 1},
                                       {5000, 4}, {2000, 64}, {2063, 65}};
  for (const auto& [offset, size] : reads) {
    std::string out(static_cast<std::size_t>(size), '\0');
    const std::size_t got = cursor.Read(offset, out.data(), out.size());
    const std::string expected = offset < 5000 ? bytes.substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(size)) : "";
    EXPECT_EQ(out.substr(0, got), expected) << offset << "+" << size;
  }
  for (int offset : {0, 1, 64, 63, 4999, 3000, 2999}) {
    EXPECT_EQ(cursor.ByteAt(offset), static_cast<unsigned char>(bytes[static_cast<std::size_t>(offset)])) << offset;
  }
  EXPECT_EQ(cursor.ByteAt(5000), -1);
  EXPECT_EQ(cursor.ByteAt(-1), -1);

  // A scattered reader's short fetches: a buffer that holds only a few bytes is not the end of
  // the file, and one that holds the last bytes is, whichever way the bytes are then asked for.
  auto expect = [&](std::int64_t offset, std::size_t size) {
    const std::string want = offset < 5000 ? bytes.substr(static_cast<std::size_t>(offset), size) : "";
    cursor.Forget();
    cursor.Approach(offset, 3);
    std::string out(size, '\0');
    EXPECT_EQ(out.substr(0, cursor.Read(offset, out.data(), size)), want) << offset << "+" << size;
    cursor.Forget();
    cursor.Approach(offset, 3);
    EXPECT_EQ(cursor.View(offset, size), want) << offset << "+" << size;
    cursor.Forget();
    cursor.Approach(offset, 3);
    cursor.Approach(offset + 20, 3);  // near: the buffer stays as it is
    for (std::size_t i = 0; i < size; ++i) {
      const int byte = cursor.ByteAt(offset + static_cast<std::int64_t>(i));
      EXPECT_EQ(byte, i < want.size() ? static_cast<unsigned char>(want[i]) : -1) << offset << "+" << i;
    }
  };
  for (const std::int64_t at : {3000, 100, 4998, 4200, 0, 4999, 5000}) {
    expect(at, 40);
    expect(at, 2);
  }
  cursor.Approach(200, 0);
  cursor.Approach(-5, 3);
  expect(200, 64);
  cursor.Attach(nullptr);
  cursor.Approach(0, 3);
  EXPECT_EQ(cursor.ByteAt(0), -1);
}
