// The other program of the research log's process tests: writes to (or reads) a log at the path
// it is given, saying on standard output what it has committed, line by line, as it goes.
//
//   research_writer churn PATH TAG           records a search, saves a soldier and adds a note to
//                                            him, round after round, until it is killed: "search N",
//                                            "save N", "note N" after each commit
//   research_writer searches PATH TAG N TOTAL records N searches, then waits until the log holds
//                                            TOTAL: "saw TOTAL"
//   research_writer read PATH TOTAL          waits until the log holds TOTAL searches: "saw TOTAL"
//
// A wait gives up after a minute ("gave up at N"); the exit status is 0 only when all went well.
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "research/research_log.h"
#include "store/roll_format.h"

namespace {

constexpr int kMostRounds = 100000;
constexpr auto kLongestWait = std::chrono::seconds(60);

void Say(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

bool Open(ResearchLog* log, const std::string& path) {
  if (log->Open(path, LogAccess::kWrite)) return true;
  Say("open failed: " + log->Problem().message);
  return false;
}

LoggedSearch Search(const std::string& surname) {
  LoggedSearch search;
  search.roll.hash = "0123456789abcdef0123456789abcdef";
  search.surname = surname;
  search.count = 1;
  return search;
}

int Churn(const std::string& path, const std::string& tag) {
  ResearchLog::Settings settings;
  settings.busyMilliseconds = 10000;
  ResearchLog log(settings);
  if (!Open(&log, path)) return 1;
  for (int i = 0; i < kMostRounds; ++i) {
    const std::string n = std::to_string(i);
    LoggedSearch search = Search(tag + "S" + n);
    if (!log.RecordSearch(&search)) return 1;
    Say("search " + n);

    SavedSoldier soldier;
    soldier.roll = {tag, "0123456789abcdef0123456789abcdef"};
    soldier.surname = tag;
    soldier.indexKey = KeyOf(tag);
    soldier.slot = i;
    soldier.nameText = "Soldier " + n;
    soldier.line = JoinFields({"A", "B", "5 PA INF"});
    soldier.searchId = search.id;
    bool already = false;
    if (!log.SaveSoldier(&soldier, &already) || already) return 1;
    Say("save " + n);

    SoldierEdit edit;
    edit.status = ResearchStatus::kFound;
    edit.notes = "note " + n;
    edit.appendNotes = true;
    if (!log.ChangeSoldier(soldier.id, edit)) return 1;
    Say("note " + n);
  }
  return 0;
}

// Waits until the log holds `total` searches, looking again every few milliseconds.
int AwaitTotal(ResearchLog& log, std::int64_t total) {
  const auto deadline = std::chrono::steady_clock::now() + kLongestWait;
  std::vector<LoggedSearch> searches;
  for (;;) {
    if (!log.Searches({}, &searches)) {
      Say("read failed: " + log.Problem().message);
      return 1;
    }
    if (static_cast<std::int64_t>(searches.size()) >= total) {
      Say("saw " + std::to_string(searches.size()));
      return 0;
    }
    if (std::chrono::steady_clock::now() > deadline) {
      Say("gave up at " + std::to_string(searches.size()));
      return 1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  ResearchLog::Settings settings;
  settings.busyMilliseconds = 10000;
  ResearchLog log(settings);
  if (mode == "churn" && argc == 4) return Churn(argv[2], argv[3]);
  if (mode == "searches" && argc == 6) {
    if (!Open(&log, argv[2])) return 1;
    const int count = std::stoi(argv[4]);
    for (int i = 0; i < count; ++i) {
      LoggedSearch search = Search(std::string(argv[3]) + std::to_string(i));
      if (!log.RecordSearch(&search)) {
        Say("write failed: " + log.Problem().message);
        return 1;
      }
    }
    return AwaitTotal(log, std::stoll(argv[5]));
  }
  if (mode == "read" && argc == 4) {
    if (!log.Open(argv[2], LogAccess::kRead)) {
      // Not made yet by the writers: wait for it as for its rows.
      const auto deadline = std::chrono::steady_clock::now() + kLongestWait;
      while (!log.Open(argv[2], LogAccess::kRead)) {
        if (log.Problem().kind != LogProblemKind::kMissing || std::chrono::steady_clock::now() > deadline) {
          Say("open failed: " + log.Problem().message);
          return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
    }
    return AwaitTotal(log, std::stoll(argv[3]));
  }
  std::fprintf(stderr,
               "usage: research_writer churn PATH TAG | searches PATH TAG N TOTAL | read PATH TOTAL\n");
  return 2;
}
