// The roll as an engineer who knows SQLite would hold it for this screen, and the search screen
// over it.
//
//   CREATE TABLE roll (name_length INTEGER NOT NULL);              -- one row: the name file's L
//   CREATE TABLE surname (key TEXT PRIMARY KEY, first INTEGER NOT NULL, count INTEGER NOT NULL)
//     WITHOUT ROWID;                                               -- each key's run of slots
//   CREATE TABLE entry (slot INTEGER PRIMARY KEY, run INTEGER NOT NULL, name TEXT NOT NULL,
//     given TEXT NOT NULL, line BLOB NOT NULL);                    -- the slot is the rowid
//   CREATE INDEX entry_given ON entry (run, given);
//
// `run` is the first slot of the entry's surname: the surname's key as a small integer. `given` is
// upper(name), stored: this SQLite reads the table row for every match of an index on the
// expression upper(name), but none for an index on a column. A surname search reads the count
// from `surname` and its page by rowid range; a given-name search reads the matches' slots
// straight out of `entry_given` (a covering range scan: the rowid is in the index), keeps them in
// memory as a bit per slot of the run, and fetches each page's ten rows by rowid. Pages are found
// from the matches in memory, never by OFFSET.
//
// Find (a surname by pattern, by sound or by similar spelling, entries narrowed by their fields)
// reads the keys from the key catalogue's own small file, attached (sqlite_find.h), and tests a
// filter on each line of the keys' rowid ranges with the engine's field rules: the line column,
// no derived column. The first page's rows are then fetched by rowid.
//
// The connection is read-only without SQLite's connection mutex, maps the database into memory
// (mmap_size), keeps a 16 MiB page cache and its statements prepared, and runs every screen
// operation (a search, a page turn, More Info) in one read transaction.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "search_screen.h"
#include "sqlite_find.h"
#include "sqlite_roster.h"
#include "sqlite_support.h"

// Loads the roll in `rollDirectory` into a new database at `dbPath` (written under a temporary
// name, renamed when complete). False with *error on failure. `rows`, when given, receives the
// number of entries loaded.
bool LoadTunedSqliteRoll(const std::string& rollDirectory, const std::string& dbPath, std::string* error,
                         std::int64_t* rows = nullptr);

class TunedSqliteScreen : public SearchScreen {
 public:
  TunedSqliteScreen() = default;
  ~TunedSqliteScreen() override;
  TunedSqliteScreen(const TunedSqliteScreen&) = delete;
  TunedSqliteScreen& operator=(const TunedSqliteScreen&) = delete;

  // Opens the database read-only, sets up the connection and prepares the statements; with
  // `keysPath`, attaches that key catalogue (sqlite_find.h) for Find. False when any of it fails.
  bool Open(const std::string& dbPath, const std::string& keysPath = "");
  void Close();
  // Attaches the roster file (sqlite_roster.h): with `ordered`, its aggregates answer rosters, else
  // the tuned copy's index on side, unit and company. False when it cannot be attached.
  bool AttachRoster(const std::string& rosterPath, bool ordered);
  // Maps the database afresh: pages it had mapped are no longer held by this process, so the
  // operating system may drop them from its cache (the cold cases evict the file after this).
  void Remap();

  void Search(const std::string& surname, const std::string& given) override;
  void Find(const std::string& surname, const FindOptions& options) override;
  void Roster(const RosterRequest& request) override;
  std::int64_t RosterList(const RosterRequest& request, std::vector<std::string>* rows) override;
  bool HasRoster() const override { return rosterTables != nullptr; }
  void NextPage() override;
  void PreviousPage() override;
  bool HasNextPage() const override { return pageRank_ + static_cast<std::int64_t>(rows_.size()) < count_; }
  std::string DetailText(int row) override;
  std::int64_t Count() const override { return count_; }
  std::vector<std::string> FormattedRows() const override;

  // The plan SQLite chose for the given-name scan, as EXPLAIN QUERY PLAN details it.
  std::string GivenNamePlan();

 protected:
  // The rows of a Find's page (each slot with the position of its run in `runs`), in that order,
  // each named by its run's key.
  void LoadFoundRows(const std::vector<std::pair<std::int64_t, std::size_t>>& page, const std::vector<KeyRun>& runs);
  void ScanGivenName(const std::string& prefix);
  // Loads the page whose first row is the slot at offset `start` in the run (the first match at
  // or after it, for a given-name result).
  void LoadPage(std::int64_t start);
  void LoadFilteredPage(std::int64_t start);
  // The offset in the run of the k-th match (k >= 1) before offset `limit`; 0 when there are
  // fewer.
  std::int64_t MatchBefore(std::int64_t limit, std::int64_t k) const;
  bool Begin();
  void Commit();

  sqlite3* db_ = nullptr;
  Statement begin_, commit_, surname_, rangePage_, given_, givenUnbounded_, givenChecked_, slotPage_, line_;
  Statement keysGlob_, keysSoundex_, keysSimilar_, runLines_;  // with the key catalogue attached
  std::unique_ptr<SqliteRoster> rosterTables;
  bool found_ = false;  // the page is a Find's (or a roster's)
  std::int32_t nameLength_ = 0;
  std::int64_t mmapSize_ = 0;

  std::int64_t count_ = 0;
  std::vector<SqliteRow> rows_;
  std::string displaySurname_;
  std::int64_t first_ = 0;  // the surname's first slot
  std::int64_t runCount_ = 0;
  bool filtered_ = false;
  // Filtered: bit i set when slot first_ + i matches. The page's rank and the slot after it.
  std::vector<std::uint64_t> matches_;
  std::int64_t pageRank_ = 0;
  std::int64_t pageStart_ = 0;  // offset in the run of the page's first slot
  std::int64_t pageEnd_ = 0;    // offset in the run one past the page's last slot
};
