#include "sqlite_naive.h"

#include <sqlite3.h>

#include "line_summary.h"
#include "results/detail_text.h"
#include "results/result_list.h"
#include "roll_catalog.h"
#include "sqlite_find.h"
#include "store/roll_format.h"

namespace {

constexpr const char* kSchema =
    "CREATE TABLE entry (key TEXT NOT NULL, slot INTEGER NOT NULL, name TEXT NOT NULL, line BLOB NOT NULL);";
constexpr const char* kIndex = "CREATE INDEX entry_key_slot ON entry (key, slot);";

constexpr const char* kCountSql = "SELECT count(*) FROM entry WHERE key = ?1";
constexpr const char* kPageSql =
    "SELECT slot, name, line FROM entry WHERE key = ?1 ORDER BY slot LIMIT ?2 OFFSET ?3";
constexpr const char* kCountGivenSql =
    "SELECT count(*) FROM entry WHERE key = ?1 AND substr(upper(name), 1, ?2) = ?3";
constexpr const char* kPageGivenSql =
    "SELECT slot, name, line FROM entry WHERE key = ?1 AND substr(upper(name), 1, ?2) = ?3 "
    "ORDER BY slot LIMIT ?4 OFFSET ?5";
constexpr const char* kLineSql = "SELECT line FROM entry WHERE key = ?1 AND slot = ?2";

// The plain ways to find keys: GLOB on the trimmed key, a user function for sounds-like and for
// similar spelling (sqlite_find.h), each over every entry of the roll, grouped by key.
constexpr const char* kKeysSql =
    "SELECT key, min(slot), count(*) FROM entry WHERE key = ?1 GROUP BY key ORDER BY key";
constexpr const char* kKeysGlobSql =
    "SELECT key, min(slot), count(*) FROM entry WHERE rtrim(key) GLOB ?1 GROUP BY key ORDER BY key";
constexpr const char* kKeysSoundexSql =
    "SELECT key, min(slot), count(*) FROM entry WHERE sounds_like(key, ?1) GROUP BY key ORDER BY key";
constexpr const char* kKeysSimilarSql =
    "SELECT key, min(slot), count(*) FROM entry WHERE similar(key, ?1) >= 0 GROUP BY key ORDER BY key";
// A filter tests each entry's line with the engine's own field rules.
constexpr const char* kFilteredSql =
    "SELECT slot, name, line FROM entry WHERE key = ?1 AND entry_passes(line) ORDER BY slot";

constexpr int kRowsPerPage = kMaxRowsPerPage;

}  // namespace

bool LoadNaiveSqliteRoll(const std::string& rollDirectory, const std::string& dbPath, std::string* error,
                         std::int64_t* rowsLoaded) {
  std::int64_t count = 0;
  const bool ok = BuildSqliteFile(
      dbPath,
      [&](sqlite3* db, std::string* why) {
        if (!Exec(db, kSchema, why) || !Exec(db, "BEGIN", why)) return false;
        Statement insert = Prepare(db, "INSERT INTO entry VALUES (?1, ?2, ?3, ?4)");
        if (!insert) return *why = sqlite3_errmsg(db), false;
        sqlite3_stmt* s = insert.get();
        const bool loaded = VisitRollEntries(
            rollDirectory,
            [&](const RollEntry& e) {
              sqlite3_bind_text(s, 1, e.run->key.data(), static_cast<int>(e.run->key.size()), SQLITE_STATIC);
              sqlite3_bind_int64(s, 2, e.slot);
              sqlite3_bind_text(s, 3, e.name.data(), static_cast<int>(e.name.size()), SQLITE_STATIC);
              sqlite3_bind_blob(s, 4, e.line.data(), static_cast<int>(e.line.size()), SQLITE_STATIC);
              const bool stepped = sqlite3_step(s) == SQLITE_DONE;
              sqlite3_reset(s);
              if (!stepped) *why = sqlite3_errmsg(db);
              ++count;
              return stepped;
            },
            why);
        return loaded && Exec(db, "COMMIT", why) && Exec(db, kIndex, why) && Exec(db, "ANALYZE", why);
      },
      error);
  if (rowsLoaded) *rowsLoaded = count;
  return ok;
}

NaiveSqliteScreen::~NaiveSqliteScreen() { Close(); }

bool NaiveSqliteScreen::Open(const std::string& dbPath) {
  Close();
  if (sqlite3_open_v2(dbPath.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    Close();
    return false;
  }
  const struct {
    const char* sql;
    Statement* stmt;
  } statements[] = {{kCountSql, &countStmt_},
                    {kPageSql, &pageStmt_},
                    {kCountGivenSql, &countGivenStmt_},
                    {kPageGivenSql, &pageGivenStmt_},
                    {kLineSql, &lineStmt_},
                    {kKeysSql, &keysStmt_},
                    {kKeysGlobSql, &keysGlobStmt_},
                    {kKeysSoundexSql, &keysSoundexStmt_},
                    {kKeysSimilarSql, &keysSimilarStmt_},
                    {kFilteredSql, &filteredStmt_}};
  if (!RegisterFindFunctions(db_, &matcher_)) {
    Close();
    return false;
  }
  for (const auto& s : statements) {
    *s.stmt = Prepare(db_, s.sql);
    if (!*s.stmt) {
      Close();
      return false;
    }
  }
  return true;
}

void NaiveSqliteScreen::Close() {
  for (Statement* s : {&countStmt_, &pageStmt_, &countGivenStmt_, &pageGivenStmt_, &lineStmt_, &keysStmt_,
                       &keysGlobStmt_, &keysSoundexStmt_, &keysSimilarStmt_, &filteredStmt_}) {
    s->reset();
  }
  sqlite3_close(db_);
  db_ = nullptr;
}

void NaiveSqliteScreen::Search(const std::string& surname, const std::string& given) {
  count_ = 0;
  rows_.clear();
  pageOffset_ = 0;
  found_ = false;
  key_ = KeyOf(surname);
  if (key_.empty()) return;
  displaySurname_ = RowSurname(surname);
  prefix_ = given.empty() ? std::string() : GivenNameLetters(given);

  sqlite3_stmt* s = prefix_.empty() ? countStmt_.get() : countGivenStmt_.get();
  sqlite3_bind_text(s, 1, key_.data(), static_cast<int>(key_.size()), SQLITE_STATIC);
  if (!prefix_.empty()) {
    sqlite3_bind_int(s, 2, static_cast<int>(prefix_.size()));
    sqlite3_bind_text(s, 3, prefix_.data(), static_cast<int>(prefix_.size()), SQLITE_STATIC);
  }
  if (sqlite3_step(s) == SQLITE_ROW) count_ = sqlite3_column_int64(s, 0);
  sqlite3_reset(s);
  if (count_ > 0) LoadPage();
}

void NaiveSqliteScreen::LoadPage() {
  rows_.clear();
  sqlite3_stmt* s = prefix_.empty() ? pageStmt_.get() : pageGivenStmt_.get();
  int p = 1;
  sqlite3_bind_text(s, p++, key_.data(), static_cast<int>(key_.size()), SQLITE_STATIC);
  if (!prefix_.empty()) {
    sqlite3_bind_int(s, p++, static_cast<int>(prefix_.size()));
    sqlite3_bind_text(s, p++, prefix_.data(), static_cast<int>(prefix_.size()), SQLITE_STATIC);
  }
  sqlite3_bind_int(s, p++, kRowsPerPage);
  sqlite3_bind_int64(s, p++, pageOffset_);
  while (sqlite3_step(s) == SQLITE_ROW) {
    rows_.push_back(ReadRow(s));
  }
  sqlite3_reset(s);
}

void NaiveSqliteScreen::Find(const std::string& surname, const FindOptions& options) {
  count_ = 0;
  rows_.clear();
  pageOffset_ = 0;
  found_ = true;
  const std::string typed = TrimmedSurname(surname);
  sqlite3_stmt* keys = nullptr;
  std::string bound = typed;
  switch (EffectiveMatchMode(options.mode, typed)) {
    case MatchMode::kExact:
      keys = keysStmt_.get();
      bound = KeyOf(typed);
      break;
    case MatchMode::kWildcard:
      keys = keysGlobStmt_.get();
      UpperCaseAscii(&bound);
      break;
    case MatchMode::kSoundex:
      keys = keysSoundexStmt_.get();
      break;
    case MatchMode::kSimilar:
      keys = keysSimilarStmt_.get();
      break;
    case MatchMode::kDaitchMokotoff:
      return;  // no case asks for it
  }
  std::vector<KeyRun> runs;
  sqlite3_bind_text(keys, 1, bound.data(), static_cast<int>(bound.size()), SQLITE_STATIC);
  while (sqlite3_step(keys) == SQLITE_ROW) {
    runs.push_back({ColumnBytes(keys, 0), sqlite3_column_int64(keys, 1), sqlite3_column_int64(keys, 2)});
  }
  sqlite3_reset(keys);
  PutOwnKeyFirst(typed, &runs);

  matcher_ = options.filter.Active() ? std::make_unique<EntryMatcher>(options.filter) : nullptr;
  for (const KeyRun& run : runs) {
    const std::string surnameShown = FoundRowSurname(run.key);
    sqlite3_stmt* s = matcher_ ? filteredStmt_.get() : pageStmt_.get();
    if (!matcher_) {
      count_ += run.count;
      if (rows_.size() >= static_cast<std::size_t>(kRowsPerPage)) continue;
    }
    sqlite3_bind_text(s, 1, run.key.data(), static_cast<int>(run.key.size()), SQLITE_STATIC);
    if (!matcher_) {
      sqlite3_bind_int(s, 2, kRowsPerPage - static_cast<int>(rows_.size()));
      sqlite3_bind_int64(s, 3, 0);
    }
    while (sqlite3_step(s) == SQLITE_ROW) {
      if (matcher_) ++count_;
      if (rows_.size() < static_cast<std::size_t>(kRowsPerPage)) {
        rows_.push_back(ReadRow(s));
        rows_.back().surname = surnameShown;
      }
    }
    sqlite3_reset(s);
  }
}

void NaiveSqliteScreen::NextPage() {
  if (!HasNextPage() || found_) return;
  pageOffset_ += static_cast<std::int64_t>(rows_.size());
  LoadPage();
}

void NaiveSqliteScreen::PreviousPage() {
  if (found_) return;
  pageOffset_ = pageOffset_ > kRowsPerPage ? pageOffset_ - kRowsPerPage : 0;
  LoadPage();
}

std::string NaiveSqliteScreen::DetailText(int row) {
  if (row < 0 || row >= static_cast<int>(rows_.size())) return {};
  if (found_) return DetailTextOfLine(rows_[static_cast<std::size_t>(row)].line);
  sqlite3_stmt* s = lineStmt_.get();
  sqlite3_bind_text(s, 1, key_.data(), static_cast<int>(key_.size()), SQLITE_STATIC);
  sqlite3_bind_int64(s, 2, rows_[static_cast<std::size_t>(row)].slot);
  std::string line;
  if (sqlite3_step(s) == SQLITE_ROW) line = ColumnBytes(s, 0);
  sqlite3_reset(s);
  return DetailTextOfLine(line);
}

std::vector<std::string> NaiveSqliteScreen::FormattedRows() const {
  std::vector<std::string> out;
  for (const SqliteRow& r : rows_) out.push_back(FormatRowText(found_ ? r.surname : displaySurname_, r.name, r.summary));
  return out;
}
