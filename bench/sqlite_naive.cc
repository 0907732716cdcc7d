#include "sqlite_naive.h"

#include <sqlite3.h>

#include "line_summary.h"
#include "results/detail_text.h"
#include "results/result_list.h"
#include "roll_catalog.h"
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
                    {kLineSql, &lineStmt_}};
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
  for (Statement* s : {&countStmt_, &pageStmt_, &countGivenStmt_, &pageGivenStmt_, &lineStmt_}) s->reset();
  sqlite3_close(db_);
  db_ = nullptr;
}

void NaiveSqliteScreen::Search(const std::string& surname, const std::string& given) {
  count_ = 0;
  rows_.clear();
  pageOffset_ = 0;
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

void NaiveSqliteScreen::NextPage() {
  if (!HasNextPage()) return;
  pageOffset_ += static_cast<std::int64_t>(rows_.size());
  LoadPage();
}

void NaiveSqliteScreen::PreviousPage() {
  pageOffset_ = pageOffset_ > kRowsPerPage ? pageOffset_ - kRowsPerPage : 0;
  LoadPage();
}

std::string NaiveSqliteScreen::DetailText(int row) {
  if (row < 0 || row >= static_cast<int>(rows_.size())) return {};
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
  for (const SqliteRow& r : rows_) out.push_back(FormatRowText(displaySurname_, r.name, r.summary));
  return out;
}
