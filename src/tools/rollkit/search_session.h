// One search as the viewer runs it, for search and show: the engine's own objects (DataLocation,
// RollDatabase, SearchRequest, ResultList) with no family directory (the filter buffer is a
// private file without a name, so nothing is left behind whatever ends the run). Nobody is asked
// for the disk: a missing marker ends the run with a line that names it. The database never makes
// a missing index, and what it or the list has to say is written to stderr, one line each.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "records/soldier_entry.h"
#include "results/result_list.h"
#include "store/data_location.h"
#include "store/key_catalogue.h"
#include "store/roll_database.h"
#include "tools/rollkit/commands.h"
#include "tools/rollkit/database_files.h"

class SearchSession {
 public:
  SearchSession();
  ~SearchSession();
  SearchSession(const SearchSession&) = delete;
  SearchSession& operator=(const SearchSession&) = delete;

  // Validates the arguments (UsageError), finds the data and runs the search with its first page
  // loaded, from the roll's companion in the user's cache too unless options.noCompanion. Returns
  // false when the search could not be made; the reason is on stderr already.
  bool Run(const SearchOptions& options);
  // Validates the roster's arguments (UsageError) as RunSearch's, finds the data and runs the
  // roster with its first page loaded; from the roll's companion in the user's cache unless
  // `noCompanion`. False when it could not be made; the reason is on stderr already.
  bool RunRoster(const RosterRequest& roster, const std::optional<std::string>& dataDirectory,
                 bool noCompanion, int rows);
  // Only finds the data directory and makes the engine's objects, without a search. False (the
  // reason on stderr) when there is no usable directory.
  bool OpenData(const std::optional<std::string>& dataDirectory);
  // Every surname of the opened roll (after OpenData); null, the reason on stderr, when its
  // files cannot be opened. *whole is false when the walk met a damaged tree: the catalogue then
  // holds only the keys that could be read.
  const KeyCatalogue* Catalogue(bool* whole);

  // Calls `visit(row)` for every row of every page, in listing order, paging forward with the
  // list's own next-page operation; stops early when `visit` returns false.
  void ForEachRow(const std::function<bool(int row)>& visit);

  // The surname row `row` of the current page lists: its own key's in an extended search, else
  // the searched one (the roll's bytes).
  std::string RowSurname(int row) const;
  // Row `row` of the current page as an entry (records/soldier_entry.h), its line read from the
  // roll.
  SoldierEntry RowEntry(int row);

  // The index file OpenData found, as it was named.
  const std::string& IndexFile() const { return indexFile; }

  ResultList& List() { return *list; }
  RollDatabase& Database() { return *database; }
  // Whether anything was said on stderr about the data (a damaged index, an incomplete list).
  bool MessageShown() const { return messageShown; }

 private:
  // Pages `answer` into the list, first page loaded, after saying on stderr why it has no rows or
  // that its index was found damaged; false when it has no rows for a reason.
  bool Show(SearchAnswer&& answer);
  // Says `text` (a message box's text) on stderr, its lines joined into one.
  void Say(const std::string& text);
  // Says what the list has to tell.
  void SayNotices();

  DataLocation location;
  std::unique_ptr<RollDatabase> database;
  std::unique_ptr<ResultList> list;
  std::string indexFile;
  bool messageShown = false;
};

// Every row of the session's result as search lists them, each field made visible
// (terminal_text.h) unless `raw`.
void WriteResultRows(SearchSession& session, bool raw);
// Every entry of the session's result as a CSV record after the header, or as a JSON array with
// one object a line (records/export_rows.h).
void WriteResultExport(SearchSession& session, bool csv);

// Writes `bytes` to standard output, converted to UTF-8 unless `raw`.
void WriteText(std::string_view bytes, bool raw);
// Flushes standard output; false (with a message) when anything failed to be written.
bool FinishOutput();
