#include "sqlite_support.h"

#include <sqlite3.h>

#include <cstdio>

#include "line_summary.h"
#include "results/result_list.h"
#include "store/roll_format.h"

void StatementFinalizer::operator()(sqlite3_stmt* s) const noexcept { sqlite3_finalize(s); }

bool Exec(sqlite3* db, const char* sql, std::string* error) {
  char* message = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
  *error = std::string(sql) + ": " + (message ? message : "failed");
  sqlite3_free(message);
  return false;
}

Statement Prepare(sqlite3* db, const char* sql) {
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) != SQLITE_OK) {
    sqlite3_finalize(s);
    return nullptr;
  }
  return Statement(s);
}

std::string ColumnBytes(sqlite3_stmt* s, int column) {
  const void* p = sqlite3_column_blob(s, column);
  const int n = sqlite3_column_bytes(s, column);
  return p ? std::string(static_cast<const char*>(p), static_cast<std::size_t>(n)) : std::string();
}

SqliteRow ReadRow(sqlite3_stmt* s) {
  SqliteRow row;
  row.slot = sqlite3_column_int64(s, 0);
  row.name = ColumnBytes(s, 1);
  row.line = ColumnBytes(s, 2);
  row.summary = RowSummary(row.line);
  return row;
}

bool BuildSqliteFile(const std::string& dbPath,
                     const std::function<bool(sqlite3* db, std::string* error)>& fill, std::string* error) {
  const std::string temporary = dbPath + ".tmp";
  std::remove(temporary.c_str());
  sqlite3* db = nullptr;
  bool ok = sqlite3_open(temporary.c_str(), &db) == SQLITE_OK;
  if (!ok) *error = temporary + ": " + sqlite3_errmsg(db);
  // Nothing else reads the copy while it is made, and a failed copy is thrown away whole.
  ok = ok && Exec(db, "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF;", error) && fill(db, error);
  if (sqlite3_close(db) != SQLITE_OK && ok) {
    *error = temporary + ": close failed";
    ok = false;
  }
  if (ok && std::rename(temporary.c_str(), dbPath.c_str()) != 0) {
    *error = dbPath + ": cannot be renamed into place";
    ok = false;
  }
  if (!ok) std::remove(temporary.c_str());
  return ok;
}

std::string RowSurname(const std::string& surname) {
  std::string text = surname;
  UpperCaseAscii(&text);
  return text.substr(0, kDisplaySurnameSize - 1);
}

std::string GivenNameLetters(const std::string& given) {
  std::string upper = given;
  UpperCaseAscii(&upper);
  std::size_t n = 0;
  while (n < upper.size() && upper[n] >= 'A' && upper[n] <= 'Z') ++n;
  return upper.substr(0, n == 0 ? 1 : n);
}

void BindText(sqlite3_stmt* s, int i, const std::string& text) {
  sqlite3_bind_text(s, i, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
}
