// What stands in a file's place on POSIX systems: FIFOs, sockets, devices, symbolic links,
// files only others may read, and names mastered in another case.
#include "platform/file_system.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <string>

#include "support/scoped_temp_dir.h"
#include "support/unprivileged.h"

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
    EXPECT_FALSE(RegularFileReadable(c.path)) << c.path;
  }
  close(sock);
  EXPECT_STREQ(DescribeFileKind(FileKind::kFifo), "a FIFO");
}

TEST(ReadOnlyFile, AFileThatCannotBeReadIsNotAMissingOne) {
  ScopedTempDir dir;
  OpenToOthers(dir.Prefix());
  WriteFileBytes(dir.File("locked"), "x");
  ASSERT_EQ(chmod(dir.File("locked").c_str(), 0), 0);
  WriteFileBytes(dir.File("open"), "");
  ASSERT_EQ(chmod(dir.File("open").c_str(), 0644), 0);
  // Asked without opening, the answer is the open's.
  EXPECT_EQ(RunUnprivileged([&] {
              ReadOnlyFile f;
              const bool refused = f.Open(dir.File("locked")) == OpenStatus::kUnreadable && !f.IsOpen();
              return refused && !RegularFileReadable(dir.File("locked")) && RegularFileReadable(dir.File("open")) ? 0 : 1;
            }),
            0);
}

// Searching a roll is no use of its files worth writing down: their access times stay as they
// were, on a file system that would have kept one.
TEST(ReadOnlyFile, ReadingLeavesTheAccessTimeAsItWas) {
  ScopedTempDir dir;
  const std::string path = dir.File("f");
  WriteFileBytes(path, "roll bytes");
  // Read long ago, written before that: any access-time rule of the mount updates it on a read.
  auto setOld = [&] {
    const timespec times[2] = {{time(nullptr) - 3 * 86400, 0}, {time(nullptr) - 4 * 86400, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  };
  auto accessed = [&] {
    struct stat st;
    EXPECT_EQ(stat(path.c_str(), &st), 0);
    return st.st_atim.tv_sec;
  };
  setOld();
  const time_t before = accessed();
  EXPECT_EQ(ReadFileBytes(path), "roll bytes");
  if (accessed() == before) GTEST_SKIP() << "this file system keeps no access times";

  setOld();
  ReadOnlyFile file;
  ASSERT_EQ(file.Open(path), OpenStatus::kOk);
  char bytes[16] = {};
  EXPECT_EQ(file.ReadAt(0, bytes, sizeof bytes), 10);
  file.Close();
  EXPECT_EQ(accessed(), before);
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

TEST(CreateNewFile, NeverThroughASymbolicLink) {
  ScopedTempDir dir;
  WriteFileBytes(dir.File("target"), "kept");
  ASSERT_EQ(symlink(dir.File("target").c_str(), dir.File("link").c_str()), 0);
  EXPECT_FALSE(CreateNewFile(dir.File("link"), "x"));
  EXPECT_EQ(ReadFileBytes(dir.File("target")), "kept");
}
