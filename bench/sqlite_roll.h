// The roll as the obvious alternative would hold it: a SQLite table of one row per entry with an
// index on (key, slot), and a search screen over it that shows the same count, rows and detail
// text as the engine's result list.
//
//   CREATE TABLE entry (key TEXT, slot INTEGER, name TEXT, line BLOB);
//   CREATE INDEX entry_key_slot ON entry (key, slot);
//
// key is the surname's index key, slot the entry's slot number (its place in the result order),
// name the name text as stored, line the entry's whole line with its LF. Texts are the roll's
// bytes, unconverted.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// Loads the roll in `rollDirectory` (mroll.cor/.ext/.tre, read with the engine) into a new
// database at `dbPath` (written under a temporary name, renamed when complete). False with
// *error on failure. `rows`, when given, receives the number of rows loaded.
bool LoadSqliteRoll(const std::string& rollDirectory, const std::string& dbPath, std::string* error,
                    std::int64_t* rows = nullptr);

struct SqliteRow {
  std::int64_t slot = 0;
  std::string name;
  std::string line;
  std::string summary;
};

// One search screen over the SQLite roll: COUNT plus a page by LIMIT/OFFSET on the key, with the
// given name as a prefix match on the upper-cased name text.
class SqliteSession {
 public:
  SqliteSession() = default;
  ~SqliteSession();
  SqliteSession(const SqliteSession&) = delete;
  SqliteSession& operator=(const SqliteSession&) = delete;

  // Opens the database read-only and prepares the statements. False when either fails.
  bool Open(const std::string& dbPath);
  void Close();

  // The search as the screen runs it: `given` empty for a surname-only search.
  void Search(const std::string& surname, const std::string& given = "");
  void NextPage();
  void PreviousPage();
  bool HasNextPage() const { return pageOffset + static_cast<std::int64_t>(rows.size()) < count; }
  // The detail text of row `row` of the page (empty for an invalid row).
  std::string DetailText(int row);
  // The page as the result list formats it, one "surname\tname\tsummary" per row.
  std::vector<std::string> FormattedRows() const;

  std::int64_t count = 0;
  std::vector<SqliteRow> rows;
  int rowsPerPage = 10;

 private:
  void LoadPage();

  sqlite3* db_ = nullptr;
  sqlite3_stmt* count_ = nullptr;
  sqlite3_stmt* page_ = nullptr;
  sqlite3_stmt* countGiven_ = nullptr;
  sqlite3_stmt* pageGiven_ = nullptr;
  sqlite3_stmt* line_ = nullptr;
  std::string key_;
  std::string displaySurname_;
  std::string prefix_;  // empty for a surname-only search
  std::int64_t pageOffset = 0;
};
