// roll_bench: the search screen's operations on a built roll, timed against the same operations on
// a SQLite copy of the roll, in one binary and one run. Before anything is timed, every case is
// run once on both sides and the answers (count, rows of the page, detail text) must agree.
//
//   roll_bench --roll=DIR --family=DIR --sqlite=FILE [--picks=FILE] [--check-only] [benchmark flags]
//
// --picks writes the surnames and given names the cases use, one "name<TAB>value" a line;
// with --picks-only nothing else is done.
//
// Each engine case also carries the bytes it must read (index nodes on the lookup path, slots,
// summary bytes of the line file, filter-buffer records written and read) and the time those
// bytes take at the single-thread memory read bandwidth measured at start-up.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "line_summary.h"
#include "platform/message_box.h"
#include "results/result_list.h"
#include "roll_catalog.h"
#include "sqlite_roll.h"
#include "store/data_location.h"
#include "store/roll_database.h"
#include "store/search_request.h"

namespace {

struct Options {
  std::string rollDir;
  std::string familyDir;
  std::string sqlitePath;
  std::string picksPath;  // where to write the chosen surnames, for the whole-process figures
  bool checkOnly = false;
  bool picksOnly = false;  // write the picks and stop: no SQLite copy needed
};

[[noreturn]] void Fail(const std::string& why) {
  std::fprintf(stderr, "roll_bench: %s\n", why.c_str());
  std::exit(1);
}

// The engine objects of one search screen, driven as the Search command drives them.
class EngineSession {
 public:
  explicit EngineSession(const DataLocation& location)
      : database(location), list(database, location.familyDirectory.get()) {
    database.SetResultList(&list);
    list.SetRowsPerPage(false);
  }
  void Search(const std::string& surname, const std::string& given = "") {
    list.Reset();
    request.SetSurname(surname.c_str());
    request.SetDatabase(1);
    if (!given.empty()) request.SetGivenName(given.c_str());
    database.RunSearch(request);
  }
  std::vector<std::string> FormattedRows() const {
    std::vector<std::string> out;
    char text[500];
    for (int i = 0; i < list.RowCount(); ++i) {
      list.FormatRow(i, text);
      out.emplace_back(text);
    }
    return out;
  }
  // What the painter does after every page load: format each row.
  int PaintRows() const {
    char text[500];
    int total = 0;
    for (int i = 0; i < list.RowCount(); ++i) total += list.FormatRow(i, text);
    return total;
  }

  RollDatabase database;
  SearchRequest request;
  ResultList list;
};

int PaintRows(const SqliteSession& s) {
  int total = 0;
  for (const std::string& row : s.FormattedRows()) total += static_cast<int>(row.size());
  return total;
}

enum class Kind { kSearch, kNext, kPrevious, kDetail, kCold };

struct Case {
  std::string name;
  std::string surname;
  std::string given;
  Kind kind;
  std::string note;       // what the case stands for, for the report
  std::int64_t bytes = 0;  // what the engine must read (and write)
};

// Single-thread read bandwidth in bytes per second: the median of seven passes summing 256 MiB.
double MeasureReadBandwidth() {
  const std::size_t words = (256u << 20) / sizeof(std::uint64_t);
  std::vector<std::uint64_t> data(words);
  for (std::size_t i = 0; i < words; ++i) data[i] = i;
  std::vector<double> rates;
  for (int pass = 0; pass < 7; ++pass) {
    const auto t0 = std::chrono::steady_clock::now();
    std::uint64_t a = 0, b = 0, c = 0, d = 0;
    for (std::size_t i = 0; i < words; i += 4) {
      a += data[i];
      b += data[i + 1];
      c += data[i + 2];
      d += data[i + 3];
    }
    benchmark::DoNotOptimize(a + b + c + d);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    rates.push_back(static_cast<double>(words * sizeof(std::uint64_t)) / seconds);
  }
  std::sort(rates.begin(), rates.end());
  return rates[rates.size() / 2];
}

// The bytes the engine must move for a case, counted from the roll itself.
std::int64_t SummaryBytes(RollDatabase& db, const ResultList& list) {
  std::int64_t total = 0;
  char line[kLineBufferSize];
  for (int i = 0; i < list.RowCount(); ++i) {
    db.ReadLine(list.Row(i).lineOffset, line);
    int consumed = 0;
    RowSummary(std::string_view(line), &consumed);
    total += consumed;
  }
  return total;
}

std::int64_t LookupBytes(RollDatabase& db, const std::string& surname) {
  char key[kIndexKeySize] = {};
  std::memcpy(key, surname.data(), std::min(surname.size(), sizeof key - 1));
  RollDatabase::NormaliseKey(key);
  // Header, end byte and name-file trailer, then one node per level of the descent.
  return kIndexHeaderSize + 1 + kNameTrailerSize + static_cast<std::int64_t>(LookupDepth(*db.Index(), key)) * kIndexNodeSize;
}

std::int64_t CaseBytes(const DataLocation& location, const Case& c, std::int32_t scanned) {
  EngineSession s(location);
  s.Search(c.surname, c.given);
  RollDatabase& db = s.database;
  const std::int64_t slot = db.SlotSize();
  const std::int64_t filtered = c.given.empty() ? 0 : 1;
  switch (c.kind) {
    case Kind::kSearch:
    case Kind::kCold: {
      std::int64_t bytes = LookupBytes(db, c.surname) + SummaryBytes(db, s.list);
      if (filtered) {
        // Every slot of the run once, every match written once, the first page read back.
        bytes += scanned * slot + static_cast<std::int64_t>(s.list.ResultCount()) * kFilterRecordSize +
                 static_cast<std::int64_t>(s.list.RowCount()) * kFilterRecordSize;
      } else {
        bytes += s.list.RowCount() * slot;
      }
      return bytes;
    }
    case Kind::kNext:
    case Kind::kPrevious: {
      if (c.kind == Kind::kPrevious) s.list.NextPage();
      c.kind == Kind::kNext ? s.list.NextPage() : s.list.PreviousPage();
      return s.list.RowCount() * (filtered ? kFilterRecordSize : slot) + SummaryBytes(db, s.list);
    }
    case Kind::kDetail: {
      char line[kLineBufferSize];
      db.ReadLine(s.list.Row(0).lineOffset, line);
      return static_cast<std::int64_t>(std::strlen(line));
    }
  }
  return 0;
}

// Runs the case once on each side and compares what the screen would show.
void CheckSameAnswers(const DataLocation& location, const std::string& sqlitePath, const Case& c) {
  EngineSession e(location);
  SqliteSession q;
  if (!q.Open(sqlitePath)) Fail(sqlitePath + ": cannot be opened");
  e.Search(c.surname, c.given);
  q.Search(c.surname, c.given);
  if (c.kind == Kind::kNext || c.kind == Kind::kPrevious) {
    e.list.NextPage();
    q.NextPage();
    if (c.kind == Kind::kPrevious) {
      e.list.PreviousPage();
      q.PreviousPage();
    }
  }
  if (e.list.ResultCount() != q.count) {
    Fail(c.name + ": engine counts " + std::to_string(e.list.ResultCount()) + ", SQLite " + std::to_string(q.count));
  }
  const auto er = e.FormattedRows();
  const auto qr = q.FormattedRows();
  if (er != qr) {
    std::string why = c.name + ": the pages differ\n";
    for (std::size_t i = 0; i < std::max(er.size(), qr.size()); ++i) {
      why += "  engine: " + (i < er.size() ? er[i] : "-") + "\n  sqlite: " + (i < qr.size() ? qr[i] : "-") + "\n";
    }
    Fail(why);
  }
  if (c.kind == Kind::kDetail && std::string(e.list.DetailText(0)) != q.DetailText(0)) {
    Fail(c.name + ": the detail texts differ");
  }
}

struct Picks {
  SurnameRun single, median, common;
  std::string oneLetter, commonGiven, noMatch;
};

bool IsLetter(char ch) { return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z'); }

Picks PickCases(const DataLocation& location) {
  RollDatabase db(location);
  if (!db.Open(1)) Fail("no roll database in " + std::string(location.dataDirectory));
  std::vector<SurnameRun> runs;
  if (!ListSurnameRuns(*db.Index(), &runs) || runs.empty()) Fail("the index cannot be walked");

  Picks p;
  // Surnames of one entry: the one in the middle of the key order.
  std::vector<const SurnameRun*> singles;
  for (const SurnameRun& r : runs) {
    if (r.slotCount == 1) singles.push_back(&r);
  }
  if (singles.empty()) Fail("no surname with exactly one entry");
  p.single = *singles[singles.size() / 2];
  // The median entry's surname: the surname a soldier picked at random has, when soldiers are
  // lined up by how common their surname is.
  std::vector<const SurnameRun*> byCount;
  for (const SurnameRun& r : runs) byCount.push_back(&r);
  std::stable_sort(byCount.begin(), byCount.end(),
                   [](const SurnameRun* a, const SurnameRun* b) { return a->slotCount < b->slotCount; });
  std::int64_t total = 0;
  for (const SurnameRun* r : byCount) total += r->slotCount;
  std::int64_t seen = 0;
  for (const SurnameRun* r : byCount) {
    seen += r->slotCount;
    if (seen * 2 >= total) {
      p.median = *r;
      break;
    }
  }
  p.common = *byCount.back();

  // Given names of the most common surname: its most frequent first letter and leading word.
  std::map<std::string, int> letters, words;
  for (std::int32_t s = p.common.firstSlot; s < p.common.firstSlot + p.common.slotCount; ++s) {
    db.ReadSlot(s);
    std::string name = db.CurrentName();
    for (char& ch : name) ch = (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch;
    std::size_t n = 0;
    while (n < name.size() && IsLetter(name[n])) ++n;
    if (n >= 1) ++letters[name.substr(0, 1)];
    if (n >= 2) ++words[name.substr(0, n)];
  }
  auto most = [](const std::map<std::string, int>& m) {
    return std::max_element(m.begin(), m.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
  };
  if (letters.empty() || words.empty()) Fail("the most common surname has no given names to filter by");
  p.oneLetter = most(letters);
  p.commonGiven = most(words);
  for (const char* candidate : {"XQZY", "QQQQ", "ZZYZX"}) {
    bool matched = false;
    for (const auto& [word, n] : words) matched = matched || word.rfind(candidate, 0) == 0;
    if (!matched) {
      p.noMatch = candidate;
      break;
    }
  }
  return p;
}

std::string Entries(std::int64_t n) {
  const std::string digits = std::to_string(n);
  std::string grouped;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return grouped + (n == 1 ? " entry" : " entries");
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&](const char* flag) { return a.rfind(flag, 0) == 0 ? a.substr(std::strlen(flag)) : std::string(); };
    if (!value("--roll=").empty()) {
      o.rollDir = value("--roll=");
    } else if (!value("--family=").empty()) {
      o.familyDir = value("--family=");
    } else if (!value("--sqlite=").empty()) {
      o.sqlitePath = value("--sqlite=");
    } else if (!value("--picks=").empty()) {
      o.picksPath = value("--picks=");
    } else if (a == "--picks-only") {
      o.picksOnly = true;
    } else if (a == "--check-only") {
      o.checkOnly = true;
    } else {
      Fail("unknown argument " + a);
    }
  }
  if (o.rollDir.empty() || o.familyDir.empty() || (o.sqlitePath.empty() && !o.picksOnly)) {
    Fail("usage: roll_bench --roll=DIR --family=DIR --sqlite=FILE [--picks=FILE] [--picks-only | --check-only] "
         "[benchmark flags]");
  }
  // No box may appear while measuring: one would mean a case is not doing what it says.
  InstallMessageBoxHandler([](const char* text, unsigned) -> int { Fail(std::string("message box: ") + text); });

  static DataLocation location;
  location.SetDirectories(o.familyDir.c_str(), o.rollDir.c_str());
  const Picks p = PickCases(location);
  const std::string single(SurnameOfKey(p.single.key));
  const std::string median(SurnameOfKey(p.median.key));
  const std::string common(SurnameOfKey(p.common.key));

  static std::vector<Case> cases = {
      {"search/surname/single", single, "", Kind::kSearch, single + ", " + Entries(p.single.slotCount)},
      {"search/surname/median", median, "", Kind::kSearch, median + ", " + Entries(p.median.slotCount)},
      {"search/surname/most_common", common, "", Kind::kSearch, common + ", " + Entries(p.common.slotCount)},
      {"search/given/one_letter", common, p.oneLetter, Kind::kSearch, common + " " + p.oneLetter},
      {"search/given/common", common, p.commonGiven, Kind::kSearch, common + " " + p.commonGiven},
      {"search/given/no_match", common, p.noMatch, Kind::kSearch, common + " " + p.noMatch},
      {"page/next/range", common, "", Kind::kNext, common + ", page 1 to 2"},
      {"page/previous/range", common, "", Kind::kPrevious, common + ", page 2 to 1"},
      {"page/next/filtered", common, p.commonGiven, Kind::kNext, common + " " + p.commonGiven + ", page 1 to 2"},
      {"page/previous/filtered", common, p.commonGiven, Kind::kPrevious,
       common + " " + p.commonGiven + ", page 2 to 1"},
      {"detail/row", common, "", Kind::kDetail, common + ", first row"},
      {"cold/first_search", median, "", Kind::kCold, median + ", new screen and connection"},
  };
  if (!o.picksPath.empty()) {
    std::FILE* f = std::fopen(o.picksPath.c_str(), "w");
    if (!f) Fail(o.picksPath + ": cannot be written");
    std::fprintf(f, "single\t%s\nmedian\t%s\ncommon\t%s\ncommon_count\t%d\ngiven\t%s\n", single.c_str(),
                 median.c_str(), common.c_str(), p.common.slotCount, p.commonGiven.c_str());
    std::fclose(f);
  }
  if (o.picksOnly) return 0;

  for (Case& c : cases) {
    CheckSameAnswers(location, o.sqlitePath, c);
    c.bytes = CaseBytes(location, c, p.common.slotCount);
  }
  {
    EngineSession e(location);
    for (const Case& c : cases) {
      e.Search(c.surname, c.given);
      std::fprintf(stderr, "%-26s %-40s results %d\n", c.name.c_str(), c.note.c_str(), e.list.ResultCount());
    }
  }
  std::fprintf(stderr, "answers agree on every case\n");
  if (o.checkOnly) return 0;

  const double bandwidth = MeasureReadBandwidth();
  benchmark::AddCustomContext("read_bandwidth_bytes_per_second", std::to_string(bandwidth));
  for (const Case& c : cases) benchmark::AddCustomContext("case:" + c.name, c.note);

  static SqliteSession sqlite;
  if (!sqlite.Open(o.sqlitePath)) Fail(o.sqlitePath + ": cannot be opened");
  static EngineSession engine(location);
  const std::string sqlitePath = o.sqlitePath;

  for (const Case& c : cases) {
    const double boundNs = static_cast<double>(c.bytes) / bandwidth * 1e9;
    auto counters = [c, boundNs](benchmark::State& state) {
      state.counters["bytes"] = static_cast<double>(c.bytes);
      state.counters["bound_ns"] = boundNs;
    };
    benchmark::internal::Benchmark* eb = nullptr;
    benchmark::internal::Benchmark* sb = nullptr;
    switch (c.kind) {
      case Kind::kSearch:
        eb = benchmark::RegisterBenchmark(("engine/" + c.name).c_str(), [c, counters](benchmark::State& state) {
          for (auto _ : state) {
            engine.Search(c.surname, c.given);
            benchmark::DoNotOptimize(engine.PaintRows());
          }
          counters(state);
        });
        sb = benchmark::RegisterBenchmark(("sqlite/" + c.name).c_str(), [c](benchmark::State& state) {
          for (auto _ : state) {
            sqlite.Search(c.surname, c.given);
            benchmark::DoNotOptimize(PaintRows(sqlite));
          }
        });
        break;
      case Kind::kNext:
      case Kind::kPrevious: {
        // Each iteration times one page turn and turns back untimed, so every turn is the same one.
        const bool next = c.kind == Kind::kNext;
        eb = benchmark::RegisterBenchmark(("engine/" + c.name).c_str(), [c, next, counters](benchmark::State& state) {
          engine.Search(c.surname, c.given);
          if (!next) engine.list.NextPage();
          for (auto _ : state) {
            const auto t0 = std::chrono::steady_clock::now();
            next ? engine.list.NextPage() : engine.list.PreviousPage();
            benchmark::DoNotOptimize(engine.PaintRows());
            state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
            next ? engine.list.PreviousPage() : engine.list.NextPage();
          }
          counters(state);
        });
        sb = benchmark::RegisterBenchmark(("sqlite/" + c.name).c_str(), [c, next](benchmark::State& state) {
          sqlite.Search(c.surname, c.given);
          if (!next) sqlite.NextPage();
          for (auto _ : state) {
            const auto t0 = std::chrono::steady_clock::now();
            next ? sqlite.NextPage() : sqlite.PreviousPage();
            benchmark::DoNotOptimize(PaintRows(sqlite));
            state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
            next ? sqlite.PreviousPage() : sqlite.NextPage();
          }
        });
        eb->UseManualTime();
        sb->UseManualTime();
        break;
      }
      case Kind::kDetail:
        eb = benchmark::RegisterBenchmark(("engine/" + c.name).c_str(), [c, counters](benchmark::State& state) {
          engine.Search(c.surname, c.given);
          for (auto _ : state) benchmark::DoNotOptimize(engine.list.DetailText(0));
          counters(state);
        });
        sb = benchmark::RegisterBenchmark(("sqlite/" + c.name).c_str(), [c](benchmark::State& state) {
          sqlite.Search(c.surname, c.given);
          for (auto _ : state) benchmark::DoNotOptimize(sqlite.DetailText(0));
        });
        break;
      case Kind::kCold:
        eb = benchmark::RegisterBenchmark(("engine/" + c.name).c_str(), [c, counters](benchmark::State& state) {
          for (auto _ : state) {
            EngineSession fresh(location);
            fresh.Search(c.surname, c.given);
            benchmark::DoNotOptimize(fresh.PaintRows());
          }
          counters(state);
        });
        sb = benchmark::RegisterBenchmark(("sqlite/" + c.name).c_str(), [c, sqlitePath](benchmark::State& state) {
          for (auto _ : state) {
            SqliteSession fresh;
            if (!fresh.Open(sqlitePath)) Fail(sqlitePath + ": cannot be opened");
            fresh.Search(c.surname, c.given);
            benchmark::DoNotOptimize(PaintRows(fresh));
          }
        });
        break;
    }
    eb->Unit(benchmark::kMicrosecond);
    sb->Unit(benchmark::kMicrosecond);
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
