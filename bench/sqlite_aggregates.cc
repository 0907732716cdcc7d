#include "sqlite_aggregates.h"

#include <sqlite3.h>

#include <map>
#include <optional>

#include "store/entry_filter.h"
#include "roll_catalog.h"
#include "search_screen.h"
#include "store/data_location.h"
#include "store/key_catalogue.h"
#include "store/roll_database.h"
#include "store/roll_format.h"
#include "store/soundex.h"
#include "store/surname_match.h"

namespace {

constexpr const char* kSchema =
    "CREATE TABLE run_order (run INTEGER PRIMARY KEY, ordered INTEGER NOT NULL);"
    "CREATE TABLE soundex_total (code INTEGER PRIMARY KEY, total INTEGER NOT NULL);"
    "CREATE TABLE entry_side (run INTEGER NOT NULL, side INTEGER NOT NULL, slot INTEGER NOT NULL, "
    "PRIMARY KEY (run, side, slot)) WITHOUT ROWID;"
    "CREATE TABLE side_count (run INTEGER NOT NULL, side INTEGER NOT NULL, count INTEGER NOT NULL, "
    "PRIMARY KEY (run, side)) WITHOUT ROWID;"
    "CREATE TABLE run_key (run INTEGER PRIMARY KEY, key TEXT NOT NULL, bare TEXT NOT NULL, count INTEGER NOT "
    "NULL, "
    "before INTEGER NOT NULL);";
constexpr const char* kIndexes = "CREATE INDEX run_key_key ON run_key (key, before);";

constexpr const char* kRunOrderedSql = "SELECT ordered FROM agg.run_order WHERE run = ?1";
// The first slot of a run whose given name is at or after ?2: with the run in given order, the
// first slot of the prefix's matches (or of those after it).
constexpr const char* kGivenFirstSql =
    "SELECT slot FROM entry WHERE run = ?1 AND given >= ?2 ORDER BY given, slot LIMIT 1";
constexpr const char* kPrefixBeforeSql =
    "SELECT before FROM agg.run_key WHERE key >= ?1 ORDER BY key LIMIT 1";
constexpr const char* kPrefixKeysSql =
    "SELECT key, run, count FROM agg.run_key WHERE key >= ?1 ORDER BY key LIMIT ?2";
constexpr const char* kTotalSql = "SELECT before + count FROM agg.run_key ORDER BY key DESC LIMIT 1";
constexpr const char* kSoundexTotalSql = "SELECT total FROM agg.soundex_total WHERE code = ?1";
constexpr const char* kSoundexKeysSql =
    "SELECT r.key, r.first, r.count FROM keys.key_soundex c JOIN keys.key_run r ON r.key = c.key WHERE "
    "c.code = ?1 "
    "ORDER BY c.key LIMIT ?2";
constexpr const char* kSideCountSql = "SELECT count FROM agg.side_count WHERE run = ?1 AND side = ?2";
constexpr const char* kSidePageSql =
    "SELECT slot FROM agg.entry_side WHERE run = ?1 AND side = ?2 ORDER BY slot LIMIT 10";

constexpr int kPageRows = 10;
constexpr char kSides[] = {'U', 'C'};

// The smallest text greater than every text that begins with `prefix`; "" when there is none.
std::string PrefixEnd(std::string prefix) {
  while (!prefix.empty() && static_cast<unsigned char>(prefix.back()) == 0xFF) prefix.pop_back();
  if (!prefix.empty()) prefix.back() = static_cast<char>(static_cast<unsigned char>(prefix.back()) + 1);
  return prefix;
}

// The first integer column of `s`'s first row, or `otherwise`.
std::int64_t StepInteger(sqlite3_stmt* s, std::int64_t otherwise) {
  const std::int64_t value = sqlite3_step(s) == SQLITE_ROW ? sqlite3_column_int64(s, 0) : otherwise;
  sqlite3_reset(s);
  return value;
}

}  // namespace

bool LoadSqliteAggregates(const std::string& rollDirectory, const std::string& dbPath, std::string* error,
                          std::int64_t* rowsVisited) {
  DataLocation location;
  location.SetDirectories(rollDirectory.c_str(), rollDirectory.c_str());
  RollDatabase roll(location, NoPromptDialogue());
  if (roll.Open(1) != 1) return *error = rollDirectory + ": no roll database", false;
  const KeyCatalogue* catalogue = roll.Catalogue();
  if (!catalogue) return *error = rollDirectory + ": its keys cannot be listed", false;
  std::int64_t visited = 0;
  const bool ok = BuildSqliteFile(
      dbPath,
      [&](sqlite3* db, std::string* why) {
        if (!Exec(db, kSchema, why) || !Exec(db, "BEGIN", why)) return false;
        Statement order = Prepare(db, "INSERT INTO run_order VALUES (?1, ?2)");
        Statement side = Prepare(db, "INSERT INTO entry_side VALUES (?1, ?2, ?3)");
        Statement sideCount = Prepare(db, "INSERT INTO side_count VALUES (?1, ?2, ?3)");
        Statement runKey = Prepare(db, "INSERT INTO run_key VALUES (?1, ?2, ?3, ?4, ?5)");
        Statement soundex = Prepare(db, "INSERT INTO soundex_total VALUES (?1, ?2)");
        if (!order || !side || !sideCount || !runKey || !soundex) return *why = sqlite3_errmsg(db), false;
        auto step = [&](sqlite3_stmt* s) {
          const bool done = sqlite3_step(s) == SQLITE_DONE;
          sqlite3_reset(s);
          if (!done) *why = sqlite3_errmsg(db);
          return done;
        };
        EntryFilter filters[2];
        filters[0].side = kSides[0];
        filters[1].side = kSides[1];
        const EntryMatcher matchers[2] = {EntryMatcher(filters[0]), EntryMatcher(filters[1])};

        // Per run: its order (the names as SQLite's upper() stores them in `given`), its sides. The
        // run is copied: the walk's list of runs is gone once the walk has returned.
        const SurnameRun* seen = nullptr;
        std::optional<SurnameRun> run;
        std::string previous;
        bool ordered = true;
        std::int64_t sides[2] = {0, 0};
        std::int64_t before = 0;
        auto finish = [&]() {
          if (!run) return true;
          sqlite3_bind_int64(order.get(), 1, run->firstSlot);
          sqlite3_bind_int(order.get(), 2, ordered ? 1 : 0);
          if (!step(order.get())) return false;
          for (int s = 0; s < 2; ++s) {
            sqlite3_bind_int64(sideCount.get(), 1, run->firstSlot);
            sqlite3_bind_int(sideCount.get(), 2, kSides[s]);
            sqlite3_bind_int64(sideCount.get(), 3, sides[s]);
            if (!step(sideCount.get())) return false;
          }
          const std::string bare(SurnameOfKey(run->key));
          sqlite3_bind_int64(runKey.get(), 1, run->firstSlot);
          BindText(runKey.get(), 2, run->key);
          BindText(runKey.get(), 3, bare);
          sqlite3_bind_int64(runKey.get(), 4, run->slotCount);
          sqlite3_bind_int64(runKey.get(), 5, before);
          before += run->slotCount;
          return step(runKey.get());
        };
        const bool loaded = VisitRollEntries(
            rollDirectory,
            [&](const RollEntry& e) {
              if (e.run != seen) {
                if (!finish()) return false;
                seen = e.run;
                run = *e.run;
                previous.clear();
                ordered = true;
                sides[0] = sides[1] = 0;
              }
              std::string given(e.name);
              UpperCaseAscii(&given);
              if (e.slot != run->firstSlot && given < previous) ordered = false;
              previous = std::move(given);
              for (int s = 0; s < 2; ++s) {
                if (!matchers[s].Matches(e.line)) continue;
                ++sides[s];
                sqlite3_bind_int64(side.get(), 1, run->firstSlot);
                sqlite3_bind_int(side.get(), 2, kSides[s]);
                sqlite3_bind_int64(side.get(), 3, e.slot);
                if (!step(side.get())) return false;
              }
              ++visited;
              return true;
            },
            why);
        if (!loaded || !finish()) return false;
        // A key counts once under each code it has.
        std::map<SoundexCode, std::int64_t> totals;
        for (std::size_t k = 0; k < catalogue->Size(); ++k) {
          const SoundexCode* codes = nullptr;
          const int n = catalogue->SoundexCodes(k, &codes);
          for (int c = 0; c < n; ++c) totals[codes[c]] += catalogue->SlotCount(k);
        }
        for (const auto& [code, total] : totals) {
          sqlite3_bind_int(soundex.get(), 1, code);
          sqlite3_bind_int64(soundex.get(), 2, total);
          if (!step(soundex.get())) return false;
        }
        return Exec(db, "COMMIT", why) && Exec(db, kIndexes, why) && Exec(db, "ANALYZE", why);
      },
      error);
  if (rowsVisited) *rowsVisited = visited;
  return ok;
}

bool AggregateSqliteScreen::Open(const std::string& dbPath, const std::string& keysPath,
                                 const std::string& aggregatesPath) {
  if (!TunedSqliteScreen::Open(dbPath, keysPath)) return false;
  Statement attach = Prepare(db_, "ATTACH DATABASE ?1 AS agg");
  if (!attach) return false;
  BindText(attach.get(), 1, aggregatesPath);
  const bool attached = sqlite3_step(attach.get()) == SQLITE_DONE;
  attach.reset();
  std::string error;
  if (!attached || !Exec(db_, ("PRAGMA agg.mmap_size = " + std::to_string(mmapSize_)).c_str(), &error))
    return false;
  const struct {
    const char* sql;
    Statement* stmt;
  } statements[] = {
      {kRunOrderedSql, &runOrdered},   {kGivenFirstSql, &givenFirst}, {kPrefixBeforeSql, &prefixBefore},
      {kPrefixKeysSql, &prefixKeys},   {kTotalSql, &total},           {kSoundexTotalSql, &soundexTotal},
      {kSoundexKeysSql, &soundexKeys}, {kSideCountSql, &sideCount},   {kSidePageSql, &sidePage}};
  for (const auto& s : statements) {
    *s.stmt = Prepare(db_, s.sql);
    if (!*s.stmt) return false;
  }
  return true;
}

void AggregateSqliteScreen::Remap() {
  TunedSqliteScreen::Remap();
  std::string error;
  Exec(db_, ("PRAGMA agg.mmap_size = " + std::to_string(mmapSize_)).c_str(), &error);
}

void AggregateSqliteScreen::Search(const std::string& surname, const std::string& given) {
  std::string prefix = GivenNameLetters(given);
  if (prefix.size() > static_cast<std::size_t>(std::max(nameLength_, 0)))
    prefix.resize(std::max(nameLength_, 0));
  const std::string key = KeyOf(surname);
  // Without a given name, or with a prefix ending in a blank (which matches shorter names, padded),
  // the tuned copy's answer is already the best there is.
  if (given.empty() || prefix.empty() || prefix.back() == ' ' || key.empty() || !Begin()) {
    TunedSqliteScreen::Search(surname, given);
    return;
  }
  sqlite3_stmt* s = surname_.get();
  BindText(s, 1, key);
  std::int64_t first = -1, count = 0;
  if (sqlite3_step(s) == SQLITE_ROW) {
    first = sqlite3_column_int64(s, 0);
    count = sqlite3_column_int64(s, 1);
  }
  sqlite3_reset(s);
  sqlite3_bind_int64(runOrdered.get(), 1, first);
  if (first < 0 || StepInteger(runOrdered.get(), 0) != 1) {
    Commit();
    TunedSqliteScreen::Search(surname, given);
    return;
  }
  // In a run in given order the prefix's matches are the slots between two seeks.
  auto seek = [&](const std::string& text) {
    sqlite3_bind_int64(givenFirst.get(), 1, first);
    BindText(givenFirst.get(), 2, text);
    return StepInteger(givenFirst.get(), first + count);
  };
  const std::int64_t low = seek(prefix);
  const std::string end = PrefixEnd(prefix);
  const std::int64_t high = end.empty() ? first + count : seek(end);
  rows_.clear();
  found_ = false;
  filtered_ = false;
  displaySurname_ = RowSurname(surname);
  first_ = low;
  runCount_ = count_ = high - low;
  pageRank_ = pageStart_ = pageEnd_ = 0;
  if (count_ > 0) LoadPage(0);
  Commit();
}

void AggregateSqliteScreen::Find(const std::string& surname, const FindOptions& options) {
  const std::string typed = TrimmedSurname(surname);
  const MatchMode mode = EffectiveMatchMode(options.mode, typed);
  bool answered = false;
  if (!options.filter.Active() && mode == MatchMode::kWildcard) {
    std::string pattern = typed;
    UpperCaseAscii(&pattern);
    if (pattern.find_first_of("*?") + 1 == pattern.size() && pattern.back() == '*') {
      answered = PrefixFind(pattern.substr(0, pattern.size() - 1));
    }
  } else if (!options.filter.Active() && mode == MatchMode::kSoundex) {
    answered = SoundexFind(typed);
  } else if (mode == MatchMode::kExact && options.filter.side != 0 && options.filter.state.empty() &&
             options.filter.unit.empty() && options.filter.company.empty()) {
    answered = SideFind(typed, UpperAscii(options.filter.side));
  }
  if (!answered) TunedSqliteScreen::Find(surname, options);
}

void AggregateSqliteScreen::LoadFoundPage(const std::vector<KeyRun>& runs) {
  std::vector<std::pair<std::int64_t, std::size_t>> page;
  for (std::size_t r = 0; r < runs.size() && page.size() < static_cast<std::size_t>(kPageRows); ++r) {
    for (std::int64_t i = 0; i < runs[r].count && page.size() < static_cast<std::size_t>(kPageRows); ++i) {
      page.push_back({runs[r].first + i, r});
    }
  }
  LoadFoundRows(page, runs);
}

bool AggregateSqliteScreen::PrefixFind(const std::string& fixedStart) {
  if (!Begin()) return false;
  const std::int64_t all = StepInteger(total.get(), 0);
  auto before = [&](const std::string& key) {
    BindText(prefixBefore.get(), 1, key);
    return StepInteger(prefixBefore.get(), all);
  };
  const std::string end = PrefixEnd(fixedStart);
  rows_.clear();
  found_ = true;
  count_ = (end.empty() ? all : before(end)) - before(fixedStart);
  std::vector<KeyRun> runs;
  BindText(prefixKeys.get(), 1, fixedStart);
  sqlite3_bind_int(prefixKeys.get(), 2, kPageRows);
  while (sqlite3_step(prefixKeys.get()) == SQLITE_ROW) {
    std::string key = ColumnBytes(prefixKeys.get(), 0);
    if (key.compare(0, fixedStart.size(), fixedStart) != 0) break;
    runs.push_back({std::move(key), sqlite3_column_int64(prefixKeys.get(), 1),
                    sqlite3_column_int64(prefixKeys.get(), 2)});
  }
  sqlite3_reset(prefixKeys.get());
  LoadFoundPage(runs);
  Commit();
  return true;
}

bool AggregateSqliteScreen::SoundexFind(const std::string& typed) {
  SoundexCode codes[kMaxSoundexCodes];
  // A surname filed under two codes may share keys between them: its count is no one total.
  if (SurnameSoundexCodes(typed, codes) != 1 || !Begin()) return false;
  rows_.clear();
  found_ = true;
  sqlite3_bind_int(soundexTotal.get(), 1, codes[0]);
  count_ = StepInteger(soundexTotal.get(), 0);
  // The typed surname's own key first, then the others in key order.
  std::vector<KeyRun> runs;
  const std::string own = KeyOf(typed);
  BindText(surname_.get(), 1, own);
  if (!own.empty() && sqlite3_step(surname_.get()) == SQLITE_ROW) {
    runs.push_back({own, sqlite3_column_int64(surname_.get(), 0), sqlite3_column_int64(surname_.get(), 1)});
  }
  sqlite3_reset(surname_.get());
  sqlite3_bind_int(soundexKeys.get(), 1, codes[0]);
  sqlite3_bind_int(soundexKeys.get(), 2, kPageRows + 1);
  while (sqlite3_step(soundexKeys.get()) == SQLITE_ROW) {
    std::string key = ColumnBytes(soundexKeys.get(), 0);
    if (key == own) continue;
    runs.push_back({std::move(key), sqlite3_column_int64(soundexKeys.get(), 1),
                    sqlite3_column_int64(soundexKeys.get(), 2)});
  }
  sqlite3_reset(soundexKeys.get());
  LoadFoundPage(runs);
  Commit();
  return true;
}

bool AggregateSqliteScreen::SideFind(const std::string& typed, char side) {
  const std::string key = KeyOf(typed);
  if (key.empty() || (side != kSides[0] && side != kSides[1]) || !Begin()) return false;
  rows_.clear();
  found_ = true;
  count_ = 0;
  BindText(surname_.get(), 1, key);
  const std::int64_t run = StepInteger(surname_.get(), -1);
  if (run >= 0) {
    sqlite3_bind_int64(sideCount.get(), 1, run);
    sqlite3_bind_int(sideCount.get(), 2, side);
    count_ = StepInteger(sideCount.get(), 0);
    sqlite3_bind_int64(sidePage.get(), 1, run);
    sqlite3_bind_int(sidePage.get(), 2, side);
    std::vector<KeyRun> runs;
    while (sqlite3_step(sidePage.get()) == SQLITE_ROW)
      runs.push_back({key, sqlite3_column_int64(sidePage.get(), 0), 1});
    sqlite3_reset(sidePage.get());
    LoadFoundPage(runs);
  }
  Commit();
  return true;
}
