// The SQLite sides of the benchmarks must show what the engine shows, or their timings mean
// nothing: every search, every page forwards and back, every detail text, on both schemas.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine_screen.h"
#include "search_screen.h"
#include "sqlite_aggregates.h"
#include "sqlite_naive.h"
#include "sqlite_roster.h"
#include "sqlite_tuned.h"
#include "support/test_roll.h"

namespace {

struct Schema {
  const char* name;
  std::function<bool(const std::string&, const std::string&, std::string*, std::int64_t*)> load;
  std::function<std::unique_ptr<SearchScreen>(const std::string&)> open;
};

const Schema kNaive = {"naive", LoadNaiveSqliteRoll,
                       [](const std::string& path) -> std::unique_ptr<SearchScreen> {
                         auto s = std::make_unique<NaiveSqliteScreen>();
                         return s->Open(path) ? std::move(s) : nullptr;
                       }};
const Schema kTuned = {"tuned", LoadTunedSqliteRoll,
                       [](const std::string& path) -> std::unique_ptr<SearchScreen> {
                         auto s = std::make_unique<TunedSqliteScreen>();
                         return s->Open(path) ? std::move(s) : nullptr;
                       }};

// The tuned copy, its key catalogue and its aggregates, in three files beside each other.
const Schema kAggregates = {"aggregates",
                            [](const std::string& roll, const std::string& path, std::string* error, std::int64_t* rows) {
                              return LoadTunedSqliteRoll(roll, path, error, rows) &&
                                     LoadSqliteKeyCatalogue(roll, path + ".keys", error) &&
                                     LoadSqliteAggregates(roll, path + ".agg", error);
                            },
                            [](const std::string& path) -> std::unique_ptr<SearchScreen> {
                              auto s = std::make_unique<AggregateSqliteScreen>();
                              return s->Open(path, path + ".keys", path + ".agg") ? std::move(s) : nullptr;
                            }};

std::string SchemaName(const ::testing::TestParamInfo<Schema>& schema) { return schema.param.name; }

// Runs the same search on the engine and on `sqlite` and compares count and page, then pages
// forward to the end and back to the start comparing every page and its first row's detail.
void ExpectSame(const DataLocation& location, SearchScreen& sqlite, const std::string& surname,
                const std::string& given) {
  SCOPED_TRACE(surname + " / " + given);
  EngineScreen engine(location);
  engine.Search(surname, given);
  sqlite.Search(surname, given);
  // The screen is painted before the engine has settled (written a given name's matches), and
  // again after.
  ASSERT_EQ(engine.Count(), sqlite.Count());
  ASSERT_EQ(engine.FormattedRows(), sqlite.FormattedRows());
  ASSERT_EQ(engine.HasNextPage(), sqlite.HasNextPage());
  engine.Settle();
  ASSERT_EQ(engine.Count(), sqlite.Count());
  ASSERT_EQ(engine.FormattedRows(), sqlite.FormattedRows());
  EXPECT_EQ(engine.DetailText(0), sqlite.DetailText(0));
  int turns = 0;
  while (engine.HasNextPage() && turns++ < 100) {
    ASSERT_TRUE(sqlite.HasNextPage()) << "page " << turns;
    engine.NextPage();
    sqlite.NextPage();
    ASSERT_EQ(engine.FormattedRows(), sqlite.FormattedRows()) << "forward page " << turns;
    ASSERT_EQ(engine.DetailText(engine.list.RowCount() - 1), sqlite.DetailText(engine.list.RowCount() - 1));
  }
  EXPECT_FALSE(sqlite.HasNextPage());
  for (int back = 0; back <= turns; ++back) {
    engine.PreviousPage();
    sqlite.PreviousPage();
    ASSERT_EQ(engine.FormattedRows(), sqlite.FormattedRows()) << "backward page " << back;
    ASSERT_EQ(engine.HasNextPage(), sqlite.HasNextPage()) << "backward page " << back;
  }
}

// A roll with a common surname (names in mixed case, short, empty, with initials, punctuation and
// a leading blank), a few rare ones, and lines that exercise every turn of the summary.
class SideBySide : public ::testing::TestWithParam<Schema> {
 protected:
  void SetUp() override {
    const char* names[] = {"John", "JOHNNY", "jon", "J. W.", "J", "Mary Ann", "MARY", "", "JOHN W", " Zeb"};
    for (int i = 0; i < 37; ++i) {
      std::vector<std::string> fields = SampleFields(std::string(1, static_cast<char>('A' + i % 7)));
      if (i % 5 == 1) fields[5] = "DIED OF WOUNDS RECEIVED AT GETTYSBURG JULY 3 1863";
      if (i % 5 == 2) fields[0] = "  ";
      if (i % 5 == 3) fields[1] = "";
      roll.Add(i % 2 ? "smith" : "Smith", names[i % 10], fields);
    }
    roll.Add("Abbott", "ELI", {std::string(29, 'X'), "Y"});
    roll.Add("M\xE9ndez", "JOS\xC9", {std::string(30, 'Q')});
    roll.Add("Quincy", "ABNER", {"A  ", "", "   ", "B"});
    roll.Add("Abcdefghijklmnopqrstu", "LONG", SampleFields());
    roll.Build();
    Load();
  }

  void Load() {
    ASSERT_TRUE(GetParam().load(roll.dataDir, roll.familyDir + "roll.sqlite", &error, &rows)) << error;
    sqlite = GetParam().open(roll.familyDir + "roll.sqlite");
    ASSERT_TRUE(sqlite);
  }

  TestRoll roll;
  std::unique_ptr<SearchScreen> sqlite;
  std::string error;
  std::int64_t rows = 0;
};

TEST_P(SideBySide, SurnameSearchesShowTheSamePagesAndDetail) {
  EXPECT_EQ(rows, 41);
  for (const char* surname : {"Smith", "SMITH", "abbott", "M\xE9ndez", "m\xE9ndez", "Quincy", "Nobody",
                              "Abcdefghijklmnopqrstu", "Abcdefghijklmnopqrstuvwxyz"}) {
    ExpectSame(roll.location, *sqlite, surname, "");
  }
}

TEST_P(SideBySide, GivenNamePrefixesMatchTheSameEntries) {
  // Whole words, one letter, a prefix longer than some names, punctuation after the letters,
  // a leading non-letter, lower case, and nothing at all.
  for (const char* given : {"john", "J", "JOHNNY", "J. W.", "MARY ANN", ".", "jo", "Q", "JOHNX", "M\xE9"}) {
    ExpectSame(roll.location, *sqlite, "Smith", given);
  }
}

INSTANTIATE_TEST_SUITE_P(Schemas, SideBySide, ::testing::Values(kNaive, kTuned, kAggregates), SchemaName);

// The aggregates answer Find by a fixed start, by one Soundex code and by side from what they
// keep; each first page and count must be the engine's, and so must the fallbacks'.
TEST(AggregatesSideBySide, FindsShowTheEnginesCountAndFirstPage) {
  TestRoll roll;
  const char* surnames[] = {"Smith", "Smyth", "Smithers", "Schmidt", "Sanders", "Kelly", "VanDeusen", "Deusen", "Zane"};
  for (int i = 0; i < 240; ++i) {
    std::vector<std::string> fields = SampleFields(std::string(1, static_cast<char>('A' + i % 5)));
    fields[9] = i % 3 == 0 ? "C" : i % 7 == 0 ? " c " : "U";
    roll.Add(surnames[i % 9], std::string(1, static_cast<char>('A' + i % 11)) + "nn", fields);
  }
  roll.Build();
  std::string error;
  const std::string path = roll.familyDir + "roll.sqlite";
  ASSERT_TRUE(kAggregates.load(roll.dataDir, path, &error, nullptr)) << error;
  std::unique_ptr<SearchScreen> sqlite = kAggregates.open(path);
  ASSERT_TRUE(sqlite);
  auto find = [](MatchMode mode, char side) {
    FindOptions options;
    options.mode = mode;
    options.filter.side = side;
    return options;
  };
  const std::pair<const char*, FindOptions> cases[] = {
      {"S*", find(MatchMode::kExact, 0)},         {"sm*", find(MatchMode::kExact, 0)},
      {"*", find(MatchMode::kExact, 0)},          {"Q*", find(MatchMode::kExact, 0)},
      {"SM?TH*", find(MatchMode::kExact, 0)},     {"Smith", find(MatchMode::kSoundex, 0)},
      {"Smithers", find(MatchMode::kSoundex, 0)}, {"VanDeusen", find(MatchMode::kSoundex, 0)},
      {"Smith", find(MatchMode::kExact, 'C')},    {"Smith", find(MatchMode::kExact, 'u')},
      {"Nobody", find(MatchMode::kExact, 'C')},   {"Kelly", find(MatchMode::kSimilar, 'C')}};
  for (const auto& [surname, options] : cases) {
    SCOPED_TRACE(std::string(surname) + " " + MatchModeName(options.mode) + " " + options.filter.Describe());
    EngineScreen engine(roll.location);
    engine.Find(surname, options);
    sqlite->Find(surname, options);
    EXPECT_EQ(engine.Count(), sqlite->Count());
    EXPECT_EQ(engine.FormattedRows(), sqlite->FormattedRows());
  }
}

// Rosters on both SQLite sides: units written in several ways, companies with and without text,
// both sides of one unit text, names that order differently folded and as stored.
TEST(RosterSideBySide, BothCopiesListTheEnginesRosterRowForRow) {
  TestRoll roll;
  const char* surnames[] = {"Kelly", "Abbot", "O'Brien", "Young", "kelly"};
  const char* givens[] = {"john", "John A", "JOHN", "ann", "Al", "b"};
  const char* units[] = {"5 IL INF", " 5  il\tinf ", "5 IL CAV", "7 MO INF"};
  const char* companies[] = {"D", " d", "", "F&S", "K"};
  for (int i = 0; i < 400; ++i) {
    std::vector<std::string> fields = SampleFields(companies[i % 5]);
    fields[2] = units[i / 5 % 4];
    fields[9] = i % 7 == 0 ? "C" : i % 11 == 0 ? " u " : "U";
    roll.Add(surnames[i % 5], givens[i / 3 % 6], fields);
  }
  roll.Build();
  std::string error;
  const std::string path = roll.familyDir + "roll.sqlite";
  ASSERT_TRUE(kAggregates.load(roll.dataDir, path, &error, nullptr)) << error;
  ASSERT_TRUE(LoadSqliteRoster(roll.dataDir, path + ".roster", &error)) << error;
  TunedSqliteScreen tuned;
  AggregateSqliteScreen aggregates;
  ASSERT_TRUE(tuned.Open(path, path + ".keys") && tuned.AttachRoster(path + ".roster", false));
  ASSERT_TRUE(aggregates.Open(path, path + ".keys", path + ".agg") &&
              aggregates.AttachRoster(path + ".roster", true));
  auto ask = [](const char* unit, char side, const char* company) {
    RosterRequest r;
    r.unit = unit;
    r.side = side;
    r.company = company;
    r.wholeUnit = *company == '\0';
    return r;
  };
  std::size_t listed = 0;
  for (const RosterRequest& r :
       {ask("5 il inf", 'U', ""), ask("5 IL INF", 'C', ""), ask("5 IL INF", 'U', " d "),
        ask("7 MO INF", 'U', "F&S"), ask("5 IL INF", 'U', "Q"), ask("NO SUCH", 'U', "")}) {
    SCOPED_TRACE(r.unit + " " + r.side + " " + r.company);
    EngineScreen engine(roll.location);
    std::vector<std::string> expected;
    engine.RosterList(r, &expected);
    listed += expected.size();
    engine.Roster(r);
    for (SearchScreen* sqlite :
         {static_cast<SearchScreen*>(&tuned), static_cast<SearchScreen*>(&aggregates)}) {
      sqlite->Roster(r);
      EXPECT_EQ(engine.Count(), sqlite->Count());
      EXPECT_EQ(engine.FormattedRows(), sqlite->FormattedRows());
      std::vector<std::string> rows;
      sqlite->RosterList(r, &rows);
      EXPECT_EQ(rows, expected);
    }
  }
  EXPECT_GT(listed, 150u);  // the rosters are not all empty
}

TEST(AggregatesSideBySide, ARunOutOfOrderIsScannedAsTheTunedCopyScansIt) {
  TestRoll roll;
  for (int i = 0; i < 60; ++i) roll.Add("Smith", i % 2 ? "John" : "Peter", {std::to_string(i)});
  roll.Build();
  // The first and last slots swapped: PETER before JOHN.
  const std::string path = roll.dataDir + "mroll.cor";
  const std::string bytes = ReadFileBytes(path);
  const std::size_t slot = (bytes.size() - 4) / 60;
  std::string swapped = bytes.substr(59 * slot, slot) + bytes.substr(slot, 58 * slot) + bytes.substr(0, slot);
  WriteFileBytes(path, swapped + bytes.substr(bytes.size() - 4));
  std::string error;
  const std::string db = roll.familyDir + "roll.sqlite";
  ASSERT_TRUE(kAggregates.load(roll.dataDir, db, &error, nullptr)) << error;
  std::unique_ptr<SearchScreen> sqlite = kAggregates.open(db);
  ASSERT_TRUE(sqlite);
  for (const char* given : {"JOHN", "P", "X"}) ExpectSame(roll.location, *sqlite, "Smith", given);
}

// The tuned copy answers a given name from matches it keeps in memory and pages through them by
// itself; these are the turns where that could go wrong.
class TunedSideBySide : public ::testing::Test {
 protected:
  void Load() {
    roll.Build(nameLength);
    LoadBuilt();
  }
  void LoadBuilt() {
    ASSERT_TRUE(LoadTunedSqliteRoll(roll.dataDir, roll.familyDir + "roll.sqlite", &error));
    ASSERT_TRUE(sqlite.Open(roll.familyDir + "roll.sqlite"));
  }
  TestRoll roll;
  int nameLength = 0;
  TunedSqliteScreen sqlite;
  std::string error;
};

TEST_F(TunedSideBySide, MatchesSpreadOverManyWordsPageBothWays) {
  // The writer lists a surname's entries by name, which puts the matches of a prefix next to each
  // other; a roll made elsewhere need not. So the built name file's slots are shuffled: JOHN at
  // irregular gaps over 700 slots, so that pages start and end inside and across 64-slot words.
  constexpr int kEntries = 700;
  std::vector<bool> john(kEntries);
  int johns = 0;
  for (int p = 0; p < kEntries; ++p) johns += (john[p] = (p * p) % 7 == 1 || p % 61 == 0) ? 1 : 0;
  // Every line its own, so that every page reads differently.
  for (int i = 0; i < kEntries; ++i) roll.Add("Smith", i < johns ? "John" : "Peter", {std::to_string(i)});
  roll.Build();
  const std::string path = roll.dataDir + "mroll.cor";
  const std::string bytes = ReadFileBytes(path);
  const std::size_t slot = (bytes.size() - 4) / kEntries;
  std::string shuffled;
  int nextJohn = 0, nextPeter = johns;
  for (int p = 0; p < kEntries; ++p) {
    const int from = john[p] ? nextJohn++ : nextPeter++;
    shuffled += bytes.substr(static_cast<std::size_t>(from) * slot, slot);
  }
  WriteFileBytes(path, shuffled + bytes.substr(bytes.size() - 4));
  LoadBuilt();
  for (const char* given : {"JOHN", "P", "X"}) ExpectSame(roll.location, sqlite, "Smith", given);
}

TEST_F(TunedSideBySide, ABlankOrTheLastByteAsGivenNameAndNamesCutAtTheirLength) {
  // A given name starting with a blank compares one character: names that are empty (padded with
  // blanks) or start with a blank match, one starting with a control character does not. 0xFF
  // has no text after it to bound a range. A name file of L = 5 compares at most five characters
  // of a longer given name, the last of them the padding.
  for (const char* name : {"", " Ann", "\x01X", "Ann", "\xE9ve", "JOHN", "JOH", "Jo"}) {
    roll.Add("Smith", name);
  }
  nameLength = 5;
  Load();
  for (const char* given : {" ", " Ann", "\xFF", "\xFFz", "\xE9", "JOHNSTONE", "JOHN", "JOH"}) {
    ExpectSame(roll.location, sqlite, "Smith", given);
  }
}

TEST_F(TunedSideBySide, TheGivenNameScanReadsOnlyItsIndex) {
  // Enough surnames and names for the planner's statistics to tell a range from a scan.
  for (int i = 0; i < 2000; ++i)
    roll.Add("Name" + std::to_string(i % 200), std::string(1, static_cast<char>('A' + i % 26)));
  Load();
  // A plan that visits the table for every match would still answer right, and slowly.
  EXPECT_EQ(sqlite.GivenNamePlan(),
            "SEARCH entry USING COVERING INDEX entry_given (run=? AND given>? AND given<?)");
}

class LoadSqlite : public ::testing::TestWithParam<Schema> {};

TEST_P(LoadSqlite, ANonRollLeavesNoDatabaseBehind) {
  TestRoll roll;  // directories only, nothing built
  std::string error;
  const std::string db = roll.familyDir + "roll.sqlite";
  EXPECT_FALSE(GetParam().load(roll.dataDir, db, &error, nullptr));
  EXPECT_EQ(error, roll.dataDir + ": no roll database");
  EXPECT_FALSE(FileExists(db));
  EXPECT_FALSE(FileExists(db + ".tmp"));
}

TEST_P(LoadSqlite, AnUnreadableIndexIsRefusedNotHalfLoaded) {
  TestRoll roll;
  for (int i = 0; i < 40; ++i)
    roll.Add("Name" + std::string(1, static_cast<char>('a' + i % 26)) + std::to_string(i), "A");
  roll.Build();
  // The root's first child: its entry count made impossible.
  RollDatabase db(roll.location, NoPromptDialogue());
  ASSERT_EQ(db.Open(1), 1);
  const std::int32_t child = db.Index()->RootCache().children[0];
  ASSERT_GT(child, 0);
  db.Close();
  Corrupt(roll.dataDir + "mroll.tre", child, Le32(9));
  std::string error;
  EXPECT_FALSE(GetParam().load(roll.dataDir, roll.familyDir + "roll.sqlite", &error, nullptr));
  EXPECT_EQ(error, roll.dataDir + "mroll.tre: unreadable index");
  EXPECT_FALSE(FileExists(roll.familyDir + "roll.sqlite"));
  EXPECT_FALSE(FileExists(roll.familyDir + "roll.sqlite.tmp"));
}

INSTANTIATE_TEST_SUITE_P(Schemas, LoadSqlite, ::testing::Values(kNaive, kTuned, kAggregates), SchemaName);

}  // namespace
