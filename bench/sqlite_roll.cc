#include "sqlite_roll.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstring>

#include "line_summary.h"
#include "results/detail_text.h"
#include "results/result_list.h"
#include "roll_catalog.h"
#include "store/data_location.h"
#include "store/roll_database.h"

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

bool Exec(sqlite3* db, const char* sql, std::string* error) {
  char* message = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
  *error = std::string(sql) + ": " + (message ? message : "failed");
  sqlite3_free(message);
  return false;
}

std::string ColumnBytes(sqlite3_stmt* s, int column) {
  const void* p = sqlite3_column_blob(s, column);
  const int n = sqlite3_column_bytes(s, column);
  return p ? std::string(static_cast<const char*>(p), static_cast<std::size_t>(n)) : std::string();
}

std::string Upper(std::string s) {
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return s;
}

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

bool LoadSqliteRoll(const std::string& rollDirectory, const std::string& dbPath, std::string* error,
                    std::int64_t* rowsLoaded) {
  DataLocation location;
  location.SetDirectories(rollDirectory.c_str(), rollDirectory.c_str());
  RollDatabase roll(location);
  if (!roll.Open(1)) return *error = rollDirectory + ": no roll database", false;
  std::vector<SurnameRun> runs;
  if (!ListSurnameRuns(*roll.Index(), &runs)) return *error = rollDirectory + "mroll.tre: unreadable index", false;

  const std::string temporary = dbPath + ".tmp";
  std::remove(temporary.c_str());
  sqlite3* db = nullptr;
  if (sqlite3_open(temporary.c_str(), &db) != SQLITE_OK) {
    *error = temporary + ": " + sqlite3_errmsg(db);
    sqlite3_close(db);
    return false;
  }
  bool ok = Exec(db, "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF;", error) && Exec(db, kSchema, error) &&
            Exec(db, "BEGIN", error);
  sqlite3_stmt* insert = nullptr;
  if (ok && sqlite3_prepare_v2(db, "INSERT INTO entry VALUES (?1, ?2, ?3, ?4)", -1, &insert, nullptr) != SQLITE_OK) {
    *error = sqlite3_errmsg(db);
    ok = false;
  }
  std::int64_t count = 0;
  char line[kLineBufferSize];
  for (std::size_t r = 0; ok && r < runs.size(); ++r) {
    const SurnameRun& run = runs[r];
    for (std::int32_t s = run.firstSlot; ok && s < run.firstSlot + run.slotCount; ++s) {
      roll.ReadSlot(s);
      roll.ReadLine(roll.LineOffset(), line);
      sqlite3_bind_text(insert, 1, run.key.data(), static_cast<int>(run.key.size()), SQLITE_STATIC);
      sqlite3_bind_int64(insert, 2, s);
      sqlite3_bind_text(insert, 3, roll.CurrentName(), static_cast<int>(std::strlen(roll.CurrentName())), SQLITE_STATIC);
      sqlite3_bind_blob(insert, 4, line, static_cast<int>(std::strlen(line)), SQLITE_STATIC);
      if (sqlite3_step(insert) != SQLITE_DONE) {
        *error = sqlite3_errmsg(db);
        ok = false;
      }
      sqlite3_reset(insert);
      ++count;
    }
  }
  sqlite3_finalize(insert);
  ok = ok && Exec(db, "COMMIT", error) && Exec(db, kIndex, error) && Exec(db, "ANALYZE", error);
  if (sqlite3_close(db) != SQLITE_OK && ok) {
    *error = temporary + ": close failed";
    ok = false;
  }
  if (ok && std::rename(temporary.c_str(), dbPath.c_str()) != 0) {
    *error = dbPath + ": cannot be renamed into place";
    ok = false;
  }
  if (!ok) std::remove(temporary.c_str());
  if (rowsLoaded) *rowsLoaded = count;
  return ok;
}

SqliteSession::~SqliteSession() { Close(); }

bool SqliteSession::Open(const std::string& dbPath) {
  Close();
  if (sqlite3_open_v2(dbPath.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    Close();
    return false;
  }
  const struct {
    const char* sql;
    sqlite3_stmt** stmt;
  } statements[] = {{kCountSql, &count_}, {kPageSql, &page_}, {kCountGivenSql, &countGiven_},
                    {kPageGivenSql, &pageGiven_}, {kLineSql, &line_}};
  for (const auto& s : statements) {
    if (sqlite3_prepare_v3(db_, s.sql, -1, SQLITE_PREPARE_PERSISTENT, s.stmt, nullptr) != SQLITE_OK) {
      Close();
      return false;
    }
  }
  return true;
}

void SqliteSession::Close() {
  for (sqlite3_stmt** s : {&count_, &page_, &countGiven_, &pageGiven_, &line_}) {
    sqlite3_finalize(*s);
    *s = nullptr;
  }
  sqlite3_close(db_);
  db_ = nullptr;
}

void SqliteSession::Search(const std::string& surname, const std::string& given) {
  count = 0;
  rows.clear();
  pageOffset = 0;
  char key[kIndexKeySize] = {};
  if (surname.size() >= static_cast<std::size_t>(kIndexKeySize)) return;
  std::memcpy(key, surname.data(), surname.size());
  RollDatabase::NormaliseKey(key);
  key_ = key;
  displaySurname_ = Upper(surname).substr(0, kDisplaySurnameSize - 1);

  // The given name's leading letters, or its first character when it starts with none.
  prefix_.clear();
  if (!given.empty()) {
    const std::string upper = Upper(given);
    std::size_t n = 0;
    while (n < upper.size() && IsLetter(upper[n])) ++n;
    prefix_ = upper.substr(0, n == 0 ? 1 : n);
  }

  sqlite3_stmt* s = prefix_.empty() ? count_ : countGiven_;
  sqlite3_bind_text(s, 1, key_.data(), static_cast<int>(key_.size()), SQLITE_STATIC);
  if (!prefix_.empty()) {
    sqlite3_bind_int(s, 2, static_cast<int>(prefix_.size()));
    sqlite3_bind_text(s, 3, prefix_.data(), static_cast<int>(prefix_.size()), SQLITE_STATIC);
  }
  if (sqlite3_step(s) == SQLITE_ROW) count = sqlite3_column_int64(s, 0);
  sqlite3_reset(s);
  if (count > 0) LoadPage();
}

void SqliteSession::LoadPage() {
  rows.clear();
  sqlite3_stmt* s = prefix_.empty() ? page_ : pageGiven_;
  int p = 1;
  sqlite3_bind_text(s, p++, key_.data(), static_cast<int>(key_.size()), SQLITE_STATIC);
  if (!prefix_.empty()) {
    sqlite3_bind_int(s, p++, static_cast<int>(prefix_.size()));
    sqlite3_bind_text(s, p++, prefix_.data(), static_cast<int>(prefix_.size()), SQLITE_STATIC);
  }
  sqlite3_bind_int(s, p++, rowsPerPage);
  sqlite3_bind_int64(s, p++, pageOffset);
  while (sqlite3_step(s) == SQLITE_ROW) {
    SqliteRow row;
    row.slot = sqlite3_column_int64(s, 0);
    row.name = ColumnBytes(s, 1);
    row.line = ColumnBytes(s, 2);
    row.summary = RowSummary(row.line);
    rows.push_back(std::move(row));
  }
  sqlite3_reset(s);
}

void SqliteSession::NextPage() {
  if (!HasNextPage()) return;
  pageOffset += static_cast<std::int64_t>(rows.size());
  LoadPage();
}

void SqliteSession::PreviousPage() {
  pageOffset = pageOffset > rowsPerPage ? pageOffset - rowsPerPage : 0;
  LoadPage();
}

std::string SqliteSession::DetailText(int row) {
  if (row < 0 || row >= static_cast<int>(rows.size())) return {};
  sqlite3_bind_text(line_, 1, key_.data(), static_cast<int>(key_.size()), SQLITE_STATIC);
  sqlite3_bind_int64(line_, 2, rows[static_cast<std::size_t>(row)].slot);
  std::string line;
  if (sqlite3_step(line_) == SQLITE_ROW) line = ColumnBytes(line_, 0);
  sqlite3_reset(line_);
  // As the line reader hands it over: cut at 4,999 bytes and NUL-terminated.
  if (line.size() > kLineBufferSize - 1) line.resize(kLineBufferSize - 1);
  char text[kDetailTextSize];
  ComposeDetailText(line.c_str(), 1, text, sizeof text);
  return text;
}

std::vector<std::string> SqliteSession::FormattedRows() const {
  std::vector<std::string> out;
  for (const SqliteRow& r : rows) out.push_back(FormatRowText(displaySurname_, r.name, r.summary));
  return out;
}
