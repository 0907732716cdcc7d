#include "sqlite_tuned.h"

#include <sqlite3.h>

#include <algorithm>
#include <bit>
#include <cstring>

#include "line_summary.h"
#include "results/result_list.h"
#include "roll_catalog.h"
#include "sqlite_find.h"
#include "store/roll_format.h"

namespace {

constexpr const char* kSchema =
    "PRAGMA page_size = 4096;"
    "CREATE TABLE roll (name_length INTEGER NOT NULL);"
    "CREATE TABLE surname (key TEXT PRIMARY KEY, first INTEGER NOT NULL, count INTEGER NOT NULL) "
    "WITHOUT ROWID;"
    "CREATE TABLE entry (slot INTEGER PRIMARY KEY, run INTEGER NOT NULL, name TEXT NOT NULL, "
    "given TEXT NOT NULL, line BLOB NOT NULL);";
constexpr const char* kIndex = "CREATE INDEX entry_given ON entry (run, given);";

constexpr const char* kSurnameSql = "SELECT first, count FROM surname WHERE key = ?1";
constexpr const char* kRangePageSql =
    "SELECT slot, name, line FROM entry WHERE slot >= ?1 AND slot < ?2 ORDER BY slot";
constexpr const char* kGivenSql = "SELECT slot FROM entry WHERE run = ?1 AND given >= ?2 AND given < ?3";
constexpr const char* kGivenUnboundedSql = "SELECT slot FROM entry WHERE run = ?1 AND given >= ?2";
// A prefix of blanks: the range holds more than the matches, which are told by their names.
constexpr const char* kGivenCheckedSql =
    "SELECT slot, given FROM entry WHERE run = ?1 AND given >= ?2 AND given < ?3";
constexpr const char* kSlotPageSql =
    "SELECT slot, name, line FROM entry WHERE slot IN (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10) "
    "ORDER BY slot";
constexpr const char* kLineSql = "SELECT line FROM entry WHERE slot = ?1";

// Keys by pattern and by sound come from the key catalogue's file (sqlite_find.h), attached as
// `keys`: a GLOB with a fixed start is a range of key_run_bare, a Soundex code a range of
// key_soundex. Similar spelling has no index to use: the engine's distance over every key.
constexpr const char* kKeysGlobSql = "SELECT key, first, count FROM keys.key_run WHERE bare GLOB ?1 ORDER BY key";
constexpr const char* kKeysSoundexSql =
    "SELECT DISTINCT r.key, r.first, r.count FROM keys.key_soundex c JOIN keys.key_run r ON r.key = c.key "
    "WHERE c.code IN (?1, ?2) ORDER BY r.key";
constexpr const char* kKeysSimilarSql =
    "SELECT key, first, count FROM keys.key_run WHERE similar(key, ?1) >= 0 ORDER BY key";
// A filter reads a run's lines by rowid range and tests them with the engine's field rules.
constexpr const char* kRunLinesSql = "SELECT slot, line FROM entry WHERE slot >= ?1 AND slot < ?2";

constexpr int kRowsPerPage = kMaxRowsPerPage;
static_assert(kRowsPerPage == 10, "the slot page statement binds ten slots");

// Bigger than any roll's copy, within what this SQLite maps at most.
constexpr std::int64_t kMmapSize = 0x7fff0000;
constexpr int kCacheKiB = 16 * 1024;

// The smallest text greater than every text that begins with `prefix`, or "" when there is none
// (the prefix is empty or all 0xFF bytes).
std::string PrefixEnd(std::string prefix) {
  while (!prefix.empty() && static_cast<unsigned char>(prefix.back()) == 0xFF) prefix.pop_back();
  if (!prefix.empty()) prefix.back() = static_cast<char>(static_cast<unsigned char>(prefix.back()) + 1);
  return prefix;
}

}  // namespace

bool LoadTunedSqliteRoll(const std::string& rollDirectory, const std::string& dbPath, std::string* error,
                         std::int64_t* rowsLoaded) {
  std::int64_t count = 0;
  const bool ok = BuildSqliteFile(
      dbPath,
      [&](sqlite3* db, std::string* why) {
        if (!Exec(db, kSchema, why) || !Exec(db, "BEGIN", why)) return false;
        Statement entry = Prepare(db, "INSERT INTO entry VALUES (?1, ?2, ?3, upper(?3), ?4)");
        Statement surname = Prepare(db, "INSERT INTO surname VALUES (?1, ?2, ?3)");
        if (!entry || !surname) return *why = sqlite3_errmsg(db), false;
        const SurnameRun* last = nullptr;
        auto step = [&](sqlite3_stmt* s) {
          const bool done = sqlite3_step(s) == SQLITE_DONE;
          sqlite3_reset(s);
          if (!done) *why = sqlite3_errmsg(db);
          return done;
        };
        std::int32_t nameLength = 0;
        const bool loaded = VisitRollEntries(
            rollDirectory,
            [&](const RollEntry& e) {
              if (e.run != last) {
                last = e.run;
                BindText(surname.get(), 1, e.run->key);
                sqlite3_bind_int64(surname.get(), 2, e.run->firstSlot);
                sqlite3_bind_int64(surname.get(), 3, e.run->slotCount);
                if (!step(surname.get())) return false;
              }
              sqlite3_stmt* s = entry.get();
              sqlite3_bind_int64(s, 1, e.slot);
              sqlite3_bind_int64(s, 2, e.run->firstSlot);
              sqlite3_bind_text(s, 3, e.name.data(), static_cast<int>(e.name.size()), SQLITE_STATIC);
              sqlite3_bind_blob(s, 4, e.line.data(), static_cast<int>(e.line.size()), SQLITE_STATIC);
              ++count;
              return step(s);
            },
            why, &nameLength);
        const std::string meta = "INSERT INTO roll VALUES (" + std::to_string(nameLength) + ")";
        return loaded && Exec(db, meta.c_str(), why) && Exec(db, "COMMIT", why) && Exec(db, kIndex, why) &&
               Exec(db, "ANALYZE", why);
      },
      error);
  if (rowsLoaded) *rowsLoaded = count;
  return ok;
}

TunedSqliteScreen::~TunedSqliteScreen() { Close(); }

bool TunedSqliteScreen::Open(const std::string& dbPath, const std::string& keysPath) {
  Close();
  if (sqlite3_open_v2(dbPath.c_str(), &db_, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) !=
      SQLITE_OK) {
    Close();
    return false;
  }
  std::string error;
  if (!keysPath.empty()) {
    Statement attach = Prepare(db_, "ATTACH DATABASE ?1 AS keys");
    if (!attach) {
      Close();
      return false;
    }
    BindText(attach.get(), 1, keysPath);
    const bool attached = sqlite3_step(attach.get()) == SQLITE_DONE;
    attach.reset();
    if (!attached || !RegisterFindFunctions(db_, nullptr)) {
      Close();
      return false;
    }
    const struct {
      const char* sql;
      Statement* stmt;
    } find[] = {{kKeysGlobSql, &keysGlob_}, {kKeysSoundexSql, &keysSoundex_}, {kKeysSimilarSql, &keysSimilar_},
                {kRunLinesSql, &runLines_}};
    for (const auto& f : find) {
      *f.stmt = Prepare(db_, f.sql);
      if (!*f.stmt) {
        Close();
        return false;
      }
    }
  }
  mmapSize_ = kMmapSize;
  const std::string settings = "PRAGMA mmap_size = " + std::to_string(mmapSize_) + "; PRAGMA cache_size = -" +
                               std::to_string(kCacheKiB) + ";";
  if (!Exec(db_, settings.c_str(), &error)) {
    Close();
    return false;
  }
  const struct {
    const char* sql;
    Statement* stmt;
  } statements[] = {{"BEGIN", &begin_},
                    {"COMMIT", &commit_},
                    {kSurnameSql, &surname_},
                    {kRangePageSql, &rangePage_},
                    {kGivenSql, &given_},
                    {kGivenUnboundedSql, &givenUnbounded_},
                    {kGivenCheckedSql, &givenChecked_},
                    {kSlotPageSql, &slotPage_},
                    {kLineSql, &line_}};
  for (const auto& s : statements) {
    *s.stmt = Prepare(db_, s.sql);
    if (!*s.stmt) {
      Close();
      return false;
    }
  }
  Statement meta = Prepare(db_, "SELECT name_length FROM roll");
  if (!meta || sqlite3_step(meta.get()) != SQLITE_ROW) {
    Close();
    return false;
  }
  nameLength_ = sqlite3_column_int(meta.get(), 0);
  return true;
}

bool TunedSqliteScreen::AttachRoster(const std::string& rosterPath, bool ordered) {
  rosterTables = std::make_unique<SqliteRoster>();
  std::string error;
  if (!rosterTables->Open(db_, rosterPath, ordered) ||
      !Exec(db_, ("PRAGMA roster.mmap_size = " + std::to_string(mmapSize_)).c_str(), &error)) {
    rosterTables.reset();
    return false;
  }
  return true;
}

void TunedSqliteScreen::Close() {
  rosterTables.reset();
  for (Statement* s : {&begin_, &commit_, &surname_, &rangePage_, &given_, &givenUnbounded_, &givenChecked_,
                       &slotPage_, &line_, &keysGlob_, &keysSoundex_, &keysSimilar_, &runLines_}) {
    s->reset();
  }
  sqlite3_close(db_);
  db_ = nullptr;
}

void TunedSqliteScreen::Remap() {
  // SQLite maps the file anew whenever the limit changes; both limits exceed the file.
  mmapSize_ = mmapSize_ == kMmapSize ? kMmapSize - 4096 : kMmapSize;
  std::string error;
  Exec(db_, ("PRAGMA mmap_size = " + std::to_string(mmapSize_)).c_str(), &error);
  if (rosterTables) Exec(db_, ("PRAGMA roster.mmap_size = " + std::to_string(mmapSize_)).c_str(), &error);
}

bool TunedSqliteScreen::Begin() {
  const bool ok = sqlite3_step(begin_.get()) == SQLITE_DONE;
  sqlite3_reset(begin_.get());
  return ok;
}

void TunedSqliteScreen::Commit() {
  sqlite3_step(commit_.get());
  sqlite3_reset(commit_.get());
}

void TunedSqliteScreen::Search(const std::string& surname, const std::string& given) {
  count_ = 0;
  rows_.clear();
  first_ = runCount_ = 0;
  found_ = false;
  filtered_ = !given.empty();
  pageRank_ = pageStart_ = pageEnd_ = 0;
  const std::string key = KeyOf(surname);
  if (key.empty() || !Begin()) return;
  displaySurname_ = RowSurname(surname);

  sqlite3_stmt* s = surname_.get();
  BindText(s, 1, key);
  const bool found = sqlite3_step(s) == SQLITE_ROW;
  if (found) {
    first_ = sqlite3_column_int64(s, 0);
    runCount_ = sqlite3_column_int64(s, 1);
  }
  sqlite3_reset(s);
  if (found) {
    if (filtered_) {
      // The scan compares the first min(n, L) characters of the name padded to L.
      std::string prefix = GivenNameLetters(given);
      if (prefix.size() > static_cast<std::size_t>(std::max(nameLength_, 0)))
        prefix.resize(std::max(nameLength_, 0));
      ScanGivenName(prefix);
    } else {
      count_ = runCount_;
    }
    if (count_ > 0) LoadPage(0);
  }
  Commit();
}

void TunedSqliteScreen::Find(const std::string& surname, const FindOptions& options) {
  count_ = 0;
  rows_.clear();
  first_ = runCount_ = 0;
  pageRank_ = pageStart_ = pageEnd_ = 0;
  found_ = true;
  if (!keysGlob_ || !Begin()) return;
  const std::string typed = TrimmedSurname(surname);
  std::vector<KeyRun> runs;
  auto collect = [&](sqlite3_stmt* s) {
    while (sqlite3_step(s) == SQLITE_ROW) {
      runs.push_back({ColumnBytes(s, 0), sqlite3_column_int64(s, 1), sqlite3_column_int64(s, 2)});
    }
    sqlite3_reset(s);
  };
  switch (EffectiveMatchMode(options.mode, typed)) {
    case MatchMode::kExact: {
      const std::string key = KeyOf(typed);
      sqlite3_stmt* s = surname_.get();
      BindText(s, 1, key);
      if (!key.empty() && sqlite3_step(s) == SQLITE_ROW) {
        runs.push_back({key, sqlite3_column_int64(s, 0), sqlite3_column_int64(s, 1)});
      }
      sqlite3_reset(s);
      break;
    }
    case MatchMode::kWildcard: {
      std::string pattern = typed;
      UpperCaseAscii(&pattern);
      BindText(keysGlob_.get(), 1, pattern);
      collect(keysGlob_.get());
      break;
    }
    case MatchMode::kSoundex: {
      SoundexCode codes[kMaxSoundexCodes];
      const int n = SurnameSoundexCodes(typed, codes);
      if (n == 0) break;
      sqlite3_bind_int(keysSoundex_.get(), 1, codes[0]);
      sqlite3_bind_int(keysSoundex_.get(), 2, codes[n - 1]);
      collect(keysSoundex_.get());
      break;
    }
    case MatchMode::kSimilar:
      BindText(keysSimilar_.get(), 1, typed);
      collect(keysSimilar_.get());
      break;
    case MatchMode::kDaitchMokotoff:
      break;  // no case asks for it
  }
  PutOwnKeyFirst(typed, &runs);

  // The page's slots in the result's order, each with the run it belongs to.
  std::vector<std::pair<std::int64_t, std::size_t>> page;
  if (!options.filter.Active()) {
    for (std::size_t r = 0; r < runs.size(); ++r) {
      count_ += runs[r].count;
      for (std::int64_t i = 0; i < runs[r].count && page.size() < static_cast<std::size_t>(kRowsPerPage); ++i) {
        page.push_back({runs[r].first + i, r});
      }
    }
  } else {
    const EntryMatcher matcher(options.filter);
    sqlite3_stmt* s = runLines_.get();
    for (std::size_t r = 0; r < runs.size(); ++r) {
      sqlite3_bind_int64(s, 1, runs[r].first);
      sqlite3_bind_int64(s, 2, runs[r].first + runs[r].count);
      while (sqlite3_step(s) == SQLITE_ROW) {
        const auto* p = static_cast<const char*>(sqlite3_column_blob(s, 1));
        const std::string_view line(p ? p : "", p ? static_cast<std::size_t>(sqlite3_column_bytes(s, 1)) : 0);
        if (!matcher.Matches(line)) continue;
        ++count_;
        if (page.size() < static_cast<std::size_t>(kRowsPerPage)) page.push_back({sqlite3_column_int64(s, 0), r});
      }
      sqlite3_reset(s);
    }
  }

  LoadFoundRows(page, runs);
  Commit();
}

void TunedSqliteScreen::Roster(const RosterRequest& request) {
  count_ = 0;
  rows_.clear();
  first_ = runCount_ = 0;
  pageRank_ = pageStart_ = pageEnd_ = 0;
  found_ = true;
  filtered_ = false;
  if (!rosterTables || !Begin()) return;
  count_ = rosterTables->Count(request);
  std::vector<KeyRun> runs;
  std::vector<std::pair<std::int64_t, std::size_t>> page;
  for (RosterSlot& r : rosterTables->Slots(request, kRowsPerPage)) {
    runs.push_back({std::move(r.key), 0, 0});
    page.push_back({r.slot, runs.size() - 1});
  }
  LoadFoundRows(page, runs);
  Commit();
}

std::int64_t TunedSqliteScreen::RosterList(const RosterRequest& request, std::vector<std::string>* rows) {
  if (!rosterTables || !Begin()) return 0;
  std::int64_t bytes = 0;
  for (const auto& [slot, row] : rosterTables->Rows(request)) {
    const std::string surname = FoundRowSurname(slot.key);
    bytes += static_cast<std::int64_t>(surname.size() + row.name.size() + row.line.size());
    if (rows) rows->push_back(surname + "\t" + row.name + "\t" + row.line);
  }
  Commit();
  return bytes;
}

void TunedSqliteScreen::LoadFoundRows(const std::vector<std::pair<std::int64_t, std::size_t>>& page,
                                      const std::vector<KeyRun>& runs) {
  // The page's rows by rowid, put back in the result's order (the own key may come after others).
  sqlite3_stmt* s = slotPage_.get();
  for (int i = 0; i < kRowsPerPage; ++i) {
    if (i < static_cast<int>(page.size())) {
      sqlite3_bind_int64(s, i + 1, page[static_cast<std::size_t>(i)].first);
    } else {
      sqlite3_bind_null(s, i + 1);
    }
  }
  std::vector<SqliteRow> bySlot;
  while (!page.empty() && sqlite3_step(s) == SQLITE_ROW) bySlot.push_back(ReadRow(s));
  sqlite3_reset(s);
  for (const auto& [slot, run] : page) {
    const auto at = std::find_if(bySlot.begin(), bySlot.end(), [&](const SqliteRow& row) { return row.slot == slot; });
    if (at == bySlot.end()) continue;
    rows_.push_back(*at);
    rows_.back().surname = FoundRowSurname(runs[run].key);
  }
}

void TunedSqliteScreen::ScanGivenName(const std::string& prefix) {
  matches_.assign(static_cast<std::size_t>((std::max<std::int64_t>(runCount_, 0) + 63) / 64), 0);
  // A prefix of blanks also matches the names shorter than it, which the padding fills with
  // blanks: the range starts lower, and the rows are checked as padded names.
  const bool padded = !prefix.empty() && prefix.back() == ' ';
  std::string low = prefix;
  while (!low.empty() && low.back() == ' ') low.pop_back();
  const std::string high = PrefixEnd(prefix);
  sqlite3_stmt* s = padded ? givenChecked_.get() : high.empty() ? givenUnbounded_.get() : given_.get();
  sqlite3_bind_int64(s, 1, first_);
  BindText(s, 2, low);
  if (!high.empty()) BindText(s, 3, high);
  while (sqlite3_step(s) == SQLITE_ROW) {
    const std::int64_t offset = sqlite3_column_int64(s, 0) - first_;
    if (offset < 0 || offset >= runCount_) continue;
    if (padded) {
      std::string candidate = ColumnBytes(s, 1);
      candidate.resize(std::max(candidate.size(), prefix.size()), ' ');
      if (candidate.compare(0, prefix.size(), prefix) != 0) continue;
    }
    matches_[static_cast<std::size_t>(offset / 64)] |= std::uint64_t{1} << (offset % 64);
    ++count_;
  }
  sqlite3_reset(s);
}

void TunedSqliteScreen::LoadPage(std::int64_t start) {
  if (filtered_) {
    LoadFilteredPage(start);
    return;
  }
  rows_.clear();
  pageRank_ = pageStart_ = start;
  pageEnd_ = std::min(start + kRowsPerPage, runCount_);
  sqlite3_stmt* s = rangePage_.get();
  sqlite3_bind_int64(s, 1, first_ + pageStart_);
  sqlite3_bind_int64(s, 2, first_ + pageEnd_);
  while (sqlite3_step(s) == SQLITE_ROW) {
    rows_.push_back(ReadRow(s));
  }
  sqlite3_reset(s);
}

void TunedSqliteScreen::LoadFilteredPage(std::int64_t start) {
  // `start` is the offset in the run from which the page's matches are taken.
  rows_.clear();
  sqlite3_stmt* s = slotPage_.get();
  int bound = 0;
  std::int64_t offset = start;
  pageStart_ = -1;
  while (bound < kRowsPerPage && offset < runCount_) {
    const std::int64_t w = offset / 64;
    const std::uint64_t bits = matches_[static_cast<std::size_t>(w)] >> (offset % 64);
    if (bits == 0) {
      offset = (w + 1) * 64;
      continue;
    }
    offset += std::countr_zero(bits);
    if (pageStart_ < 0) pageStart_ = offset;
    sqlite3_bind_int64(s, ++bound, first_ + offset);
    ++offset;
  }
  pageEnd_ = offset;
  if (pageStart_ < 0) pageStart_ = pageEnd_;
  for (int i = bound; i < kRowsPerPage; ++i) sqlite3_bind_null(s, i + 1);
  while (bound > 0 && sqlite3_step(s) == SQLITE_ROW) {
    rows_.push_back(ReadRow(s));
  }
  sqlite3_reset(s);
}

void TunedSqliteScreen::NextPage() {
  if (found_ || !HasNextPage() || !Begin()) return;
  const std::int64_t rank = pageRank_ + static_cast<std::int64_t>(rows_.size());
  LoadPage(pageEnd_);
  pageRank_ = rank;
  Commit();
}

void TunedSqliteScreen::PreviousPage() {
  if (found_ || count_ <= 0 || !Begin()) return;
  const std::int64_t rank = std::max<std::int64_t>(pageRank_ - kRowsPerPage, 0);
  std::int64_t start = 0;
  if (!filtered_) {
    start = rank;
  } else if (rank > 0) {
    start = MatchBefore(pageStart_, pageRank_ - rank);
  }
  LoadPage(start);
  pageRank_ = rank;
  Commit();
}

std::int64_t TunedSqliteScreen::MatchBefore(std::int64_t limit, std::int64_t k) const {
  while (limit > 0) {
    const std::int64_t w = (limit - 1) / 64;
    const int top = static_cast<int>((limit - 1) % 64);
    std::uint64_t bits = matches_[static_cast<std::size_t>(w)] & (~std::uint64_t{0} >> (63 - top));
    const int here = std::popcount(bits);
    if (here >= k) {
      // Drop the k - 1 highest matches of the word; the highest left is the one.
      for (std::int64_t i = 1; i < k; ++i) bits &= ~(std::uint64_t{1} << (63 - std::countl_zero(bits)));
      return w * 64 + (63 - std::countl_zero(bits));
    }
    k -= here;
    limit = w * 64;
  }
  return 0;
}

std::string TunedSqliteScreen::DetailText(int row) {
  if (row < 0 || row >= static_cast<int>(rows_.size()) || !Begin()) return {};
  sqlite3_stmt* s = line_.get();
  sqlite3_bind_int64(s, 1, rows_[static_cast<std::size_t>(row)].slot);
  std::string line;
  if (sqlite3_step(s) == SQLITE_ROW) line = ColumnBytes(s, 0);
  sqlite3_reset(s);
  Commit();
  return DetailTextOfLine(line);
}

std::vector<std::string> TunedSqliteScreen::FormattedRows() const {
  std::vector<std::string> out;
  for (const SqliteRow& r : rows_) out.push_back(FormatRowText(found_ ? r.surname : displaySurname_, r.name, r.summary));
  return out;
}

std::string TunedSqliteScreen::GivenNamePlan() {
  Statement plan = Prepare(db_, (std::string("EXPLAIN QUERY PLAN ") + kGivenSql).c_str());
  std::string detail;
  while (plan && sqlite3_step(plan.get()) == SQLITE_ROW) detail += ColumnBytes(plan.get(), 3);
  return detail;
}
