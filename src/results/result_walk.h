// Every row of a result, read without touching the page a ResultList shows: an export, a print or
// the microfilm pull list goes through the whole result while the screen keeps its page, its
// selection and its filter buffer as they are.
//
// The walk reads the answer the list shows (store/search_answer.h), shared with it, and never runs
// the search again: each row is its slot read from the database, in listing order, with the
// surname the list shows for it and its whole line.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "store/roll_status.h"
#include "store/search_answer.h"

class ResultList;
class RollDatabase;

// One row of a result, in the roll's bytes (Windows-1252).
struct WalkedRow {
  std::string surname;   // the surname of the row's key, as the list shows it
  std::string nameText;  // the slot's name text, as the row holds it
  std::int32_t lineOffset = -1;
  std::string line;  // the entry's whole line as ReadLine gives it (LF included; "" for none)
};

enum class WalkStart {
  kReady,    // Next gives the rows
  kNoData,   // the disk prompt was cancelled or the roll could not be opened (Status says why)
  kChanged,  // the roll's files are not those the answer was read from: they changed since
};

class ResultWalk {
 public:
  // Walks the answer `shown` pages, reading through `database`; both must outlive the walk.
  ResultWalk(RollDatabase& database, const ResultList& shown);
  ~ResultWalk();
  ResultWalk(const ResultWalk&) = delete;
  ResultWalk& operator=(const ResultWalk&) = delete;

  // Runs the disk check, makes sure the roll is still the one the answer came from, and makes
  // the rows ready. Nothing to walk unless kReady.
  WalkStart Start();
  // Why Start gave kNoData (RollStatus::Ok for a cancelled disk prompt's silence, kNoDisk).
  const RollStatus& Status() const { return status; }
  // The rows Next gives after a successful Start: the answer's rows.
  std::int64_t Count() const { return count; }
  // The next row in listing order; false after the last (or before a successful Start).
  bool Next(WalkedRow* row);

 private:
  RollDatabase& database;
  std::shared_ptr<const SearchAnswer> answer;
  std::string displaySurname;  // what the rows of the plain search show
  bool ownSurnames = false;
  RollStatus status;
  bool ready = false;
  std::int64_t count = 0;
  std::int64_t position = 0;  // rows given so far
};

// Row `row` of the page `list` shows, its line read from `database`; false for no such row.
bool ReadPageRow(const ResultList& list, RollDatabase& database, int row, WalkedRow* out);
