// What the research log costs a search: recording one search into a real log file on disk (the
// log's own WAL mode and synchronisation, a log that already holds many searches), beside saving a
// soldier and changing his notes (full synchronisation, which waits for the disk), and telling
// which roll a search ran on (hashing its index file, done once per opened roll).
//   build-bench/bench/research_bench [--dir=DIR] [--index=FILE] [--benchmark_repetitions=9 ...]
// DIR (default: a new directory under the current one) should be on the disk where the user's
// data directory is: a log in memory or on tmpfs would not wait for the disk at all.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "research/research_log.h"
#include "research/roll_identity.h"
#include "store/roll_format.h"

namespace {

std::string g_dir;
std::string g_index;
constexpr int kSearchesBefore = 10000;

[[noreturn]] void Fail(const std::string& error) {
  std::fprintf(stderr, "research_bench: %s\n", error.c_str());
  std::exit(1);
}

LoggedSearch Search(std::int64_t i) {
  LoggedSearch search;
  search.roll = {"KINLOOM3", "0123456789abcdef0123456789abcdef"};
  search.surname = "MULLER" + std::to_string(i % 1000);
  search.givenName = i % 3 ? "" : "J";
  search.mode = i % 2 ? "soundex" : "exact";
  search.count = i % 17;
  search.program = "bench";
  return search;
}

// A log in the bench's directory that already holds kSearchesBefore searches.
void OpenFilledLog(ResearchLog* log, const char* name) {
  const std::string path = g_dir + "/" + name;
  for (const char* suffix : {"", "-wal", "-shm"}) std::remove((path + suffix).c_str());
  if (!log->Open(path, LogAccess::kWrite)) Fail(log->Problem().message);
  for (int i = 0; i < kSearchesBefore; ++i) {
    LoggedSearch search = Search(i);
    if (!log->RecordSearch(&search)) Fail(log->Problem().message);
  }
}

void BM_RecordSearch(benchmark::State& state) {
  ResearchLog log;
  OpenFilledLog(&log, "record.sqlite");
  std::int64_t i = 0;
  for (auto _ : state) {
    LoggedSearch search = Search(i++);
    if (!log.RecordSearch(&search)) Fail(log.Problem().message);
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_SaveSoldier(benchmark::State& state) {
  ResearchLog log;
  OpenFilledLog(&log, "save.sqlite");
  std::int64_t slot = 0;
  for (auto _ : state) {
    SavedSoldier soldier;
    soldier.roll = {"KINLOOM3", "0123456789abcdef0123456789abcdef"};
    soldier.surname = "KELLY";
    soldier.indexKey = KeyOf("KELLY");
    soldier.slot = slot++;
    soldier.nameText = "Patrick";
    soldier.line = JoinFields({"G", "C", "25 BTRY OH LT ART", "PVT", "CORP", "", "12", "34", "5678", "U"});
    bool already = false;
    if (!log.SaveSoldier(&soldier, &already)) Fail(log.Problem().message);
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_ChangeNotes(benchmark::State& state) {
  ResearchLog log;
  OpenFilledLog(&log, "note.sqlite");
  SavedSoldier soldier;
  soldier.roll.hash = "0123456789abcdef0123456789abcdef";
  soldier.surname = "KELLY";
  soldier.line = "\n";
  bool already = false;
  if (!log.SaveSoldier(&soldier, &already)) Fail(log.Problem().message);
  std::int64_t i = 0;
  for (auto _ : state) {
    SoldierEdit edit;
    edit.notes = "Note " + std::to_string(i++);
    if (!log.ChangeSoldier(soldier.id, edit)) Fail(log.Problem().message);
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_IdentifyRoll(benchmark::State& state) {
  ReadOnlyFile index;
  if (index.Open(g_index) != OpenStatus::kOk) Fail(g_index + ": cannot be opened");
  RollIdentity identity;
  for (auto _ : state) {
    if (!IdentifyRoll(index, g_index, &identity)) Fail(g_index + ": cannot be read");
  }
  state.SetBytesProcessed(state.iterations() * index.Size());
  state.SetLabel(std::to_string(index.Size()) + " bytes");
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> rest;
  for (int i = 0; i < argc; ++i) {
    if (std::strncmp(argv[i], "--dir=", 6) == 0) {
      g_dir = argv[i] + 6;
    } else if (std::strncmp(argv[i], "--index=", 8) == 0) {
      g_index = argv[i] + 8;
    } else {
      rest.push_back(argv[i]);
    }
  }
  std::string made;
  if (g_dir.empty()) {
    char name[] = "research-bench.XXXXXX";
    if (!mkdtemp(name)) Fail("cannot make a directory here");
    g_dir = made = name;
  }
  benchmark::RegisterBenchmark("BM_RecordSearch", BM_RecordSearch);
  benchmark::RegisterBenchmark("BM_SaveSoldier", BM_SaveSoldier);
  benchmark::RegisterBenchmark("BM_ChangeNotes", BM_ChangeNotes);
  if (!g_index.empty()) benchmark::RegisterBenchmark("BM_IdentifyRoll", BM_IdentifyRoll);
  int count = static_cast<int>(rest.size());
  benchmark::Initialize(&count, rest.data());
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (!made.empty()) {
    for (const char* name : {"record", "save", "note"}) {
      for (const char* suffix : {".sqlite", ".sqlite-wal", ".sqlite-shm"}) {
        std::remove((made + "/" + name + suffix).c_str());
      }
    }
    rmdir(made.c_str());
  }
  return 0;
}
