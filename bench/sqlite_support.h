// What both SQLite copies of the roll share: statement handles, the copy's construction under a
// temporary name, and the search screen's rules for turning typed names into what is compared.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

struct StatementFinalizer {
  void operator()(sqlite3_stmt* s) const noexcept;
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

// One row of a page on a SQLite side: the entry's slot, name text and line, and the summary
// computed from the line as the line reader would have.
struct SqliteRow {
  std::int64_t slot = 0;
  std::string name;
  std::string line;
  std::string summary;
  std::string surname;  // a found row's own surname (sqlite_find.h); "" for a search's rows
};

// The current row of `s`, whose first three columns are the slot, the name and the line.
SqliteRow ReadRow(sqlite3_stmt* s);

// Runs `sql` (one or more statements); false with *error naming the statement on failure.
bool Exec(sqlite3* db, const char* sql, std::string* error);
// Prepares `sql` to be kept for the connection's life; null on failure.
Statement Prepare(sqlite3* db, const char* sql);
// Column `column` of the current row as bytes (a text or a blob, NULs and all).
std::string ColumnBytes(sqlite3_stmt* s, int column);
// Binds `text` to parameter i without a copy: it must outlive the statement's next step.
void BindText(sqlite3_stmt* s, int i, const std::string& text);

// Makes the database at `dbPath`: `fill` runs on a new database at `dbPath`.tmp, which is renamed
// into place only when `fill` succeeded and the database was closed cleanly. False with *error
// (and nothing left behind, neither the temporary nor a half-made database) on failure.
bool BuildSqliteFile(const std::string& dbPath,
                     const std::function<bool(sqlite3* db, std::string* error)>& fill, std::string* error);

// The surname as every row shows it: upper-cased (a-z only), cut to 29 characters.
std::string RowSurname(const std::string& surname);
// The leading letters of the typed given name, upper-cased; its first character when it starts
// with none. The engine's scan compares this many characters of each name.
std::string GivenNameLetters(const std::string& given);
