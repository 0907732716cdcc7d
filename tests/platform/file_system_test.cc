#include "platform/file_system.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/read_cursor.h"
#include "support/scoped_temp_dir.h"
#include "support/unprivileged.h"

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

// Whatever stands in place of a data file, the open returns at once and says what it is; only a
// regular file is kept open.
TEST(ReadOnlyFile, RefusesWhatIsNotARegularFileWithoutBlocking) {
  ScopedTempDir dir;
  ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0600), 0);
  ASSERT_EQ(mkdir(dir.File("dir").c_str(), 0700), 0);
  const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address = {};
  address.sun_family = AF_UNIX;
  std::snprintf(address.sun_path, sizeof address.sun_path, "%s", dir.File("sock").c_str());
  ASSERT_EQ(bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(symlink("fifo", dir.File("link-to-fifo").c_str()), 0);

  const struct {
    std::string path;
    OpenStatus status;
    FileKind kind;
  } cases[] = {
      {dir.File("fifo"), OpenStatus::kNotRegular, FileKind::kFifo},
      {dir.File("link-to-fifo"), OpenStatus::kNotRegular, FileKind::kFifo},
      {dir.File("dir"), OpenStatus::kNotRegular, FileKind::kDirectory},
      {dir.File("sock"), OpenStatus::kNotRegular, FileKind::kSocket},
      {"/dev/null", OpenStatus::kNotRegular, FileKind::kDevice},
      {dir.File("none"), OpenStatus::kMissing, FileKind::kMissing},
      {dir.File("none/deeper"), OpenStatus::kMissing, FileKind::kMissing},
  };
  for (const auto& c : cases) {
    ReadOnlyFile f;
    FileKind kind = FileKind::kRegular;
    EXPECT_EQ(f.Open(c.path, &kind), c.status) << c.path;
    EXPECT_EQ(kind, c.kind) << c.path;
    EXPECT_FALSE(f.IsOpen()) << c.path;
    EXPECT_EQ(KindOfPath(c.path), c.kind) << c.path;
  }
  close(sock);
  EXPECT_STREQ(DescribeFileKind(FileKind::kFifo), "a FIFO");
}

TEST(ReadOnlyFile, AFileThatCannotBeReadIsNotAMissingOne) {
  ScopedTempDir dir;
  OpenToOthers(dir.Prefix());
  WriteFileBytes(dir.File("locked"), "x");
  ASSERT_EQ(chmod(dir.File("locked").c_str(), 0), 0);
  EXPECT_EQ(RunUnprivileged([&] {
              ReadOnlyFile f;
              return f.Open(dir.File("locked")) == OpenStatus::kUnreadable && !f.IsOpen() ? 0 : 1;
            }),
            0);
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
  ASSERT_EQ(std::rename(dir.File("g").c_str(), path.c_str()), 0);
  EXPECT_FALSE(PathNamesFile(path, id));
  std::remove(path.c_str());
  EXPECT_FALSE(PathNamesFile(path, id));
  EXPECT_FALSE(PathNamesFile(path, FileIdentity{}));
  EXPECT_FALSE(IdentityOfPath(path).known);
}

TEST(ResolveDataFile, FindsANameWrittenInAnotherCaseTheSameWayEveryTime) {
  ScopedTempDir dir;
  WriteFileBytes(dir.File("MROLL.COR"), "");
  WriteFileBytes(dir.File("Mroll.Cor"), "");
  WriteFileBytes(dir.File("mroll.ext"), "");
  EXPECT_EQ(ResolveDataFile(dir.File("mroll.ext")), dir.File("mroll.ext"));
  EXPECT_EQ(ResolveDataFile(dir.File("mroll.cor")), dir.File("MROLL.COR"));  // the lowest name
  EXPECT_EQ(ResolveDataFile(dir.File("mroll.tre")), dir.File("mroll.tre"));
  // Anything under the exact name is the file, even a FIFO beside a regular file in upper case:
  // the check and the open look at the same thing.
  ASSERT_EQ(mkfifo(dir.File("mrdb.id").c_str(), 0600), 0);
  WriteFileBytes(dir.File("MRDB.ID"), "");
  EXPECT_EQ(ResolveDataFile(dir.File("mrdb.id")), dir.File("mrdb.id"));
}

TEST(CreateNewFile, CreatesOnlyWhereNothingStands) {
  ScopedTempDir dir;
  EXPECT_TRUE(CreateNewFile(dir.File("new"), "abc"));
  EXPECT_EQ(ReadFileBytes(dir.File("new")), "abc");
  EXPECT_FALSE(CreateNewFile(dir.File("new"), "other"));
  EXPECT_EQ(ReadFileBytes(dir.File("new")), "abc");
  WriteFileBytes(dir.File("target"), "kept");
  ASSERT_EQ(symlink(dir.File("target").c_str(), dir.File("link").c_str()), 0);
  EXPECT_FALSE(CreateNewFile(dir.File("link"), "x"));
  EXPECT_EQ(ReadFileBytes(dir.File("target")), "kept");
  EXPECT_FALSE(CreateNewFile(dir.File("no/such/dir"), "x"));
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
  cursor.Attach(nullptr);
  EXPECT_EQ(cursor.ByteAt(0), -1);
}
