// The layout of the research log's database and how a log of an older layout is brought up to
// this one.
//
// A log is an SQLite database whose application_id is kLogApplicationId and whose user_version is
// the version of its layout. Version 2 (this program's):
//
//   searches        one row per search run: when (UTC, ISO 8601), the roll (volume label and
//                   index hash), the typed surname and given name, the match mode, the four
//                   filters and the count of entries found (zero too), the program that ran it
//   soldiers        one row per saved entry: the roll, index key, slot, surname, name text and the
//                   whole line (the roll's bytes, a blob), status, notes, when it was saved and last
//                   changed, the search that found him
//   soldier_changes one row per change to a saved soldier: when, what changed, and the status and
//                   notes after it
//
// Version 1, the first layout, kept only the searches' roll hash, surname, given name, mode and
// count, and the soldiers' roll hash, surname, name text, line, status and notes, with no history.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>

inline constexpr int kLogVersion = 2;
inline constexpr int kOldestLogVersion = 1;  // the oldest layout that can be brought up to date
inline constexpr std::int32_t kLogApplicationId = 0x44526C67;  // "DRlg"

// Makes the current layout in an empty database, inside the caller's transaction.
bool CreateLayout(sqlite3* db);

// Brings a log of layout `from` (kOldestLogVersion <= from < kLogVersion) to the current layout,
// inside the caller's transaction; the rows all kept. False when any step fails.
bool UpgradeLayout(sqlite3* db, int from);
