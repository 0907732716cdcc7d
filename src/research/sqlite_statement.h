// SQLite's C interface in the few shapes the research log uses: an owned connection, a prepared
// statement that binds, steps and reads its columns, and a transaction that rolls back unless it
// was committed.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct ConnectionCloser {
  void operator()(sqlite3* db) const noexcept { sqlite3_close_v2(db); }
};
using Connection = std::unique_ptr<sqlite3, ConnectionCloser>;

class Statement {
 public:
  Statement() = default;
  // Prepares `sql` on `db`; Ok() tells whether it could be.
  Statement(sqlite3* db, const char* sql);

  bool Ok() const { return statement != nullptr; }
  // Parameters are numbered from 1. Texts and blobs are copied.
  Statement& Bind(int index, std::string_view text);
  Statement& BindBlob(int index, std::string_view bytes);
  Statement& Bind(int index, std::int64_t value);
  Statement& BindNull(int index);

  // SQLITE_ROW, SQLITE_DONE or an error code.
  int Step();
  // Steps once; true when the statement ran to its end (SQLITE_DONE).
  bool Run() { return Step() == SQLITE_DONE; }
  // Ready to run again, with its bindings cleared.
  void Reset();

  // Columns of the current row, numbered from 0; a NULL reads as "" or 0.
  std::string Text(int column) const;
  std::int64_t Int(int column) const;
  bool IsNull(int column) const;

 private:
  struct Finalizer {
    void operator()(sqlite3_stmt* s) const noexcept { sqlite3_finalize(s); }
  };
  std::unique_ptr<sqlite3_stmt, Finalizer> statement;
};

// Runs `sql` (any number of statements without results); the SQLite result code.
int Execute(sqlite3* db, const char* sql);

// One integer a query gives (PRAGMA user_version): false when it gives none.
bool QueryInt(sqlite3* db, const char* sql, std::int64_t* value, int* code = nullptr);
