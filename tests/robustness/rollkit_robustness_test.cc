// rollkit over damaged and vanishing data: check names the damaged file, search and show never
// crash or hang on it, and neither search nor show leaves anything behind, not even when it is
// interrupted halfway through its output.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <thread>

#include "damages.h"
#include "support/rollkit_runner.h"
#include "session_checks.h"
#include "store/roll_writer.h"

extern char** environ;

namespace {

class RollkitDamage : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    BuildDamageRoll(roll);
    pristine = {ReadFileBytes(roll.dataDir + "mroll.cor"), ReadFileBytes(roll.dataDir + "mroll.ext"),
                ReadFileBytes(roll.dataDir + "mroll.tre")};
  }
  TestRoll roll;
  Files pristine;
};

}  // namespace

TEST_P(RollkitDamage, CheckNamesItAndSearchAndShowSurviveIt) {
  const Damage damage = Damages()[static_cast<std::size_t>(GetParam())];
  SCOPED_TRACE(damage.name);
  Files f = pristine;
  damage.apply(f);
  WriteFileBytes(roll.dataDir + "mroll.cor", f.cor);
  WriteFileBytes(roll.dataDir + "mroll.ext", f.ext);
  WriteFileBytes(roll.dataDir + "mroll.tre", f.tre);
  const auto before = Snapshot(roll.dataDir);

  const RunResult check = RunRollkit({"check", roll.dataDir});
  if (damage.file) {
    EXPECT_EQ(check.exitCode, 1) << check.out << check.err;
    EXPECT_NE(check.out.find(damage.file), std::string::npos) << check.out << check.err;
  } else {
    EXPECT_TRUE(check.exitCode == 0 || check.exitCode == 1) << check.err;
  }
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"search", "--data", roll.dataDir, "Smith"},
           {"search", "--data", roll.dataDir, "--given", "n", "Smith"},
           {"search", "--data", roll.dataDir, "Surname120"},
           {"search", "--data", roll.dataDir, "Zzz"},
           {"show", "--data", roll.dataDir, "Smith", "0"},
           {"show", "--data", roll.dataDir, "Smith", "24"},
           {"show", "--data", roll.dataDir, "--given", "n", "Smith", "3"},
           {"dump", "--data", roll.dataDir, roll.familyDir + "dump.csv"}}) {
    const RunResult r = RunRollkit(args);
    // 0 with a result, or 1 with a message naming the trouble; never a crash (-1).
    EXPECT_TRUE(r.exitCode == 0 || r.exitCode == 1) << args[0] << " " << args.back() << ": " << r.exitCode << "\n" << r.err;
    if (r.exitCode == 1) {
      // One line of rollkit's own (which one depends on the damage), nothing else.
      EXPECT_EQ(r.err.rfind("rollkit: ", 0), 0u) << r.err;
      EXPECT_EQ(Lines(r.err).size(), 1u) << r.err;
    }
  }
  EXPECT_EQ(Changes(before, Snapshot(roll.dataDir)), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(EachDamage, RollkitDamage, ::testing::Range(0, static_cast<int>(Damages().size())));

namespace {

// A roll with 3000 Smiths: enough output to fill a pipe that nobody reads.
class RollkitLeavesNothing : public ::testing::Test {
 protected:
  void SetUp() override {
    RollWriter writer;
    std::string error;
    for (int i = 0; i < 3000; ++i) {
      ASSERT_TRUE(writer.Add("Smith", "JOHN" + std::to_string(i), {"J", "A", "5 IL INF", "PVT"}, &error));
    }
    ASSERT_TRUE(writer.Write(data.Prefix(), &error)) << error;
    ASSERT_EQ(mkdir(tmp.c_str(), 0700), 0);
  }

  // Starts rollkit with standard output into a pipe; returns its pid and the pipe's read end.
  pid_t Start(const std::vector<std::string>& args, int* readEnd) {
    int fds[2];
    EXPECT_EQ(pipe(fds), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> strings{ROLLKIT_PATH};
    strings.insert(strings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& s : strings) argv.push_back(s.data());
    argv.push_back(nullptr);
    std::vector<std::string> env{"TMPDIR=" + tmp, "XDG_RUNTIME_DIR=" + tmp, "HOME=" + home};
    for (char** e = environ; *e; ++e) {
      const std::string name(*e, std::strcspn(*e, "="));
      if (name != "TMPDIR" && name != "XDG_RUNTIME_DIR" && name != "HOME" && name != "XDG_STATE_HOME") {
        env.emplace_back(*e);
      }
    }
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t pid = -1;
    EXPECT_EQ(posix_spawn(&pid, ROLLKIT_PATH, &actions, nullptr, argv.data(), envp.data()), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    *readEnd = fds[0];
    return pid;
  }

  // Waits until rollkit has filled the pipe (so it is blocked halfway through its output).
  static bool WaitUntilFull(int fd) {
    for (int i = 0; i < 2000; ++i) {
      int waiting = 0;
      ioctl(fd, FIONREAD, &waiting);
      if (waiting >= 60000) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  ScopedTempDir data;
  ScopedTempDir scratch;
  std::string tmp = scratch.Prefix() + "tmp";
  std::string home = scratch.Prefix() + "home";
};

}  // namespace

TEST_F(RollkitLeavesNothing, SearchAndShowChangeNothingAndRemoveTheirScratch) {
  const auto before = Snapshot(data.Prefix());
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"search", "--data", data.Prefix(), "Smith"},
           {"search", "--data", data.Prefix(), "--given", "john1", "smith"},
           {"show", "--data", data.Prefix(), "--given", "j", "Smith", "2999"},
           {"show", "--data", data.Prefix(), "Smith", "3000"}}) {
    const RunResult r = RunRollkit(args, {{"TMPDIR", tmp}});
    EXPECT_TRUE(r.exitCode == 0 || r.exitCode == 1) << r.err;
    EXPECT_TRUE(std::filesystem::is_empty(tmp)) << args[0] << " " << args.back();
  }
  EXPECT_EQ(Changes(before, Snapshot(data.Prefix())), std::vector<std::string>{});
}

// The search keeps its matches in a file without a name: whatever ends it, even a signal that
// cannot be caught, nothing is left behind, in the temporary directory or anywhere else.
TEST_F(RollkitLeavesNothing, AnInterruptedSearchLeavesNoScratch) {
  const auto before = Snapshot(data.Prefix());
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGQUIT, SIGALRM, SIGUSR1, SIGUSR2, SIGKILL}) {
    SCOPED_TRACE(strsignal(sig));
    int out = -1;
    const pid_t pid = Start({"search", "--data", data.Prefix(), "--given", "j", "smith"}, &out);
    ASSERT_TRUE(WaitUntilFull(out));
    EXPECT_TRUE(std::filesystem::is_empty(tmp)) << "the search's filter buffer has no name";
    if (sig == SIGPIPE) {
      close(out);  // the reader goes away, as with `rollkit search ... | head`
      out = -1;
    } else {
      kill(pid, sig);
    }
    if (out >= 0) {
      // Let it die without writing into a full pipe.
      char drain[65536];
      while (read(out, drain, sizeof drain) > 0) {
      }
      close(out);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << status;
    EXPECT_TRUE(std::filesystem::is_empty(tmp));
    EXPECT_FALSE(std::filesystem::exists(home)) << "nothing made in the home directory";
  }
  EXPECT_EQ(Changes(before, Snapshot(data.Prefix())), std::vector<std::string>{});
}
