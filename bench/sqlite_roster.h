// A unit's roster on the SQLite side: what the tuned copy's engineer adds to answer it, and what
// the engineer who keeps aggregates adds beside that, both in one small file attached to the tuned
// copy (as `roster`):
//
//   CREATE TABLE unit_entry (slot INTEGER PRIMARY KEY, side INTEGER NOT NULL, unit TEXT NOT NULL,
//     company TEXT NOT NULL, key TEXT NOT NULL, given BLOB NOT NULL);
//   CREATE INDEX unit_entry_unit ON unit_entry (side, unit, company);
//     -- tuned: an entry's side, unit text and company as columns, with an index on them; the
//     -- roster is a range of that index, its rows read by rowid and sorted by the query
//   CREATE TABLE roster_order (side INTEGER NOT NULL, unit TEXT NOT NULL, no_company INTEGER NOT NULL,
//     company TEXT NOT NULL, key TEXT NOT NULL, given BLOB NOT NULL, slot INTEGER NOT NULL,
//     PRIMARY KEY (side, unit, no_company, company, key, given, slot)) WITHOUT ROWID;
//   CREATE TABLE roster_count (side INTEGER NOT NULL, unit TEXT NOT NULL, company TEXT NOT NULL,
//     count INTEGER NOT NULL, PRIMARY KEY (side, unit, company)) WITHOUT ROWID;
//     -- aggregates: every roster in its order (a page is the next rows of one range) and the
//     -- entries of each unit and company
//
// Only entries of side U or C with a unit text are there (no other is on any roster). The columns
// hold the engine's own readings, so every side orders and compares alike: `side` the side byte,
// `unit` the unit text (RosterUnitText), `company` the company (RosterCompany), `key` the index key
// the entry is filed under, `given` the name's folded form (FoldStoredName), which orders as the
// engine orders given names.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "sqlite_support.h"
#include "store/unit_roster.h"

// Loads the roster tables of the roll in `rollDirectory` into a new database at `dbPath`. False
// with *error on failure; `rows`, when given, gets the entries loaded.
bool LoadSqliteRoster(const std::string& rollDirectory, const std::string& dbPath, std::string* error,
                      std::int64_t* rows = nullptr);

// One roster row: its slot and the key it is filed under.
struct RosterSlot {
  std::int64_t slot = 0;
  std::string key;
};

// The roster statements of a connection with the roster file attached as `roster`.
class SqliteRoster {
 public:
  // Attaches `path` to `db` and prepares the statements: with `ordered`, the aggregates' (the
  // order table and the counts), else the tuned copy's (the index on side, unit and company).
  bool Open(sqlite3* db, const std::string& path, bool ordered);

  std::int64_t Count(const RosterRequest& request);
  // The roster's rows from the first, at most `limit` of them (-1: every one), in roster order.
  std::vector<RosterSlot> Slots(const RosterRequest& request, std::int64_t limit);
  // Every row of the roster in roster order with its key, name text and line, read by one query
  // joined to the copy's entries.
  std::vector<std::pair<RosterSlot, SqliteRow>> Rows(const RosterRequest& request);

 private:
  // The statement of `kind` bound to the request (0: the count, 1: the slots, 2: the rows).
  sqlite3_stmt* Bound(int kind, const RosterRequest& request, std::int64_t limit);

  // [kind][company]: one statement for the whole unit and one for a company.
  Statement statements[3][2];
  std::string boundUnit, boundCompany;  // what the statements are bound to
};
