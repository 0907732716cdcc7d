// rollkit ended by a signal halfway through its output, even one that cannot be caught, leaves
// nothing behind.
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

#include "many_smiths.h"
#include "session_checks.h"

extern char** environ;

namespace {

// A roll with 3000 Smiths: enough output to fill a pipe that nobody reads.
class RollkitSearchInterrupted : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteManySmiths(data.Prefix());
    ASSERT_TRUE(MakeDirectory(tmp));
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

// The search keeps its matches in a file without a name: whatever ends it, even a signal that
// cannot be caught, nothing is left behind, in the temporary directory or anywhere else.
TEST_F(RollkitSearchInterrupted, AnInterruptedSearchLeavesNoScratch) {
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
