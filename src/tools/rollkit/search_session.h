// One search as the viewer runs it, for search and show: the engine's own objects (DataLocation,
// RollDatabase, SearchRequest, ResultList) with no family directory (the filter buffer is a
// private file without a name, so nothing is left behind whatever ends the run), with the message
// box answered on stderr. The data directory is checked first, so that the engine neither creates an
// index file nor ends the process on a malformed one.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/message_box.h"
#include "records/soldier_entry.h"
#include "results/result_list.h"
#include "store/data_location.h"
#include "store/key_catalogue.h"
#include "store/roll_database.h"
#include "tools/rollkit/commands.h"

class SearchSession {
 public:
  SearchSession();
  ~SearchSession();
  SearchSession(const SearchSession&) = delete;
  SearchSession& operator=(const SearchSession&) = delete;

  // Validates the arguments (UsageError), checks the data and runs the search with its first page
  // loaded. Returns false when the search could not be made; the reason is on stderr already.
  bool Run(const SearchOptions& options);
  // Only finds and checks the data directory and makes the engine's objects, without a search.
  // False (the reason on stderr) when there is no usable directory.
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
  // Whether the engine has shown a message (each one was written to stderr).
  bool MessageShown() const { return messageShown; }

 private:
  DataLocation location;
  std::unique_ptr<RollDatabase> database;
  std::unique_ptr<ResultList> list;
  std::unique_ptr<KeyCatalogue> catalogue;
  std::string indexFile;
  MessageBoxHandler previousHandler;
  bool messageShown = false;
};

// Writes `bytes` to standard output, converted to UTF-8 unless `raw`.
void WriteText(std::string_view bytes, bool raw);
// Flushes standard output; false (with a message) when anything failed to be written.
bool FinishOutput();
