// Several programs on one log: a writer killed at any moment loses at most the action it was in,
// and two writers and a reader at once see each other's writes and leave the file whole.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <random>
#include <set>

#include "research_fixture.h"

extern char** environ;

namespace {

// A research_writer started with its standard output on a pipe.
class Writer {
 public:
  explicit Writer(const std::vector<std::string>& args) {
    std::vector<std::string> strings = {RESEARCH_WRITER};
    strings.insert(strings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& s : strings) argv.push_back(s.data());
    argv.push_back(nullptr);
    int fds[2];
    if (pipe(fds) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addclose(&actions, fds[1]);
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    out = fds[0];
  }
  ~Writer() {
    if (pid > 0) {
      kill(pid, SIGKILL);
      Wait();
    }
    if (out >= 0) close(out);
  }

  bool Started() const { return pid > 0; }

  // The next line it writes, or "" when it ends or writes nothing for `seconds`.
  std::string ReadLine(int seconds = 30) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    for (;;) {
      if (const std::size_t end = buffered.find('\n'); end != std::string::npos) {
        std::string line = buffered.substr(0, end);
        buffered.erase(0, end + 1);
        return line;
      }
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return {};
      pollfd p{out, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(left.count())) <= 0) return {};
      char chunk[4096];
      const ssize_t n = read(out, chunk, sizeof chunk);
      if (n <= 0) return {};
      buffered.append(chunk, static_cast<std::size_t>(n));
    }
  }

  void Kill() { kill(pid, SIGKILL); }
  // How it ended: its exit status, or 128 + the signal that ended it.
  int Wait() {
    int status = 0;
    if (pid <= 0 || waitpid(pid, &status, 0) != pid) return -1;
    pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

 private:
  pid_t pid = -1;
  int out = -1;
  std::string buffered;
};

using LogProcessTest = LogTest;

TEST_F(LogProcessTest, AWriterKilledAtAnyMomentLosesAtMostTheActionInFlight) {
  constexpr int kRounds = 12;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  std::mt19937 random(28);
  // What each round's writer said it had committed: the last round number of each action.
  std::map<std::string, std::map<std::string, int>> committed;
  int rounds = 0;
  for (; rounds < kRounds && std::chrono::steady_clock::now() < deadline; ++rounds) {
    const std::string tag = "R" + std::to_string(rounds);
    Writer writer({"churn", path, tag});
    ASSERT_TRUE(writer.Started());
    // Killed before its first commit now and then (while it makes the log), else after a few.
    const int lines = std::uniform_int_distribution<int>(0, 40)(random) - 4;
    for (int i = 0; i < lines; ++i) {
      const std::string line = writer.ReadLine();
      ASSERT_FALSE(line.empty()) << tag << " stopped after " << i << " lines";
      const std::size_t blank = line.find(' ');
      committed[tag][line.substr(0, blank)] = std::stoi(line.substr(blank + 1));
    }
    writer.Kill();
    EXPECT_EQ(writer.Wait(), 128 + SIGKILL);
  }
  ASSERT_GE(rounds, 3);

  ASSERT_EQ(IntegrityOf(path), "ok");
  Connection db = OpenRaw(path);
  for (const auto& [tag, last] : committed) {
    for (const auto& [action, round] : last) {
      for (int i = 0; i <= round; ++i) {
        std::int64_t found = 0;
        const std::string n = std::to_string(i);
        const std::string sql =
            action == "search" ? "SELECT count(*) FROM searches WHERE surname = '" + tag + "S" + n + "'"
            : action == "save"
                ? "SELECT count(*) FROM soldiers WHERE roll_label = '" + tag + "' AND slot = " + n
                : "SELECT count(*) FROM soldiers WHERE roll_label = '" + tag + "' AND slot = " + n +
                      " AND notes = 'note " + n + "' AND status = 'found'";
        ASSERT_TRUE(QueryInt(db.get(), sql.c_str(), &found));
        EXPECT_EQ(found, 1) << tag << " " << action << " " << n;
      }
    }
  }
  // Each action is whole or absent: a soldier is saved with his first history entry, a note comes
  // with its own, and nothing is half changed.
  std::int64_t broken = -1;
  ASSERT_TRUE(
      QueryInt(db.get(),
               "SELECT count(*) FROM soldiers s WHERE NOT ("
               " (status = 'to do' AND notes = '' AND (SELECT count(*) FROM soldier_changes c"
               "   WHERE c.soldier_id = s.id) = 1) OR"
               " (status = 'found' AND notes = 'note ' || slot AND (SELECT count(*) FROM soldier_changes c"
               "   WHERE c.soldier_id = s.id) = 2))",
               &broken));
  EXPECT_EQ(broken, 0);
  std::int64_t orphans = -1;
  ASSERT_TRUE(QueryInt(db.get(), "SELECT count(*) FROM soldiers WHERE search_id IS NULL", &orphans));
  EXPECT_EQ(orphans, 0);
}

TEST_F(LogProcessTest, TwoWritersAndAReaderAtOnceSeeEachOthersWrites) {
  constexpr int kEach = 150;
  const std::string total = std::to_string(2 * kEach);
  Writer reader({"read", path, total});
  Writer first({"searches", path, "A", std::to_string(kEach), total});
  Writer second({"searches", path, "B", std::to_string(kEach), total});
  for (Writer* w : {&first, &second, &reader}) {
    ASSERT_TRUE(w->Started());
    EXPECT_EQ(w->ReadLine(90), "saw " + total);
    EXPECT_EQ(w->Wait(), 0);
  }
  EXPECT_EQ(IntegrityOf(path), "ok");
  Connection db = OpenRaw(path);
  for (const char* tag : {"A", "B"}) {
    Statement rows(db.get(), "SELECT surname FROM searches WHERE surname LIKE ?1 ORDER BY id");
    rows.Bind(1, std::string(tag) + "%");
    std::vector<std::string> surnames;
    while (rows.Step() == SQLITE_ROW) surnames.push_back(rows.Text(0));
    ASSERT_EQ(surnames.size(), static_cast<std::size_t>(kEach)) << tag;
    // Each writer's searches are all there, in the order it made them.
    for (int i = 0; i < kEach; ++i) EXPECT_EQ(surnames[static_cast<std::size_t>(i)], tag + std::to_string(i));
  }
}

}  // namespace
