#include "research/log_schema.h"

#include <vector>

#include "platform/cp1252.h"
#include "research/sqlite_statement.h"
#include "store/roll_format.h"

namespace {

// The tables of version 2. The status words are those of research_types.h.
constexpr const char* kTables = R"sql(
CREATE TABLE searches (
  id INTEGER PRIMARY KEY,
  searched_at TEXT NOT NULL,
  roll_label TEXT NOT NULL DEFAULT '',
  roll_hash TEXT NOT NULL,
  surname TEXT NOT NULL,
  given_name TEXT NOT NULL DEFAULT '',
  match_mode TEXT NOT NULL DEFAULT 'exact',
  side TEXT NOT NULL DEFAULT '',
  state TEXT NOT NULL DEFAULT '',
  unit TEXT NOT NULL DEFAULT '',
  company TEXT NOT NULL DEFAULT '',
  result_count INTEGER NOT NULL CHECK (result_count >= 0),
  program TEXT NOT NULL DEFAULT ''
);
CREATE INDEX searches_by_surname ON searches (surname COLLATE NOCASE);
CREATE TABLE soldiers (
  id INTEGER PRIMARY KEY,
  saved_at TEXT NOT NULL,
  changed_at TEXT NOT NULL,
  roll_label TEXT NOT NULL DEFAULT '',
  roll_hash TEXT NOT NULL,
  index_key TEXT NOT NULL DEFAULT '',
  slot INTEGER NOT NULL DEFAULT -1,
  surname TEXT NOT NULL,
  name_text TEXT NOT NULL,
  line BLOB NOT NULL,
  status TEXT NOT NULL DEFAULT 'to do'
    CHECK (status IN ('to do', 'found', 'not this man', 'records ordered', 'done')),
  notes TEXT NOT NULL DEFAULT '',
  search_id INTEGER REFERENCES searches (id) ON DELETE SET NULL
);
CREATE UNIQUE INDEX soldiers_once ON soldiers (roll_hash, index_key, slot) WHERE slot >= 0;
CREATE TABLE soldier_changes (
  id INTEGER PRIMARY KEY,
  soldier_id INTEGER NOT NULL REFERENCES soldiers (id) ON DELETE CASCADE,
  changed_at TEXT NOT NULL,
  change TEXT NOT NULL CHECK (change IN ('saved', 'status', 'notes', 'status, notes')),
  status TEXT NOT NULL,
  notes TEXT NOT NULL
);
CREATE INDEX changes_of_soldier ON soldier_changes (soldier_id);
)sql";

// Version 1 to 2: the old tables set aside, the new ones made and filled from them (so that an
// upgraded log has exactly the layout of a new one), each saved soldier's one known state made
// the first entry of his history.
constexpr const char* kFromVersion1Before = R"sql(
ALTER TABLE searches RENAME TO searches_v1;
ALTER TABLE soldiers RENAME TO soldiers_v1;
)sql";
constexpr const char* kFromVersion1After = R"sql(
INSERT INTO searches (id, searched_at, roll_hash, surname, given_name, match_mode, result_count)
  SELECT id, searched_at, roll, surname, given_name, match_mode, max(result_count, 0) FROM searches_v1;
INSERT INTO soldiers (id, saved_at, changed_at, roll_hash, surname, name_text, line, status, notes)
  SELECT id, saved_at, saved_at, roll, surname, name_text, line, status, notes FROM soldiers_v1;
INSERT INTO soldier_changes (soldier_id, changed_at, change, status, notes)
  SELECT id, saved_at, 'saved', status, notes FROM soldiers;
DROP TABLE searches_v1;
DROP TABLE soldiers_v1;
)sql";

// Version 1 kept no index key: it is the one the surname makes.
bool FillIndexKeys(sqlite3* db) {
  Statement select(db, "SELECT id, surname FROM soldiers WHERE index_key = ''");
  Statement update(db, "UPDATE soldiers SET index_key = ?1 WHERE id = ?2");
  if (!select.Ok() || !update.Ok()) return false;
  std::vector<std::pair<std::int64_t, std::string>> keys;
  int step;
  while ((step = select.Step()) == SQLITE_ROW) {
    std::string bytes;
    std::size_t bad = 0;
    if (!Utf8ToCp1252(select.Text(1), &bytes, &bad)) continue;
    const std::string key = KeyOf(bytes);
    if (!key.empty()) keys.emplace_back(select.Int(0), Cp1252ToUtf8(key));
  }
  if (step != SQLITE_DONE) return false;
  for (const auto& [id, key] : keys) {
    update.Bind(1, key).Bind(2, id);
    if (!update.Run()) return false;
    update.Reset();
  }
  return true;
}

bool SetVersion(sqlite3* db) {
  const std::string sql = "PRAGMA application_id = " + std::to_string(kLogApplicationId) +
                          "; PRAGMA user_version = " + std::to_string(kLogVersion) + ";";
  return Execute(db, sql.c_str()) == SQLITE_OK;
}

}  // namespace

bool CreateLayout(sqlite3* db) { return Execute(db, kTables) == SQLITE_OK && SetVersion(db); }

bool UpgradeLayout(sqlite3* db, int from) {
  if (from != 1) return false;
  return Execute(db, kFromVersion1Before) == SQLITE_OK && Execute(db, kTables) == SQLITE_OK &&
         Execute(db, kFromVersion1After) == SQLITE_OK && FillIndexKeys(db) && SetVersion(db);
}
