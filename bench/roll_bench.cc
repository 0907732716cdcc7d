// roll_bench: the search screen's operations on a built roll, timed against the same operations on
// SQLite copies of the roll (the naive schema, the tuned one, and the tuned one with the aggregates
// its engineer would keep beside it), in one binary and one run.
// Before anything is timed, every case is run once on every side and the answers (count, rows of
// the page, detail text) must agree with the engine's.
//
//   roll_bench --roll=DIR --family=DIR --naive=FILE --tuned=FILE --keys=FILE [--aggregates=FILE]
//              [--roster=FILE] [--companion=DIR] [--set=warm|cold] [--picks=FILE] [--check-only]
//              [benchmark flags]
//   roll_bench --roll=DIR --family=DIR --picks=FILE --picks-only
//
// --set=warm (the default) runs the cases with the files in the page cache, and measures the
// machine's costs for the bound; --set=cold runs the cases that start with the files evicted from
// it. --keys is the key catalogue the tuned copy attaches for Find; --aggregates adds the side
// that also attaches the aggregates (sqlite_aggregates.h). --roster adds the roster cases: the
// largest unit's roster on the engine, on the tuned copy and on the one with aggregates, both with
// that roster file attached (sqlite_roster.h); --companion, the directory of the roll's companion
// index, adds the engine with its companion as a side of every case. --picks writes the surnames and
// given names the cases use, one "name<TAB>value" a line.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "answer_bound.h"
#include "case_picks.h"
#include "engine_screen.h"
#include "machine_costs.h"
#include "page_cache.h"
#include "platform/message_box.h"
#include "roll_catalog.h"
#include "sqlite_aggregates.h"
#include "sqlite_naive.h"
#include "sqlite_tuned.h"
#include "stopwatch.h"
#include "store/data_location.h"
#include "store/roll_database.h"
#include "store/search_answer.h"
#include "store/wildcard.h"

namespace {

struct Options {
  std::string rollDir;
  std::string familyDir;
  std::string naivePath;
  std::string tunedPath;
  std::string keysPath;
  std::string aggregatesPath;  // empty: no aggregates side
  std::string rosterPath;      // empty: no roster cases
  std::string companionDir;    // empty: no engine side with the companion
  std::string picksPath;       // where to write the chosen names, for the whole-process figures
  std::string set = "warm";
  bool checkOnly = false;
  bool picksOnly = false;  // write the picks and stop: no SQLite copy needed
};

[[noreturn]] void Fail(const std::string& why) {
  std::fprintf(stderr, "roll_bench: %s\n", why.c_str());
  std::exit(1);
}

// One way of answering the screen: how to make a new screen over it, which files a cold case
// evicts, and what must let go of the files' pages first.
struct Side {
  std::string name;
  std::function<std::unique_ptr<SearchScreen>()> open;
  std::vector<std::string> files;
  std::function<void(SearchScreen&)> release = [](SearchScreen&) {};
};

// kFind: a Find's first page; kCatalogue: the engine's key catalogue of a freshly opened roll
// (the SQLite copies build nothing when they open).
// kRoster: a roster's first page; kRosterList: every row of it, each with its line.
enum class Kind {
  kSearch,
  kNext,
  kPrevious,
  kDetail,
  kNewScreen,
  kColdSearch,
  kColdDetail,
  kFind,
  kCatalogue,
  kRoster,
  kRosterList
};

bool IsRoster(Kind k) { return k == Kind::kRoster || k == Kind::kRosterList; }

bool IsCold(Kind k) { return k == Kind::kColdSearch || k == Kind::kColdDetail; }

struct Case {
  std::string name;
  std::string surname;
  std::string given;
  Kind kind;
  std::string note;           // what the case stands for, for the report
  FindOptions find;           // kFind
  RosterRequest roster = {};  // kRoster, kRosterList
};

// Runs a case's operations on `screen` up to the state that is timed.
void Prepare(SearchScreen& screen, const Case& c) {
  if (c.kind == Kind::kCatalogue || IsRoster(c.kind)) return;
  if (c.kind == Kind::kFind) {
    screen.Find(c.surname, c.find);
    return;
  }
  screen.Search(c.surname, c.given);
  screen.Settle();
  if (c.kind == Kind::kPrevious) screen.NextPage();
}

// The timed operation of a case on a screen prepared for it; returns something to keep.
int Operate(SearchScreen& screen, const Case& c) {
  switch (c.kind) {
    case Kind::kSearch:
    case Kind::kNewScreen:
    case Kind::kColdSearch:
      screen.Search(c.surname, c.given);
      return screen.PaintRows();
    case Kind::kNext:
      screen.NextPage();
      return screen.PaintRows();
    case Kind::kPrevious:
      screen.PreviousPage();
      return screen.PaintRows();
    case Kind::kDetail:
    case Kind::kColdDetail:
      return static_cast<int>(screen.DetailText(0).size());
    case Kind::kFind:
      screen.Find(c.surname, c.find);
      return screen.PaintRows();
    case Kind::kRoster:
      screen.Roster(c.roster);
      return screen.PaintRows();
    case Kind::kRosterList:
      return static_cast<int>(screen.RosterList(c.roster, nullptr));
    case Kind::kCatalogue:
      break;
  }
  return 0;
}

// Undoes a page turn untimed, so that every timed turn is the same one.
void TurnBack(SearchScreen& screen, const Case& c) {
  if (c.kind == Kind::kNext) screen.PreviousPage();
  if (c.kind == Kind::kPrevious) screen.NextPage();
}

// Runs the case on the engine and on `other` and compares what the screen would show.
void CheckSameAnswers(const Side& engineSide, const Side& other, const Case& c) {
  auto e = engineSide.open();
  auto q = other.open();
  Prepare(*e, c);
  Prepare(*q, c);
  if (c.kind != Kind::kDetail && c.kind != Kind::kColdDetail) {
    Operate(*e, c);
    Operate(*q, c);
    e->Settle();
    q->Settle();
  }
  const std::string where = c.name + " (" + other.name + ")";
  if (c.kind == Kind::kRosterList) {
    std::vector<std::string> er, qr;
    e->RosterList(c.roster, &er);
    q->RosterList(c.roster, &qr);
    if (er.empty()) Fail(where + ": the engine lists no row");
    if (er.size() != qr.size()) {
      Fail(where + ": engine lists " + std::to_string(er.size()) + " rows, " + other.name + " " +
           std::to_string(qr.size()));
    }
    for (std::size_t i = 0; i < er.size(); ++i) {
      if (er[i] != qr[i]) {
        Fail(where + ": row " + std::to_string(i) + " differs\n  engine: " + er[i] + "  " + other.name +
             ": " + qr[i]);
      }
    }
    return;
  }
  if (e->Count() != q->Count()) {
    Fail(where + ": engine counts " + std::to_string(e->Count()) + ", " + other.name + " " +
         std::to_string(q->Count()));
  }
  const auto er = e->FormattedRows();
  const auto qr = q->FormattedRows();
  if (er != qr) {
    std::string why = where + ": the pages differ\n";
    for (std::size_t i = 0; i < std::max(er.size(), qr.size()); ++i) {
      why += "  engine: " + (i < er.size() ? er[i] : "-") + "\n  " + other.name + ": " +
             (i < qr.size() ? qr[i] : "-") + "\n";
    }
    Fail(why);
  }
  if (e->HasNextPage() != q->HasNextPage()) Fail(where + ": they disagree on a next page");
  if (e->DetailText(0) != q->DetailText(0)) Fail(where + ": the detail texts differ");
}

AnswerBytes CaseBytes(const DataLocation& location, const Case& c) {
  EngineScreen s(location);
  Prepare(s, c);
  switch (c.kind) {
    case Kind::kSearch:
    case Kind::kNewScreen:
      return SearchAnswerBytes(s, c.surname, !c.given.empty());
    case Kind::kNext:
    case Kind::kPrevious:
      Operate(s, c);
      return PageAnswer(s);
    case Kind::kDetail:
      return DetailAnswer(s, 0);
    case Kind::kRoster:
    case Kind::kRosterList:
      s.Roster(c.roster);
      return RosterAnswer(s, c.kind == Kind::kRosterList);
    case Kind::kFind:
      if (c.find.filter.Active()) return FilterAnswer(s, c.surname);
      if (c.find.mode == MatchMode::kSoundex) return SoundexAnswer(s);
      if (c.find.mode == MatchMode::kSimilar) return SimilarAnswer(s);
      if (HasWildcard(c.surname)) return WildcardAnswer(s, c.surname);
      Fail(c.name + ": no rule for its least answer");
    case Kind::kColdSearch:
    case Kind::kColdDetail:
    case Kind::kCatalogue:
      break;
  }
  return {};
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

// Evicts every file of `side`; returns the bytes of them still cached afterwards.
std::int64_t Evict(const Side& side) {
  const std::int64_t resident = EvictAll(side.files);
  if (resident < 0) Fail(side.name + ": its files cannot be evicted from the page cache");
  return resident;
}

using Counters = std::map<std::string, double>;

constexpr int kColdIterations = 10;  // per repetition

// Find's typed surnames and filters. MCDONALD is a surname the generated rolls have (about one
// entry in 1,100); the state and the unit text occur among the most common surname's entries.
constexpr const char* kSoundsLikeSurname = "SMITH";
constexpr const char* kSimilarSurname = "MCDONALD";
constexpr char kFilterSide = 'C';
constexpr const char* kFilterState = "NY";
constexpr const char* kFilterUnit = "CAV";

// Times the operation of each iteration. A warm case waits for nothing but the processor, so its
// time is the thread's CPU time, which the machine's other users do not inflate; a cold case waits
// for the disk, so its time is the wall clock's. The other clock is kept as a counter, and so is
// what the screen does after a search's page is on screen (SearchScreen::Settle), on the case's
// clock.
class Timer {
 public:
  explicit Timer(bool onWallClock) : cold(onWallClock) {}
  template <typename Operation>
  void Time(benchmark::State& state, Operation&& operation) {
    const Instant start = Now();
    operation();
    const Instant took = Since(start);
    state.SetIterationTime(cold ? took.wall : took.cpu);
    other += cold ? took.cpu : took.wall;
  }
  void Settle(SearchScreen& screen) {
    const Instant start = Now();
    screen.Settle();
    const Instant took = Since(start);
    settled += cold ? took.wall : took.cpu;
  }
  void Report(benchmark::State& state) const {
    state.counters[cold ? "cpu_us" : "wall_us"] =
        benchmark::Counter(other * 1e6, benchmark::Counter::kAvgIterations);
    state.counters["settle_us"] = benchmark::Counter(settled * 1e6, benchmark::Counter::kAvgIterations);
  }

 private:
  bool cold;
  double other = 0;
  double settled = 0;
};

const DataLocation& CatalogueLocation();

// Registers `c` on `side`, with `counters` added to its results. Warm screens live for the whole
// run; `screen` is the side's.
benchmark::internal::Benchmark* Register(const Side& side, SearchScreen* screen, const Case& c,
                                         const Counters& counters) {
  using Body = std::function<void(benchmark::State&, Timer&)>;
  Body body;
  switch (c.kind) {
    case Kind::kCatalogue:
      // A roll opened afresh (untimed), then its first catalogue: the walk of the whole index.
      body = [](benchmark::State& state, Timer& timer) {
        for (auto _ : state) {
          RollDatabase fresh(CatalogueLocation(), NoPromptDialogue());
          if (fresh.Open(1) != 1) Fail("the roll cannot be opened for its catalogue");
          timer.Time(state, [&] { benchmark::DoNotOptimize(fresh.Catalogue()->Size()); });
        }
      };
      break;
    case Kind::kFind:
    case Kind::kSearch:
    case Kind::kRoster:
    case Kind::kRosterList:
      body = [screen, c](benchmark::State& state, Timer& timer) {
        for (auto _ : state) {
          timer.Time(state, [&] { benchmark::DoNotOptimize(Operate(*screen, c)); });
          timer.Settle(*screen);
        }
      };
      break;
    case Kind::kNext:
    case Kind::kPrevious:
    case Kind::kDetail:
      // A page turn is turned back untimed, so that every timed turn is the same one.
      body = [screen, c](benchmark::State& state, Timer& timer) {
        Prepare(*screen, c);
        for (auto _ : state) {
          timer.Time(state, [&] { benchmark::DoNotOptimize(Operate(*screen, c)); });
          TurnBack(*screen, c);
        }
      };
      break;
    case Kind::kNewScreen:
      // A new screen or connection, then its first search; taking it down again is not timed.
      body = [side, c](benchmark::State& state, Timer& timer) {
        for (auto _ : state) {
          std::unique_ptr<SearchScreen> fresh;
          timer.Time(state, [&] {
            fresh = side.open();
            benchmark::DoNotOptimize(Operate(*fresh, c));
          });
          timer.Settle(*fresh);
        }
      };
      break;
    case Kind::kColdSearch:
      body = [side, c](benchmark::State& state, Timer& timer) {
        std::int64_t resident = 0;
        for (auto _ : state) {
          resident = std::max(resident, Evict(side));
          std::unique_ptr<SearchScreen> fresh;
          timer.Time(state, [&] {
            fresh = side.open();
            benchmark::DoNotOptimize(Operate(*fresh, c));
          });
          timer.Settle(*fresh);
        }
        state.counters["resident_after_eviction"] = static_cast<double>(resident);
      };
      break;
    case Kind::kColdDetail:
      body = [side, c](benchmark::State& state, Timer& timer) {
        auto own = side.open();
        Prepare(*own, c);
        std::int64_t resident = 0;
        for (auto _ : state) {
          side.release(*own);
          resident = std::max(resident, Evict(side));
          timer.Time(state, [&] { benchmark::DoNotOptimize(Operate(*own, c)); });
        }
        state.counters["resident_after_eviction"] = static_cast<double>(resident);
      };
      break;
  }
  const bool cold = IsCold(c.kind);
  benchmark::internal::Benchmark* b = benchmark::RegisterBenchmark(
      (side.name + "/" + c.name).c_str(), [body, counters, cold](benchmark::State& state) {
        Timer timer(cold);
        body(state, timer);
        timer.Report(state);
        for (const auto& [name, value] : counters) state.counters[name] = value;
      });
  b->UseManualTime();
  // A cold iteration's eviction is not timed, so a minimum time would run a fast one (More Info
  // from the engine's buffer) tens of thousands of times.
  if (cold) b->Iterations(kColdIterations);
  return b;
}

const DataLocation& CatalogueLocation() {
  static DataLocation location;
  return location;
}

// Whether `side` leaves case `c` out: the roster cases run on the sides that keep something to
// answer them.
bool Skipped(const Side& side, const Case& c) { return IsRoster(c.kind) && !side.open()->HasRoster(); }

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&](const char* flag, std::string* out) {
      if (a.rfind(flag, 0) != 0) return false;
      *out = a.substr(std::strlen(flag));
      return true;
    };
    if (value("--roll=", &o.rollDir) || value("--family=", &o.familyDir) || value("--naive=", &o.naivePath) ||
        value("--tuned=", &o.tunedPath) || value("--keys=", &o.keysPath) ||
        value("--aggregates=", &o.aggregatesPath) || value("--picks=", &o.picksPath) ||
        value("--set=", &o.set) || value("--roster=", &o.rosterPath) ||
        value("--companion=", &o.companionDir)) {
      continue;
    }
    if (a == "--picks-only") {
      o.picksOnly = true;
    } else if (a == "--check-only") {
      o.checkOnly = true;
    } else {
      Fail("unknown argument " + a);
    }
  }
  if (o.rollDir.empty() || o.familyDir.empty() ||
      (!o.picksOnly && (o.naivePath.empty() || o.tunedPath.empty() || o.keysPath.empty())) ||
      (o.set != "warm" && o.set != "cold")) {
    Fail(
        "usage: roll_bench --roll=DIR --family=DIR --naive=FILE --tuned=FILE --keys=FILE [--aggregates=FILE] "
        "[--roster=FILE] [--companion=DIR] [--set=warm|cold] "
        "[--picks=FILE] [--picks-only | --check-only] [benchmark flags]");
  }
  // No box may appear while measuring: one would mean a case is not doing what it says.
  InstallMessageBoxHandler(
      [](const char* text, unsigned) -> int { Fail(std::string("message box: ") + text); });

  static DataLocation& location = const_cast<DataLocation&>(CatalogueLocation());
  location.SetDirectories(o.familyDir.c_str(), o.rollDir.c_str());
  CasePicks p;
  std::string why;
  if (!PickCases(location, &p, &why)) Fail(why);
  const std::string single(SurnameOfKey(p.single.key));
  const std::string median(SurnameOfKey(p.median.key));
  const std::string common(SurnameOfKey(p.common.key));
  if (!o.picksPath.empty()) {
    std::FILE* f = std::fopen(o.picksPath.c_str(), "w");
    if (!f) Fail(o.picksPath + ": cannot be written");
    std::fprintf(
        f,
        "single\t%s\nmedian\t%s\ncommon\t%s\ncommon_count\t%d\ngiven\t%s\none_letter\t%s\nno_match\t%s\n"
        "unit\t%s\nunit_side\t%c\nunit_entries\t%lld\ncompany\t%s\ncompany_entries\t%lld\n",
        single.c_str(), median.c_str(), common.c_str(), p.common.slotCount, p.commonGiven.c_str(),
        p.oneLetter.c_str(), p.noMatch.c_str(), p.unit.c_str(), p.unitSide,
        static_cast<long long>(p.unitEntries), p.company.c_str(), static_cast<long long>(p.companyEntries));
    std::fclose(f);
  }
  if (o.picksOnly) return 0;

  static std::vector<Case> cases = {
      {"search/surname/single", single, "", Kind::kSearch, single + ", " + Entries(p.single.slotCount), {}},
      {"search/surname/median", median, "", Kind::kSearch, median + ", " + Entries(p.median.slotCount), {}},
      {"search/surname/most_common",
       common,
       "",
       Kind::kSearch,
       common + ", " + Entries(p.common.slotCount),
       {}},
      {"search/given/one_letter", common, p.oneLetter, Kind::kSearch, common + " " + p.oneLetter, {}},
      {"search/given/common", common, p.commonGiven, Kind::kSearch, common + " " + p.commonGiven, {}},
      {"search/given/no_match", common, p.noMatch, Kind::kSearch, common + " " + p.noMatch, {}},
      {"page/next/range", common, "", Kind::kNext, common + ", page 1 to 2", {}},
      {"page/previous/range", common, "", Kind::kPrevious, common + ", page 2 to 1", {}},
      {"page/next/filtered",
       common,
       p.commonGiven,
       Kind::kNext,
       common + " " + p.commonGiven + ", page 1 to 2",
       {}},
      {"page/previous/filtered",
       common,
       p.commonGiven,
       Kind::kPrevious,
       common + " " + p.commonGiven + ", page 2 to 1",
       {}},
      {"detail/row", common, "", Kind::kDetail, common + ", first row", {}},
      {"new_screen/first_search", median, "", Kind::kNewScreen, median + ", new screen or connection", {}},
      {"cold/first_search", median, "", Kind::kColdSearch, median + ", new screen or connection", {}},
      {"cold/first_given_search",
       common,
       p.commonGiven,
       Kind::kColdSearch,
       common + " " + p.commonGiven + ", new screen or connection",
       {}},
      {"cold/detail", common, "", Kind::kColdDetail, common + ", first row, after the search", {}},
  };
  // Find: first pages over many keys, and filters (the side, a state, a unit text) over the most
  // common surname or the whole roll.
  auto find = [&](const std::string& name, const std::string& surname, MatchMode mode, EntryFilter filter,
                  const std::string& note) {
    cases.push_back({name, surname, "", Kind::kFind, note, FindOptions{mode, std::move(filter)}});
  };
  cases.push_back(
      {"find/catalogue", "", "", Kind::kCatalogue, "every surname of the roll, with its codes", {}});
  find("find/soundex", kSoundsLikeSurname, MatchMode::kSoundex, {},
       std::string(kSoundsLikeSurname) + ", sounds like");
  find("find/similar", kSimilarSurname, MatchMode::kSimilar, {},
       std::string(kSimilarSurname) + ", similar spelling");
  find("find/wildcard/one_letter", "SM?TH*", MatchMode::kExact, {}, "SM?TH*");
  find("find/wildcard/initial", "S*", MatchMode::kExact, {}, "S*");
  find("find/wildcard/all", "*", MatchMode::kExact, {}, "*");
  EntryFilter bySide, byState, byUnit;
  bySide.side = kFilterSide;
  byState.state = kFilterState;
  byUnit.unit = kFilterUnit;
  find("find/filter/side", common, MatchMode::kExact, bySide, common + ", Confederate");
  find("find/filter/state", common, MatchMode::kExact, byState, common + ", state " + kFilterState);
  find("find/filter/unit", "*", MatchMode::kExact, byUnit, std::string("*, unit \"") + kFilterUnit + "\"");

  // The roster of the largest unit, whole and of its largest company.
  if (!o.rosterPath.empty()) {
    RosterRequest whole;
    whole.unit = p.unit;
    whole.side = p.unitSide;
    RosterRequest company = whole;
    company.company = p.company;
    company.wholeUnit = false;
    const std::string unitNote = p.unit + " (" + p.unitSide + "), " + Entries(p.unitEntries);
    const std::string companyNote =
        p.unit + " (" + p.unitSide + ") company " + p.company + ", " + Entries(p.companyEntries);
    auto roster = [&](const std::string& name, Kind kind, const RosterRequest& r, const std::string& note) {
      Case c{name, "", "", kind, note, {}};
      c.roster = r;
      cases.push_back(std::move(c));
    };
    roster("roster/unit/first_page", Kind::kRoster, whole, unitNote);
    roster("roster/unit/whole_list", Kind::kRosterList, whole, unitNote);
    roster("roster/company/first_page", Kind::kRoster, company, companyNote);
    roster("roster/company/whole_list", Kind::kRosterList, company, companyNote);
  }

  const std::string roll = location.dataDirectory;
  const std::string naivePath = o.naivePath;
  const std::string tunedPath = o.tunedPath;
  const std::string keysPath = o.keysPath;
  const std::string rosterPath = o.rosterPath;
  static std::vector<Side> sides = {
      {"engine",
       [] { return std::make_unique<EngineScreen>(location); },
       {roll + kNameFileName, roll + kLineFileName, roll + kIndexFileName, roll + kMarkerFileName}},
      {"naive",
       [naivePath]() -> std::unique_ptr<SearchScreen> {
         auto s = std::make_unique<NaiveSqliteScreen>();
         if (!s->Open(naivePath)) Fail(naivePath + ": cannot be opened");
         return s;
       },
       {naivePath}},
      {"tuned",
       [tunedPath, keysPath, rosterPath]() -> std::unique_ptr<SearchScreen> {
         auto s = std::make_unique<TunedSqliteScreen>();
         if (!s->Open(tunedPath, keysPath)) Fail(tunedPath + " with " + keysPath + ": cannot be opened");
         if (!rosterPath.empty() && !s->AttachRoster(rosterPath, false))
           Fail(rosterPath + ": cannot be attached");
         return s;
       },
       {tunedPath},
       [](SearchScreen& s) { static_cast<TunedSqliteScreen&>(s).Remap(); }},
  };
  const std::string aggregatesPath = o.aggregatesPath;
  if (!aggregatesPath.empty()) {
    sides.push_back({"aggregates",
                     [tunedPath, keysPath, aggregatesPath, rosterPath]() -> std::unique_ptr<SearchScreen> {
                       auto s = std::make_unique<AggregateSqliteScreen>();
                       if (!s->Open(tunedPath, keysPath, aggregatesPath))
                         Fail(aggregatesPath + ": cannot be opened");
                       if (!rosterPath.empty() && !s->AttachRoster(rosterPath, true))
                         Fail(rosterPath + ": cannot be attached");
                       return s;
                     },
                     {tunedPath, aggregatesPath},
                     [](SearchScreen& s) { static_cast<AggregateSqliteScreen&>(s).Remap(); }});
  }

  if (!o.companionDir.empty()) {
    const std::string companionDir = o.companionDir;
    // A family directory of its own: two screens on one history.buf would take turns at its lock,
    // and the one that lost would keep its records in a private file.
    static DataLocation companionLocation;
    const std::string companionFamily = (std::filesystem::path(o.familyDir) / "companion").string() + "/";
    std::filesystem::create_directories(companionFamily);
    companionLocation.SetDirectories(companionFamily.c_str(), o.rollDir.c_str());
    Side companion{"companion",
                   [companionDir]() -> std::unique_ptr<SearchScreen> {
                     auto s = std::make_unique<EngineScreen>(companionLocation);
                     s->database.SetCompanionDirectory(companionDir);
                     return s;
                   },
                   {}};
    sides.push_back(std::move(companion));
    // The side is only what it claims while the companion is there and taken.
    EngineScreen probe(companionLocation);
    probe.database.SetCompanionDirectory(companionDir);
    if (probe.database.Open(1) != 1 || probe.database.Companion() == nullptr)
      Fail(companionDir + ": holds no companion of the roll that the engine takes");
  }

  // What an answer to each warm case must read at the least.
  std::map<std::string, AnswerBytes> bytes;
  for (const Case& c : cases) {
    if (c.kind == Kind::kCatalogue) continue;
    for (std::size_t i = 1; i < sides.size(); ++i) {
      if (Skipped(sides[i], c)) continue;
      CheckSameAnswers(sides[0], sides[i], c);
    }
    bytes[c.name] = CaseBytes(location, c);
  }
  {
    EngineScreen e(location);
    for (const Case& c : cases) {
      if (c.kind == Kind::kCatalogue) continue;
      Prepare(e, c);
      if (IsRoster(c.kind)) e.Roster(c.roster);
      std::fprintf(stderr, "%-26s %-48s results %lld\n", c.name.c_str(), c.note.c_str(),
                   static_cast<long long>(e.Count()));
    }
  }
  std::fprintf(stderr, "answers agree on every case\n");
  {
    // The tuned side is only what it claims while its given-name scan reads nothing but its index.
    TunedSqliteScreen tuned;
    if (!tuned.Open(o.tunedPath)) Fail(o.tunedPath + ": cannot be opened");
    const std::string plan = tuned.GivenNamePlan();
    if (plan.find("COVERING INDEX entry_given") == std::string::npos) Fail("tuned given-name plan: " + plan);
  }
  if (o.checkOnly) return 0;

  const bool cold = o.set == "cold";
  double bandwidth = 0, openClose = 0;
  if (!cold) {
    bandwidth = MeasureCachedReadBandwidth(roll + kLineFileName);
    openClose = MeasureOpenCloseNs(roll + kMarkerFileName);
    if (bandwidth <= 0 || openClose <= 0) Fail("the machine's costs could not be measured on " + roll);
    benchmark::AddCustomContext("cached_read_bytes_per_second", std::to_string(bandwidth));
    benchmark::AddCustomContext("marker_open_close_ns", std::to_string(openClose));
  }
  for (const Case& c : cases) benchmark::AddCustomContext("case:" + c.name, c.note);

  static std::vector<std::unique_ptr<SearchScreen>> screens;
  for (const Side& side : sides) screens.push_back(cold ? nullptr : side.open());
  // What a screen builds once for the roll (the key catalogue, a run's order) is built before
  // anything is timed: a warm case times its search, not the screen's first use of the roll, which
  // would otherwise land in whichever case the random order runs first.
  for (const Case& c : cases) {
    if (cold || IsCold(c.kind) || c.kind == Kind::kCatalogue) continue;
    for (std::size_t i = 0; i < sides.size(); ++i) {
      if (Skipped(sides[i], c)) continue;
      Operate(*screens[i], c);
      screens[i]->Settle();
    }
  }
  for (const Case& c : cases) {
    if (IsCold(c.kind) != cold) continue;
    for (std::size_t i = 0; i < sides.size(); ++i) {
      if ((c.kind == Kind::kCatalogue && i != 0) || Skipped(sides[i], c)) continue;
      Counters counters;
      if (i == 0 && !cold && c.kind != Kind::kCatalogue) {
        const AnswerBytes& b = bytes[c.name];
        counters = {
            {"bytes", static_cast<double>(b.Total())},     {"bytes_nodes", static_cast<double>(b.nodes)},
            {"bytes_slots", static_cast<double>(b.slots)}, {"bytes_lines", static_cast<double>(b.lines)},
            {"bytes_lists", static_cast<double>(b.lists)}, {"bytes_keys", static_cast<double>(b.keys)},
            {"bound_ns", BoundNs(b, bandwidth, openClose)}};
      }
      Register(sides[i], screens[i].get(), c, counters)->Unit(benchmark::kMicrosecond);
    }
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
