// What the benchmarks drive on every side: the search screen's operations, whatever answers them
// (the engine's objects or one of the SQLite copies of the roll). Every side must show the same
// count, page and detail text for the same operations; the suite checks that before it times.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/roll_dialogue.h"
#include "store/search_answer.h"
#include "store/unit_roster.h"

// The benchmarks read rolls that are there: nobody is asked for a disk, and a missing marker lets
// the operation go on, as a prompt that cannot be shown does.
inline RollDialogue& NoPromptDialogue() {
  static UnattendedDialogue dialogue(0);
  return dialogue;
}

class SearchScreen {
 public:
  virtual ~SearchScreen() = default;

  // A search as the Search command runs it; `given` empty for a surname-only search. The first
  // page is loaded, with its rows' summaries.
  virtual void Search(const std::string& surname, const std::string& given) = 0;
  // A search that finds surnames in another way than by their exact key, or narrows the entries
  // by their fields, as the Find commands run it: the first page is loaded, each row showing its
  // own surname. Only that first page is compared and timed: a page turn after it does nothing on
  // the SQLite sides.
  virtual void Find(const std::string& surname, const FindOptions& options) = 0;
  // A unit's roster as the screen shows it: the first page loaded, each row showing its own
  // surname. Nothing on a side that keeps nothing to answer it (HasRoster).
  virtual void Roster(const RosterRequest& request) { (void)request; }
  // Every row of the roster in its order, as an export or a printed list takes it: the surname the
  // row shows, the name text and the whole line. Each row as "surname\tname\tline" into `rows`
  // when given; returns the bytes of the rows.
  virtual std::int64_t RosterList(const RosterRequest& request, std::vector<std::string>* rows) {
    (void)request;
    (void)rows;
    return 0;
  }
  virtual bool HasRoster() const { return false; }
  // What the screen does once the page is on screen, before it takes the next input (the engine
  // writes a given-name search's matches to its filter buffer then). Nothing by default.
  virtual void Settle() {}
  // The page after / before the current one (the first page again before the first).
  virtual void NextPage() = 0;
  virtual void PreviousPage() = 0;
  virtual bool HasNextPage() const = 0;
  // More Info on row `row` of the page: its detail text ("" for a row not on the page).
  virtual std::string DetailText(int row) = 0;

  // The result's size as the count line shows it.
  virtual std::int64_t Count() const = 0;
  // The page as the painter formats it, one "surname\tname\tsummary" per row.
  virtual std::vector<std::string> FormattedRows() const = 0;
  // What the painter does after every page load: format each row. Returns the characters
  // formatted, so that the work cannot be optimised away.
  virtual int PaintRows() const;
};
