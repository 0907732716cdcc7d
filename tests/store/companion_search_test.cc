// Searches answered with the roll's companion index and without it give the same answer, slot for
// slot, in every mode, with every filter and given name; the companion saves the whole scan of an
// ordered run, is not trusted for a run it found out of order, and a damaged one costs only time.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "store/companion_cache.h"
#include "store/index_walk.h"
#include "store/roll_database.h"
#include "store/roll_format.h"
#include "store/search_request.h"
#include "support/companion_roll.h"
#include "support/scoped_temp_dir.h"
#include "support/scripted_message_box.h"
#include "support/test_roll.h"

namespace {

// What a reader sees of an answer: the spans its rows come from (a filter over every surname may
// keep a span for a key without rows), then every row's slot, key and surname.
std::vector<std::string> Rows(const SearchAnswer& answer) {
  std::vector<std::string> rows;
  EXPECT_TRUE(answer.Status().Ok()) << answer.Status().Text();
  std::vector<std::size_t> spans;
  for (std::int64_t row = 0; row < answer.Count(); ++row) {
    std::int32_t slot = -1;
    std::size_t span = 0;
    answer.At(row, &slot, &span);
    EXPECT_LT(span, answer.SpanCount());
    if (span >= answer.SpanCount()) return rows;
    if (spans.empty() || spans.back() != span) spans.push_back(span);
    const FoundSpan found = answer.Span(span);
    rows.push_back(std::to_string(slot) + " " + std::string(found.key) + "|" + std::string(found.surname));
  }
  for (std::size_t i = 0; i < spans.size(); ++i) {
    const FoundSpan span = answer.Span(spans[i]);
    rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(i), "span " + std::string(span.key) + " " +
                                                                   std::to_string(span.slotCount) + " " +
                                                                   std::to_string(span.detail));
  }
  return rows;
}

struct Asked {
  std::string surname;
  MatchMode mode = MatchMode::kExact;
  EntryFilter filter;
  std::string given;
  bool variants = false;
};

std::string Describe(const Asked& a) {
  return a.surname + " mode " + MatchModeName(a.mode) + " given '" + a.given + "'" +
         (a.variants ? " with variants" : "") + " filter " + a.filter.Describe();
}

std::vector<Asked> EveryWayOfAsking() {
  const EntryFilter filters[] = {{},
                                 Filter('C', "", "", ""),
                                 Filter('U', "IL", "", ""),
                                 Filter(0, "IL", "", ""),
                                 Filter(0, "", "cav", ""),
                                 Filter(0, "", "", " a "),
                                 Filter('U', "", "INF", "A"),
                                 Filter(0, "ZZ", "", "")};
  const char* givens[] = {"", "J", "JOHN", "PAT", "Q", "Z", "JOHN W"};
  std::vector<Asked> asked;
  for (const char* surname : {"SMITH", "kelly", " Lee ", "NOBODY"}) {
    for (const EntryFilter& filter : filters) {
      for (const char* given : givens) asked.push_back({surname, MatchMode::kExact, filter, given});
    }
    asked.push_back({surname, MatchMode::kExact, Filter('U', "", "", ""), "JOHN", true});
    asked.push_back({surname, MatchMode::kExact, {}, "JOHNNY", true});
  }
  for (const EntryFilter& filter : filters) {
    asked.push_back({"SMITH", MatchMode::kSoundex, filter, "J"});
    asked.push_back({"M*LLER", MatchMode::kWildcard, filter, ""});
    asked.push_back({"*", MatchMode::kWildcard, filter, "A"});
    // A fixed start and one star: a range of keys, the whole roll, none, and one that is not.
    for (const char* pattern : {"S*", "*", "kel**", "ZZZ*", "SM?TH*", " M*"})
      asked.push_back({pattern, MatchMode::kWildcard, filter, ""});
  }
  return asked;
}

// Builds the companion of `roll` as its files are now into `cache`; *path is where it went.
void BuildCompanionOf(const TestRoll& roll, const ScopedTempDir& cache, std::string* path) {
  OpenRoll files(roll.dataDir);
  std::string error;
  ASSERT_TRUE(BuildCompanionInCache(cache.Prefix(), files.View(), {}, kDefaultCompanionCacheCap, path,
                                    nullptr, &error))
      << error;
}

class CompanionSearch : public ::testing::TestWithParam<unsigned> {
 protected:
  void SetUp() override {
    AddVariedEntries(&roll, 1500, GetParam());
    AddLongRun(&roll, "Smith", 400, GetParam());
    roll.Build();
  }

  // Builds the companion of the roll as its files are now.
  void BuildCompanion() { BuildCompanionOf(roll, cache, &companionPath); }

  SearchAnswer Run(RollDatabase& database, const Asked& a) {
    SearchRequest request;
    request.SetSurname(a.surname.c_str());
    request.SetDatabase(1);
    if (!a.given.empty()) request.SetGivenName(a.given.c_str());
    return database.RunFind(request, FindOptions{a.mode, a.filter, a.variants}, {});
  }

  // What a fresh database without a companion answers: every run scanned whole.
  std::vector<std::string> Scanned(const Asked& a) {
    RollDatabase plain(roll.location, BoxAnswers());
    return Rows(Run(plain, a));
  }

  // Every way of asking, each answered by one database with the companion, one without it (which
  // learns the order of the runs it scans), and a fresh one.
  void ExpectTheSameAnswers(bool companionUsed) {
    RollDatabase plain(roll.location, BoxAnswers());
    RollDatabase quick(roll.location, BoxAnswers());
    quick.SetCompanionDirectory(cache.Prefix());
    for (const Asked& a : EveryWayOfAsking()) {
      SCOPED_TRACE(Describe(a));
      const std::vector<std::string> expected = Scanned(a);
      EXPECT_EQ(Rows(Run(quick, a)), expected);
      EXPECT_EQ(Rows(Run(plain, a)), expected);
    }
    EXPECT_EQ(quick.Companion() != nullptr, companionUsed);
  }

  ScriptedMessageBox box;
  TestRoll roll;
  ScopedTempDir cache;
  std::string companionPath;
};

TEST_P(CompanionSearch, EveryModeFilterAndGivenNameAnswersAsWithoutIt) {
  BuildCompanion();
  ExpectTheSameAnswers(true);
}

// The given name of an ordered run is found from the names the companion keeps of it and a
// bisection between two of them: the run is never scanned whole. Without the companion, the first
// search scans it whole and keeps the same names.
TEST_P(CompanionSearch, AGivenNameOfAnOrderedRunIsFoundWithoutScanningTheRun) {
  BuildCompanion();
  const Asked asked{"SMITH", MatchMode::kExact, {}, "J"};
  RollDatabase quick(roll.location, BoxAnswers());
  quick.SetCompanionDirectory(cache.Prefix());
  RollDatabase plain(roll.location, BoxAnswers());
  const SearchAnswer answer = Run(quick, asked);
  ASSERT_GT(answer.Count(), 0);
  EXPECT_EQ(Rows(answer), Rows(Run(plain, asked)));
  // Nothing is kept a slot: the names are one window of the run.
  EXPECT_EQ(answer.Bytes(), Run(quick, {"SMITH", MatchMode::kExact, {}, ""}).Bytes());
  // The names the companion keeps of the run, and those a whole scan keeps, are the same.
  const FoundSpan run = answer.Span(0);
  const OrderedNames* kept = quick.NameOrderVerdicts().Find(run.firstSlot, run.firstSlot + run.slotCount);
  const OrderedNames* scanned = plain.NameOrderVerdicts().Find(run.firstSlot, run.firstSlot + run.slotCount);
  ASSERT_NE(kept, nullptr);
  ASSERT_NE(scanned, nullptr);
  EXPECT_TRUE(kept->Sampled());
  EXPECT_EQ(kept->Kept(), scanned->Kept());
}

// Each end of a given name's window is found between two kept names, a step apart: every end lands
// on its slot, on a kept name or between two, with the companion's names and a whole scan's.
TEST(CompanionKeptNames, EveryEndOfAGivenNameLandsOnItsSlot) {
  TestRoll roll;
  constexpr int kNames = 300;  // four steps and a part of one
  auto given = [](int i) {
    return std::string{static_cast<char>('A' + i / 26), static_cast<char>('A' + i % 26)};
  };
  for (int i = 0; i < kNames; ++i) roll.Add("Smith", given(i));
  roll.Add("Jones", "Al");
  roll.Build();
  ScopedTempDir cache;
  std::string path;
  BuildCompanionOf(roll, cache, &path);
  RollDatabase quick(roll.location, BoxAnswers());
  quick.SetCompanionDirectory(cache.Prefix());
  RollDatabase plain(roll.location, BoxAnswers());
  auto find = [](RollDatabase& database, const std::string& name) {
    SearchRequest request;
    request.SetSurname("SMITH");
    request.SetDatabase(1);
    request.SetGivenName(name.c_str());
    return database.RunFind(request, FindOptions{MatchMode::kExact, {}, false}, {});
  };
  const std::int32_t first = find(plain, "").Span(0).firstSlot;
  for (RollDatabase* database : {&quick, &plain}) {
    // The first search of the plain one scans the run whole; every later one bisects.
    for (int i = 0; i < kNames; ++i) {
      const SearchAnswer answer = find(*database, given(i));
      std::int32_t slot = -1;
      std::size_t span = 0;
      ASSERT_EQ(answer.Count(), 1) << given(i);
      answer.At(0, &slot, &span);
      EXPECT_EQ(slot, first + i) << given(i);
    }
    // A letter's names, and a name before all and after all.
    for (int letter = 0; letter < 12; ++letter) {
      const SearchAnswer answer = find(*database, std::string(1, static_cast<char>('A' + letter)));
      EXPECT_EQ(answer.Count(), std::min(26, kNames - 26 * letter)) << letter;
    }
    EXPECT_EQ(find(*database, "0").Count(), 0);
    EXPECT_EQ(find(*database, "ZZ").Count(), 0);
  }
  ASSERT_NE(quick.NameOrderVerdicts().Find(first, first + kNames), nullptr);
  EXPECT_TRUE(quick.NameOrderVerdicts().Find(first, first + kNames)->Sampled());
}

// A run whose names are out of order: the companion says so, and its given names are scanned whole.
TEST_P(CompanionSearch, ARunOutOfOrderIsScannedWhole) {
  RollDatabase probe(roll.location, BoxAnswers());
  const SearchAnswer smith = Run(probe, {"SMITH", MatchMode::kExact, {}, ""});
  const FoundSpan run = smith.Span(0);
  ASSERT_GT(run.slotCount, 2);
  const std::string names = ReadFileBytes(roll.dataDir + kNameFileName);
  const std::size_t slotSize = static_cast<std::size_t>(probe.SlotSize());
  const auto at = [&](std::int32_t slot) { return static_cast<std::size_t>(slot) * slotSize; };
  const std::int32_t last = run.firstSlot + run.slotCount - 1;
  // The first and the last name of the run change places.
  Corrupt(roll.dataDir + kNameFileName, static_cast<long>(at(run.firstSlot)),
          names.substr(at(last), slotSize));
  Corrupt(roll.dataDir + kNameFileName, static_cast<long>(at(last)),
          names.substr(at(run.firstSlot), slotSize));
  BuildCompanion();
  ExpectTheSameAnswers(true);
}

// A companion damaged after it was built is refused or left part way: the answers stay the same.
TEST_P(CompanionSearch, ADamagedCompanionNeverChangesAnAnswer) {
  BuildCompanion();
  const std::string bytes = ReadFileBytes(companionPath);
  for (long at : {long{600}, static_cast<long>(bytes.size() / 3), static_cast<long>(bytes.size()) - 4100}) {
    SCOPED_TRACE("damage at " + std::to_string(at));
    WriteFileBytes(companionPath, bytes);
    Corrupt(companionPath, at, "\x5a\xa5\x5a\xa5");
    RollDatabase quick(roll.location, BoxAnswers());
    quick.SetCompanionDirectory(cache.Prefix());
    for (const Asked& a : EveryWayOfAsking()) {
      SCOPED_TRACE(Describe(a));
      EXPECT_EQ(Rows(Run(quick, a)), Scanned(a));
    }
  }
}

// An index whose runs overlap: the key catalogue empties one of them, and so every answer with the
// companion does too (its table of keys is refused; the filters still read its groups).
// The index's runs in slot order, the first of them then made `delta` slots longer in the file.
struct IndexRun {
  WalkedEntry entry;
  std::string key;
};
std::vector<IndexRun> StretchFirstRun(const std::string& indexPath, std::int32_t delta) {
  std::vector<IndexRun> runs;
  WalkIndexBytes(
      ReadFileBytes(indexPath), [](const std::string&) {},
      [&](const WalkedEntry& e) {
        runs.push_back({e, std::string(e.key)});
      });
  std::sort(runs.begin(), runs.end(), [](auto& a, auto& b) { return a.entry.firstSlot < b.entry.firstSlot; });
  EXPECT_GE(runs.size(), 3u);
  if (runs.size() < 3) return {};
  const WalkedEntry& first = runs[0].entry;
  EXPECT_EQ(first.firstSlot + first.slotCount, runs[1].entry.firstSlot);
  EXPECT_GT(first.slotCount + delta, 0);
  Corrupt(indexPath, static_cast<long>(first.nodeOffset + 4 + kIndexEntrySize * first.position + 4),
          Le32(first.slotCount + delta));
  return runs;
}

TEST_P(CompanionSearch, AnIndexWithOverlappingRunsAnswersAsWithoutIt) {
  // The first run reaches three slots into the second, whose surname the catalogue then finds empty.
  const std::vector<IndexRun> runs = StretchFirstRun(roll.dataDir + kIndexFileName, 3);
  ASSERT_FALSE(runs.empty());
  BuildCompanion();
  ExpectTheSameAnswers(true);
  RollDatabase quick(roll.location, BoxAnswers());
  quick.SetCompanionDirectory(cache.Prefix());
  for (const EntryFilter& filter :
       {Filter('U', "", "", ""), Filter(0, "IL", "", ""), Filter('C', "", "INF", "")}) {
    const Asked overlapped{std::string(SurnameOfKey(runs[1].key)), MatchMode::kExact, filter, ""};
    SCOPED_TRACE(Describe(overlapped));
    EXPECT_EQ(Rows(Run(quick, overlapped)), Scanned(overlapped));
  }
}

// Slots no run holds are no surname's: a filter over every surname leaves them out, as the scan
// of every run does, though the companion's groups count them.
TEST_P(CompanionSearch, SlotsNoRunHoldsAreLeftOutWithTheCompanion) {
  ASSERT_FALSE(StretchFirstRun(roll.dataDir + kIndexFileName, -2).empty());
  BuildCompanion();
  ExpectTheSameAnswers(true);
}

// A wildcard over a range of keys is answered from the companion's key table: no span is kept per
// key, and the answer outlives the database that made it.
// So is a filter over every surname, whose rows are found as they are asked for.
TEST_P(CompanionSearch, AWildcardOverARangeOfKeysKeepsNoSpanPerKey) {
  BuildCompanion();
  for (const EntryFilter& filter : {EntryFilter{}, Filter(0, "", "cav", "")}) {
    const Asked every{"*", MatchMode::kWildcard, filter, ""};
    SCOPED_TRACE(Describe(every));
    const std::vector<std::string> expected = Scanned(every);
    auto quick = std::make_unique<RollDatabase>(roll.location, BoxAnswers());
    quick->SetCompanionDirectory(cache.Prefix());
    const SearchAnswer answer = Run(*quick, every);
    RollDatabase plain(roll.location, BoxAnswers());
    EXPECT_LT(answer.Bytes(), Run(plain, every).Bytes() / 4);
    quick.reset();
    EXPECT_EQ(Rows(answer), expected);
  }
}

// A side over one surname is the companion's stored list, unpacked only as far as rows are asked
// for; a state or a company alone is counted from the surname's counts and its slots found in the
// column of slot groups as far as rows are asked for. Either way the first page costs a few dozen
// slots, and two threads reading every row get the same rows.
TEST(CompanionSideList, AFilterOverOneSurnameFindsItsSlotsAsItsRowsAreAsked) {
  ScriptedMessageBox box;
  TestRoll roll;
  AddVariedEntries(&roll, 6000, 7);
  roll.Build();
  ScopedTempDir cache;
  std::string path;
  BuildCompanionOf(roll, cache, &path);
  SearchRequest request;
  request.SetSurname("SMITH");
  request.SetDatabase(1);
  RollDatabase plain(roll.location, BoxAnswers());
  RollDatabase quick(roll.location, BoxAnswers());
  quick.SetCompanionDirectory(cache.Prefix());
  for (const EntryFilter& filter :
       {Filter('U', "", "", ""), Filter(0, "IL", "", ""), Filter(0, "", "", "a")}) {
    SCOPED_TRACE(filter.Describe());
    const FindOptions options{MatchMode::kExact, filter, false};
    const std::vector<std::string> expected = Rows(plain.RunFind(request, options, {}));
    const SearchAnswer answer = quick.RunFind(request, options, {});
    ASSERT_GT(answer.Count(), 100);
    const std::size_t before = answer.Bytes();
    EXPECT_LT(before, answer.Count() * sizeof(std::int32_t)) << "its slots were listed when it was made";
    std::int32_t slot = -1;
    std::size_t span = 0;
    answer.At(0, &slot, &span);
    EXPECT_LT(answer.Bytes(), before + 100 * sizeof(std::int32_t)) << "more than a page found";
    std::vector<std::string> seen[2];
    std::thread other([&] { seen[1] = Rows(answer); });
    seen[0] = Rows(answer);
    other.join();
    EXPECT_EQ(seen[0], expected);
    EXPECT_EQ(seen[1], expected);
  }
}

// A surname typed with a star that is itself a key of the roll comes first, as without the companion.
TEST(CompanionSearchOwnKey, ATypedSurnameThatIsAKeyComesFirst) {
  ScriptedMessageBox box;
  TestRoll roll;
  for (const char* surname : {"SAWYER", "S*", "SMITH", "SA", "RYAN", "T"}) roll.Add(surname, "JOHN");
  roll.Build();
  ScopedTempDir cache;
  std::string path;
  BuildCompanionOf(roll, cache, &path);
  SearchRequest request;
  request.SetSurname("S*");
  request.SetDatabase(1);
  const FindOptions wildcard{MatchMode::kWildcard, {}, false};
  RollDatabase plain(roll.location, BoxAnswers());
  RollDatabase quick(roll.location, BoxAnswers());
  quick.SetCompanionDirectory(cache.Prefix());
  const SearchAnswer expected = plain.RunFind(request, wildcard, {});
  ASSERT_EQ(expected.SpanCount(), 4u);
  EXPECT_EQ(expected.Span(0).surname, "S*");
  EXPECT_EQ(Rows(quick.RunFind(request, wildcard, {})), Rows(expected));
  EXPECT_NE(quick.Companion(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Seeds, CompanionSearch, ::testing::Values(3u, 11u));

}  // namespace
