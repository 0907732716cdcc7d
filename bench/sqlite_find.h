// What both SQLite copies share when a search looks beyond one exact key or narrows by the
// entries' fields: the keys found, in the order the rows are listed, and the SQL functions that
// put the engine's own rules for sounds-like, similar spelling and the field filters into a query.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "store/entry_filter.h"

struct sqlite3;

// A key a search found: the key as stored and its run of slots.
struct KeyRun {
  std::string key;
  std::int64_t first = 0;
  std::int64_t count = 0;
};

// Moves the typed surname's own key (when it was found) to the front; `runs` come in key order.
void PutOwnKeyFirst(std::string_view typed, std::vector<KeyRun>* runs);

// The surname a found row shows: its key's surname, cut as the screen cuts it.
std::string FoundRowSurname(std::string_view key);

// The typed surname as the engine matches it: blanks around it dropped.
std::string TrimmedSurname(std::string_view typed);

// Registers on `db`:
//   sounds_like(key, typed)  1 when a Soundex code of the key's surname is one of the typed's;
//   similar(key, typed)      the edit distance when within the allowed edits, else -1;
//   entry_passes(line)       whether the entry passes *matcher (set before each query).
// Every one uses the engine's own coding and matching functions, so all sides agree.
bool RegisterFindFunctions(sqlite3* db, const std::unique_ptr<EntryMatcher>* matcher);

// Loads the key catalogue of the roll in `rollDirectory` (the engine's own, with its codes) into a
// new database at `dbPath`, for the tuned copy to attach:
//   CREATE TABLE key_run (key TEXT PRIMARY KEY, bare TEXT NOT NULL, first INTEGER NOT NULL,
//     count INTEGER NOT NULL) WITHOUT ROWID;          -- bare: the key without its padding
//   CREATE INDEX key_run_bare ON key_run (bare);      -- GLOB patterns with a fixed start
//   CREATE TABLE key_soundex (code INTEGER NOT NULL, key TEXT NOT NULL, PRIMARY KEY (code, key))
//     WITHOUT ROWID;                                  -- every Soundex code of every key
bool LoadSqliteKeyCatalogue(const std::string& rollDirectory, const std::string& dbPath, std::string* error,
                            std::int64_t* keys = nullptr);
