// rollkit interrupted while it writes: whatever signal ends dump, generate or build, the old
// output stays whole and nothing of the run is left; after a SIGKILL, which nothing can catch,
// the next run that writes into the directory removes what the killed one left, and nothing else.
#include <gtest/gtest.h>

#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>

#include "support/rollkit_runner.h"
#include "store/roll_writer.h"
#include "support/scoped_temp_dir.h"

namespace {

constexpr int kBoundSeconds = 20;
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

// Every signal that ends a process and can be caught, and a few sent as a fault would be.
const int kSignals[] = {SIGHUP,  SIGINT,  SIGQUIT,  SIGTERM,  SIGALRM, SIGUSR1, SIGUSR2,  SIGPIPE,
                        SIGXCPU, SIGVTALRM, SIGPROF, SIGIO,  SIGPWR,  SIGSTKFLT, SIGSEGV, SIGBUS,
                        SIGABRT, SIGSYS,  SIGTRAP};

std::string SignalName(int sig) { return sigabbrev_np(sig) ? sigabbrev_np(sig) : std::to_string(sig); }

// Watches a directory for a new entry, so that a signal can be sent the moment a run has begun
// writing there.
class CreationWatch {
 public:
  explicit CreationWatch(const std::string& directory) : fd(inotify_init1(IN_CLOEXEC)) {
    inotify_add_watch(fd, directory.c_str(), IN_CREATE);
  }
  ~CreationWatch() { close(fd); }
  // Waits (at most the bound) for the next entry to be made; its name, or "" when none was.
  std::string Next() {
    pollfd ready{fd, POLLIN, 0};
    if (poll(&ready, 1, kBoundSeconds * 1000) <= 0) return "";
    alignas(inotify_event) char buffer[4096];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < static_cast<ssize_t>(sizeof(inotify_event))) return "";
    return reinterpret_cast<inotify_event*>(buffer)->name;
  }

 private:
  int fd;
};

class RollkitInterrupted : public ::testing::Test {
 protected:
  void SetUp() override {
    // A roll large enough that dumping or building it outlasts a signal sent when it starts.
    RollWriter writer;
    std::string error;
    for (int i = 0; i < 60000; ++i) {
      ASSERT_TRUE(writer.Add("Surname" + std::to_string(i % 5000), "Given" + std::to_string(i),
                             {"J", "A", "5 IL INF", "PVT", "PVT", "", "1", "2", "3", "U"}, &error));
    }
    ASSERT_TRUE(writer.Write(roll.Prefix(), &error)) << error;
    WriteFileBytes(roll.File("mrdb.id"), "");
    ASSERT_EQ(RunRollkit({"dump", "--data", roll.Prefix(), out.File("roll.csv")}).exitCode, 0);
  }

  // Starts rollkit, sends `sig` as soon as it makes its first entry in `watched`, and checks that
  // the signal ended it.
  void Interrupt(const std::vector<std::string>& args, const std::string& watched, int sig) {
    CreationWatch watch(watched);
    const pid_t pid = StartRollkit(args, {}, "", "");
    const std::string made = watch.Next();
    EXPECT_NE(made, "") << "nothing was made in " << watched;
    kill(pid, sig);
    const RunResult r = WaitForRollkit(pid, kBoundSeconds);
    EXPECT_FALSE(r.timedOut);
    if (kSanitized && (sig == SIGSEGV || sig == SIGBUS)) {
      // The sanitizer's own handler takes these over and ends the process its way.
      EXPECT_NE(r.signal, 0) << "exit " << r.exitCode;
    } else {
      EXPECT_EQ(r.signal, sig) << "exit " << r.exitCode << " after making " << made;
    }
  }

  ScopedTempDir roll;
  ScopedTempDir out;
};

}  // namespace

TEST_F(RollkitInterrupted, DumpAndGenerateLeaveTheOldOutputWhole) {
  WriteFileBytes(out.File("old.csv"), "old\n");
  for (int sig : kSignals) {
    SCOPED_TRACE(SignalName(sig));
    Interrupt({"dump", "--data", roll.Prefix(), out.File("old.csv")}, out.Prefix(), sig);
    EXPECT_EQ(ListDir(out.Prefix()), (std::vector<std::string>{"old.csv", "roll.csv"}));
    Interrupt({"generate", "--entries", "2000000000", out.File("old.csv")}, out.Prefix(), sig);
    EXPECT_EQ(ListDir(out.Prefix()), (std::vector<std::string>{"old.csv", "roll.csv"}));
    EXPECT_EQ(ReadFileBytes(out.File("old.csv")), "old\n");
  }
}

TEST_F(RollkitInterrupted, BuildLeavesTheOldDatabaseWhole) {
  const std::vector<std::string> files = {"mrdb.id", "mroll.cor", "mroll.ext", "mroll.tre"};
  std::vector<std::string> before;
  for (const auto& f : files) before.push_back(ReadFileBytes(roll.File(f)));
  // The new database differs from the old in every file but the marker.
  std::string csv = ReadFileBytes(out.File("roll.csv"));
  WriteFileBytes(out.File("new.csv"), csv + "\"Zz\",\"Last\"\n");
  for (int sig : {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGALRM, SIGUSR1, SIGUSR2, SIGPIPE, SIGXCPU, SIGSEGV}) {
    SCOPED_TRACE(SignalName(sig));
    Interrupt({"build", "--force", out.File("new.csv"), roll.Prefix()}, roll.Prefix(), sig);
    EXPECT_EQ(ListDir(roll.Prefix()), files);
    for (std::size_t i = 0; i < files.size(); ++i) EXPECT_TRUE(ReadFileBytes(roll.File(files[i])) == before[i]) << files[i];
  }
}

TEST_F(RollkitInterrupted, AfterAKillTheNextRunRemovesWhatWasLeft) {
  Interrupt({"generate", "--entries", "2000000000", out.File("a.csv")}, out.Prefix(), SIGKILL);
  Interrupt({"build", "--force", out.File("roll.csv"), roll.Prefix()}, roll.Prefix(), SIGKILL);
  const auto leftInOut = ListDir(out.Prefix());
  ASSERT_EQ(leftInOut.size(), 2u) << "roll.csv and the killed run's temporary file";
  const std::string temporary = leftInOut[0];
  EXPECT_EQ(temporary.substr(0, 7), ".a.csv.");
  ASSERT_EQ(ListDir(roll.Prefix()).size(), 5u) << "the database and the killed build's staging directory";

  // Look-alikes that are not leftovers of this host's dead processes: a running process's (this
  // test's), another host's, another user's, and a name that only starts the same way.
  const std::string host = temporary.substr(temporary.find('@'));
  const std::string dead = temporary.substr(0, temporary.find('@'));
  const std::string others = ".e.csv." + dead.substr(dead.rfind('.') + 1) + host;
  std::vector<std::string> kept = {
      ".b.csv." + std::to_string(getpid()) + host,
      dead + "@elsewhere.example.tmp",
      dead + ".other" + host,
      ".c.csv.x1" + host,
      ".d.csv" + host + ".bak",
      others,
  };
  for (const auto& name : kept) WriteFileBytes(out.File(name), "");
  ASSERT_EQ(chown(out.File(others).c_str(), 65534, 65534), 0);

  const RunResult next = RunRollkit({"generate", "--entries", "1", out.File("b.csv")});
  EXPECT_EQ(next.exitCode, 0) << next.err;
  auto expected = kept;
  expected.insert(expected.end(), {"b.csv", "roll.csv"});
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(ListDir(out.Prefix()), expected);

  const RunResult rebuilt = RunRollkit({"build", "--force", out.File("roll.csv"), roll.Prefix()});
  EXPECT_EQ(rebuilt.exitCode, 0) << rebuilt.err;
  EXPECT_EQ(ListDir(roll.Prefix()), (std::vector<std::string>{"mrdb.id", "mroll.cor", "mroll.ext", "mroll.tre"}));
}
