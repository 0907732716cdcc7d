// The roll as the obvious first schema holds it: a SQLite table of one row per entry with an
// index on (key, slot), and a search screen over it that counts with count(*), filters given names
// with an expression no index serves and pages with OFFSET.
//
//   CREATE TABLE entry (key TEXT, slot INTEGER, name TEXT, line BLOB);
//   CREATE INDEX entry_key_slot ON entry (key, slot);
//
// key is the surname's index key, slot the entry's slot number (its place in the result order),
// name the name text as stored, line the entry's whole line with its LF. Texts are the roll's
// bytes, unconverted. The connection runs with SQLite's default settings.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "search_screen.h"
#include "sqlite_support.h"
#include "store/entry_filter.h"

// Loads the roll in `rollDirectory` (mroll.cor/.ext/.tre, read with the engine) into a new
// database at `dbPath` (written under a temporary name, renamed when complete). False with
// *error on failure. `rows`, when given, receives the number of rows loaded.
bool LoadNaiveSqliteRoll(const std::string& rollDirectory, const std::string& dbPath, std::string* error,
                         std::int64_t* rows = nullptr);

class NaiveSqliteScreen : public SearchScreen {
 public:
  NaiveSqliteScreen() = default;
  ~NaiveSqliteScreen() override;
  NaiveSqliteScreen(const NaiveSqliteScreen&) = delete;
  NaiveSqliteScreen& operator=(const NaiveSqliteScreen&) = delete;

  // Opens the database read-only and prepares the statements. False when either fails.
  bool Open(const std::string& dbPath);
  void Close();

  void Search(const std::string& surname, const std::string& given) override;
  void Find(const std::string& surname, const FindOptions& options) override;
  void NextPage() override;
  void PreviousPage() override;
  bool HasNextPage() const override { return pageOffset_ + static_cast<std::int64_t>(rows_.size()) < count_; }
  std::string DetailText(int row) override;
  std::int64_t Count() const override { return count_; }
  std::vector<std::string> FormattedRows() const override;

 private:
  void LoadPage();

  sqlite3* db_ = nullptr;
  Statement countStmt_, pageStmt_, countGivenStmt_, pageGivenStmt_, lineStmt_;
  Statement keysStmt_, keysGlobStmt_, keysSoundexStmt_, keysSimilarStmt_, filteredStmt_;
  std::unique_ptr<EntryMatcher> matcher_;  // the filter of the current Find (entry_passes)
  bool found_ = false;                     // the page is a Find's
  std::int64_t count_ = 0;
  std::vector<SqliteRow> rows_;
  std::string key_;
  std::string displaySurname_;
  std::string prefix_;  // empty for a surname-only search
  std::int64_t pageOffset_ = 0;
};
