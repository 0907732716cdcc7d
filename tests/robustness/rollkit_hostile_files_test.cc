// rollkit over data files that are not what they seem: a FIFO, a socket, a device or a directory
// in place of a file, a FIFO under the lower-case name beside the real file in upper case, a file
// it may not read. Each is named with what it is, and nothing waits: every run is bounded, so a
// hang fails here instead of stopping the suite.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "support/rollkit_runner.h"
#include "session_checks.h"
#include "support/test_roll.h"
#include "support/unprivileged.h"

namespace {

constexpr int kBoundSeconds = 10;

enum class Stand { kFifo, kSocket, kDevice, kDirectory };

const char* Describe(Stand stand) {
  switch (stand) {
    case Stand::kFifo: return "a FIFO";
    case Stand::kSocket: return "a socket";
    case Stand::kDevice: return "a device";
    case Stand::kDirectory: return "a directory";
  }
  return "";
}

// Puts `stand` at `path` in place of what was there.
void PutInPlace(const std::string& path, Stand stand) {
  std::filesystem::remove(path);
  switch (stand) {
    case Stand::kFifo:
      ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);
      break;
    case Stand::kSocket: {
      const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
      sockaddr_un address{};
      address.sun_family = AF_UNIX;
      ASSERT_LT(path.size(), sizeof address.sun_path);
      std::strcpy(address.sun_path, path.c_str());
      ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
      close(fd);
      break;
    }
    case Stand::kDevice:
      ASSERT_EQ(symlink("/dev/zero", path.c_str()), 0);  // a link to one: links are followed
      break;
    case Stand::kDirectory:
      ASSERT_TRUE(std::filesystem::create_directory(path));
      break;
  }
}

class RollkitHostileFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 12; ++i) roll.Add("Smith", "John" + std::to_string(i));
    roll.Add("Jones", "Mary");
    roll.Build();
    data = roll.dataDir.substr(0, roll.dataDir.size() - 1);
  }

  RunResult Run(const std::vector<std::string>& args, bool unprivileged = false) {
    RunOptions options;
    options.timeoutSeconds = kBoundSeconds;
    options.unprivileged = unprivileged;
    return RunRollkit(args, options);
  }

  // search, show and dump each end at once with `message` as their one line; check lists it
  // among its problems.
  void ExpectEveryCommandSays(const std::string& message, bool unprivileged = false) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"search", "--data", data, "smith"},
             {"search", "--data", data, "--given", "j", "smith"},
             {"show", "--data", data, "smith", "0"},
             {"dump", "--data", data}}) {
      const RunResult r = Run(args, unprivileged);
      EXPECT_EQ(r.exitCode, 1) << args[0];
      EXPECT_EQ(r.err, RollkitLine(message)) << args[0];
      EXPECT_EQ(r.out, "") << args[0];
    }
    const RunResult check = Run({"check", data}, unprivileged);
    EXPECT_EQ(check.exitCode, 1);
    const auto lines = Lines(check.out);
    EXPECT_NE(std::find(lines.begin(), lines.end(), message), lines.end()) << check.out;
  }

  TestRoll roll;
  std::string data;  // without the separator, as a user types it
};

}  // namespace

TEST_F(RollkitHostileFiles, AnythingButARegularFileIsNamedForWhatItIs) {
  for (const char* file : {"mrdb.id", "mroll.cor", "mroll.ext", "mroll.tre"}) {
    for (Stand stand : {Stand::kFifo, Stand::kSocket, Stand::kDevice, Stand::kDirectory}) {
      SCOPED_TRACE(std::string(file) + " as " + Describe(stand));
      const std::string path = roll.dataDir + file;
      const std::string kept = ReadFileBytes(path);
      PutInPlace(path, stand);
      const auto before = Snapshot(roll.dataDir);
      ExpectEveryCommandSays(path + ": " + Describe(stand) + ", not a roll file");
      EXPECT_EQ(Changes(before, Snapshot(roll.dataDir)), std::vector<std::string>{});
      std::filesystem::remove(path);
      WriteFileBytes(path, kept);
    }
  }
}

// The lower-case name is the one the engine opens when both stand there; the check before it
// looks at the same one.
TEST_F(RollkitHostileFiles, AFifoBesideTheFileInAnotherCaseIsTheOneNamed) {
  std::filesystem::rename(roll.dataDir + "mroll.ext", roll.dataDir + "MROLL.EXT");
  ASSERT_EQ(mkfifo((roll.dataDir + "mroll.ext").c_str(), 0644), 0);
  ExpectEveryCommandSays(roll.dataDir + "mroll.ext: a FIFO, not a roll file");

  std::filesystem::remove(roll.dataDir + "mroll.ext");
  const RunResult upper = Run({"search", "--data", data, "jones"});
  EXPECT_EQ(upper.out, "1 records found.\nJONES\tMary\tJ, A, 5 IL INF, PVT, ...\n") << upper.err;
}

TEST_F(RollkitHostileFiles, DataDirectoryThatIsNoDirectory) {
  ScopedTempDir dir;
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0644), 0);
  for (const auto& [path, what] : {std::pair<std::string, std::string>{dir / "fifo", "a FIFO, not a directory"},
                                   {roll.dataDir + "mroll.cor",
                                    "a regular file, not a directory or a disk image (no ISO 9660 file system)"},
                                   {dir / "missing", "no such directory"}}) {
    const RunResult search = Run({"search", "--data", path, "smith"});
    EXPECT_EQ(search.err, RollkitLine(path + ": " + what));
    const RunResult check = Run({"check", path});
    EXPECT_EQ(check.err, RollkitLine(path + ": " + what));
    EXPECT_EQ(check.exitCode, 1);
  }
}

// Root reads everything, so the runs are made as an unprivileged user.
TEST_F(RollkitHostileFiles, AnUnreadableFileIsNamedWithItsCause) {
  ASSERT_EQ(chmod(roll.dataDir.substr(0, roll.dataDir.size() - 5).c_str(), 0755), 0);  // the scratch root
  if (geteuid() != 0) GTEST_SKIP() << "needs root to become another user";
  // A build inside a private folder (a mktemp -d one, mode 0700) is out of that user's reach.
  if (RunUnprivileged([] { return access(ROLLKIT_PATH, X_OK) == 0 ? 0 : 1; }) != 0)
    GTEST_SKIP() << ROLLKIT_PATH << " cannot be run by another user: a folder above it is private";
  for (const char* file : {"mrdb.id", "mroll.cor", "mroll.ext", "mroll.tre"}) {
    SCOPED_TRACE(file);
    const std::string path = roll.dataDir + file;
    ASSERT_EQ(chmod(path.c_str(), 0), 0);
    const auto before = Snapshot(roll.dataDir);
    ExpectEveryCommandSays(path + ": cannot be read: Permission denied", true);
    EXPECT_EQ(Changes(before, Snapshot(roll.dataDir)), std::vector<std::string>{}) << "nothing made over it";
    ASSERT_EQ(chmod(path.c_str(), 0644), 0);
  }
  // And the whole roll, readable again, for the same user: the runs above failed for the file's sake.
  EXPECT_EQ(Run({"check", data}, true).exitCode, 0);
}

// /proc/kmsg is a regular file of size 0 whose reads wait for the kernel's next message (and take
// it away from the system log). As a data directory it is refused at once, and nothing reads it.
TEST_F(RollkitHostileFiles, AKernelFileThatSaysItIsEmptyIsNeverWaitedOn) {
  if (access("/proc/kmsg", R_OK) != 0) GTEST_SKIP() << "/proc/kmsg cannot be read here (root only)";
  const std::string message =
      "/proc/kmsg: a regular file, not a directory or a disk image (no ISO 9660 file system)";
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"search", "--data", "/proc/kmsg", "smith"},
                                             {"check", "/proc/kmsg"},
                                             {"dump", "--data", "/proc/kmsg"}}) {
    const RunResult r = Run(args);
    EXPECT_FALSE(r.timedOut) << args[0];
    EXPECT_EQ(r.exitCode, 1) << args[0];
    EXPECT_EQ(r.err, RollkitLine(message)) << args[0];
  }
}
