// Every row of a result, read without touching the page a ResultList shows: an export, a print or
// the microfilm pull list goes through the whole result while the screen keeps its page, its
// selection and its filter buffer as they are.
//
// Found mode is read straight from the list's FindResult. Range and filtered mode keep their slot
// range inside the list, so the walk runs the list's last search again into a list of its own
// (with a private filter buffer) and pages through that one. The database fills the walk's list
// for that one search and the shown list again right after it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "store/search_request.h"

class ResultList;
class RollDatabase;

// One row of a result, in the roll's bytes (Windows-1252).
struct WalkedRow {
  std::string surname;   // the surname of the row's key, as the list shows it
  std::string nameText;  // the slot's name text
  std::int32_t lineOffset = -1;
  std::string line;  // the entry's whole line as ReadLine gives it (LF included; "" for none)
};

enum class WalkStart {
  kReady,    // Next gives the rows
  kNoData,   // the disk prompt was cancelled or the roll could not be opened
  kChanged,  // the search run again finds another number of entries: the roll changed since
};

class ResultWalk {
 public:
  // `shown` is the list `database` fills (its SetResultList); `request` is the request of the
  // shown list's last search. All three must outlive the walk.
  ResultWalk(RollDatabase& database, ResultList& shown, const SearchRequest& request);
  ~ResultWalk();
  ResultWalk(const ResultWalk&) = delete;
  ResultWalk& operator=(const ResultWalk&) = delete;

  // Runs the disk check and makes the rows ready. Nothing to walk unless kReady.
  WalkStart Start();
  // The rows Next gives after a successful Start: the shown list's ResultCount (0 when negative).
  std::int64_t Count() const { return count; }
  // The next row in listing order; false after the last (or before a successful Start).
  bool Next(WalkedRow* row);

 private:
  bool NextFound(WalkedRow* row);
  bool NextListed(WalkedRow* row);

  RollDatabase& database;
  ResultList& shown;
  SearchRequest request;
  std::unique_ptr<ResultList> own;  // range and filtered mode: the search run again
  bool ready = false;
  std::int64_t count = 0;
  std::int64_t position = 0;  // rows given so far
  int pageRow = 0;            // the next row of the own list's page
};

// Row `row` of the page `list` shows, its line read from `database`; false for no such row.
bool ReadPageRow(const ResultList& list, RollDatabase& database, int row, WalkedRow* out);
