// The engine's objects of one search screen (RollDatabase, SearchRequest, ResultList), driven as
// the view's commands drive them: a search fills the request and runs it; a page turn and More
// Info run the disk check first.
#pragma once

#include "results/result_list.h"
#include "search_screen.h"
#include "store/data_location.h"
#include "store/roll_database.h"
#include "store/search_request.h"

class EngineScreen : public SearchScreen {
 public:
  // A new screen: the result list's construction empties its filter buffer, as the view's does.
  // The disk prompt goes to `dialogue` (by default nobody answers it: the run goes on).
  explicit EngineScreen(const DataLocation& location, RollDialogue& dialogue = NoPromptDialogue());

  void Search(const std::string& surname, const std::string& given) override;
  void Find(const std::string& surname, const FindOptions& options) override;
  void Roster(const RosterRequest& request) override;
  std::int64_t RosterList(const RosterRequest& request, std::vector<std::string>* rows) override;
  bool HasRoster() const override { return true; }
  void Settle() override { list.FinishPendingWrites(); }
  void NextPage() override;
  void PreviousPage() override;
  bool HasNextPage() const override { return list.HasNextPage() != 0; }
  std::string DetailText(int row) override;
  std::int64_t Count() const override { return list.ResultCount(); }
  std::vector<std::string> FormattedRows() const override;
  int PaintRows() const override;

  RollDatabase database;
  SearchRequest request;
  ResultList list;
};
