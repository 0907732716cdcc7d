// The companion cache keeps to the rules for the program's own files: nothing is read that is not
// the user's own regular file (a FIFO, a link, another's file, one others may write), nothing is
// written through a link, and the files used least recently go first when the cache is full.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/private_file.h"
#include "store/companion_cache.h"
#include "support/companion_roll.h"
#include "support/fifo.h"

namespace {

namespace fs = std::filesystem;

class CompanionCachePosix : public ::testing::Test {
 protected:
  void SetUp() override {
    AddVariedEntries(&roll, 200, 4);
    roll.Build();
    files = std::make_unique<OpenRoll>(roll.dataDir);
    cache = cacheDir.Prefix();
    path = cache + CompanionFileName(files->View());
  }

  bool Build(std::string* error) {
    std::string built;
    CompanionStats stats;
    return BuildCompanionInCache(cache, files->View(), {}, kDefaultCompanionCacheCap, &built, &stats, error);
  }

  CompanionStatus Open(std::string* reason) {
    CompanionReader reader;
    return OpenCompanion(cache, files->View(), &reader, reason);
  }

  TestRoll roll;
  ScopedTempDir cacheDir;
  std::unique_ptr<OpenRoll> files;
  std::string cache, path;
};

TEST_F(CompanionCachePosix, AFifoOrALinkInItsPlaceIsNeverOpened) {
  std::string error, reason;
  ASSERT_TRUE(Build(&error)) << error;
  const std::string real = cacheDir / "elsewhere";
  fs::rename(PathFromUtf8(path), PathFromUtf8(real));

  fs::create_symlink(PathFromUtf8(real), PathFromUtf8(path));
  EXPECT_EQ(Open(&reason), CompanionStatus::kRefused);
  EXPECT_NE(reason.find("a symbolic link"), std::string::npos) << reason;
  fs::remove(PathFromUtf8(path));

  // A FIFO without a writer would block an open for reading: it is never opened.
  ASSERT_TRUE(MakeFifo(path));
  EXPECT_EQ(Open(&reason), CompanionStatus::kRefused);
  EXPECT_NE(reason.find("a FIFO"), std::string::npos) << reason;
}

TEST_F(CompanionCachePosix, OnlyTheUsersOwnFileThatNobodyElseMayWriteIsRead) {
  std::string error, reason;
  ASSERT_TRUE(Build(&error)) << error;
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  ASSERT_EQ(chmod(path.c_str(), 0620), 0);
  EXPECT_EQ(Open(&reason), CompanionStatus::kRefused);
  EXPECT_NE(reason.find("writable by others"), std::string::npos) << reason;
  ASSERT_EQ(chmod(path.c_str(), 0600), 0);
  EXPECT_EQ(Open(&reason), CompanionStatus::kOpen) << reason;
  if (geteuid() == 0) {
    // Only the administrator can give a file away; anyone else has no other user's file here.
    ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
    EXPECT_EQ(Open(&reason), CompanionStatus::kRefused);
    EXPECT_NE(reason.find("owned by another user"), std::string::npos) << reason;
  }
}

TEST_F(CompanionCachePosix, ABuildReplacesALinkOrAFifoAndNeverWritesThroughIt) {
  const std::string victim = cacheDir / "victim";
  WriteFileBytes(victim, "not yours");
  fs::create_symlink(PathFromUtf8(victim), PathFromUtf8(path));
  std::string error, reason;
  ASSERT_TRUE(Build(&error)) << error;
  EXPECT_EQ(ReadFileBytes(victim), "not yours");
  EXPECT_EQ(KindOfPath(path), FileKind::kRegular);
  EXPECT_EQ(Open(&reason), CompanionStatus::kOpen) << reason;

  fs::remove(PathFromUtf8(path));
  ASSERT_TRUE(MakeFifo(path));
  ASSERT_TRUE(Build(&error)) << error;
  EXPECT_EQ(Open(&reason), CompanionStatus::kOpen) << reason;
  // Nothing of the writer's is left beside it.
  for (const std::string& name : ListDir(cacheDir.Path()))
    EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
}

TEST_F(CompanionCachePosix, TheCacheDirectoryIsTheUsersAlone) {
  std::string error;
  const std::string made = cacheDir / "a/b/dravenholt";
  ASSERT_TRUE(MakePrivateDirectory(made, &error)) << error;
  struct stat st;
  ASSERT_EQ(lstat(made.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);

  ASSERT_EQ(chmod(made.c_str(), 0777), 0);
  EXPECT_FALSE(MakePrivateDirectory(made, &error));
  EXPECT_NE(error.find("writable by others"), std::string::npos) << error;

  const std::string link = cacheDir / "link";
  fs::create_directory_symlink(PathFromUtf8(cacheDir / "a"), PathFromUtf8(link));
  EXPECT_FALSE(MakePrivateDirectory(link, &error));
  EXPECT_NE(error.find("a symbolic link"), std::string::npos) << error;
}

TEST_F(CompanionCachePosix, AFullCacheEvictsTheLeastRecentlyUsedFirst) {
  // Three companions of 100 bytes used at three times; the newest is the one just built.
  const char* names[] = {"old.companion", "middle.companion", "new.companion"};
  for (int i = 0; i < 3; ++i) {
    WriteFileBytes(cache + names[i], std::string(100, 'x'));
    const timespec times[2] = {{1000 + i, 0}, {1000 + i, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, (cache + names[i]).c_str(), times, 0), 0);
  }
  WriteFileBytes(cache + "other-file", std::string(1000, 'x'));  // not a companion: never counted or removed
  EXPECT_EQ(EvictCompanions(cache, 250, "old.companion"), 1);
  EXPECT_EQ(ListDir(cacheDir.Path()),
            (std::vector<std::string>{"new.companion", "old.companion", "other-file"}));
  EXPECT_EQ(EvictCompanions(cache, 250, "old.companion"), 0);

  // Using a companion makes it the most recent.
  std::string error, reason;
  ASSERT_TRUE(Build(&error)) << error;
  const std::int64_t size = static_cast<std::int64_t>(fs::file_size(PathFromUtf8(path)));
  const timespec old[2] = {{10, 0}, {10, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), old, 0), 0);
  EXPECT_EQ(Open(&reason), CompanionStatus::kOpen) << reason;
  EXPECT_EQ(EvictCompanions(cache, size + 100, ""), 1);
  EXPECT_TRUE(FileExists(path));
}

}  // namespace
