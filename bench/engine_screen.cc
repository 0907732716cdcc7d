#include "engine_screen.h"

#include "results/result_walk.h"

EngineScreen::EngineScreen(const DataLocation& location, RollDialogue& dialogue)
    : database(location, dialogue), list(database, location.familyDirectory.get()) {
  list.SetRowsPerPage(false);
}

void EngineScreen::Search(const std::string& surname, const std::string& given) {
  list.Reset();
  request.SetSurname(surname.c_str());
  request.SetDatabase(1);
  if (!given.empty()) request.SetGivenName(given.c_str());
  list.ShowAfterReset(database.RunSearch(request));
}

// A Find and a roster empty the filter buffer once, when their answer is shown, as the viewer's do.
void EngineScreen::Find(const std::string& surname, const FindOptions& options) {
  request.SetSurname(surname.c_str());
  request.SetDatabase(1);
  list.Show(database.RunFind(request, options, {}));
}

void EngineScreen::Roster(const RosterRequest& asked) {
  list.Show(database.RunRoster(asked, {}));
}

std::int64_t EngineScreen::RosterList(const RosterRequest& asked, std::vector<std::string>* rows) {
  Roster(asked);
  // What rollkit and the viewer's exports do with a result: walk it, each row with its line.
  ResultWalk walk(database, list);
  if (walk.Start() != WalkStart::kReady) return 0;
  std::int64_t bytes = 0;
  WalkedRow row;
  while (walk.Next(&row)) {
    bytes += static_cast<std::int64_t>(row.surname.size() + row.nameText.size() + row.line.size());
    if (rows) rows->push_back(row.surname + "\t" + row.nameText + "\t" + row.line);
  }
  return bytes;
}

void EngineScreen::NextPage() {
  if (database.EnsureDataPresent()) list.NextPage();
}

void EngineScreen::PreviousPage() {
  if (database.EnsureDataPresent()) list.PreviousPage();
}

std::string EngineScreen::DetailText(int row) {
  if (row < 0 || row >= list.RowCount() || !database.EnsureDataPresent()) return {};
  return list.DetailText(row);
}

std::vector<std::string> EngineScreen::FormattedRows() const {
  std::vector<std::string> out;
  char text[kFormattedRowSize];
  for (int i = 0; i < list.RowCount(); ++i) {
    list.FormatRow(i, text);
    out.emplace_back(text);
  }
  return out;
}

int EngineScreen::PaintRows() const {
  // The painter's own buffer and no copies: what the view does at every paint.
  char text[kFormattedRowSize];
  int total = 0;
  for (int i = 0; i < list.RowCount(); ++i) total += list.FormatRow(i, text);
  return total;
}
