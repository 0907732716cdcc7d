#include "results/result_walk.h"

#include <cstring>

#include "results/result_list.h"
#include "store/roll_database.h"

namespace {

std::string Line(RollDatabase& database, std::int32_t lineOffset) {
  char line[kLineBufferSize];
  database.ReadLine(lineOffset, line);
  return std::string(line, strnlen(line, sizeof line));
}

std::string RowSurname(const ResultList& list, int row) {
  if (FoundSpan span; list.RowSpan(row, &span)) return std::string(span.surname);
  return list.DisplaySurname();
}

// Fills the database's list with `list` for as long as it lives, then the one before again.
class FillingList {
 public:
  FillingList(RollDatabase& db, ResultList& list, ResultList& previous) : database(db), before(previous) {
    database.SetResultList(&list);
  }
  ~FillingList() { database.SetResultList(&before); }
  FillingList(const FillingList&) = delete;
  FillingList& operator=(const FillingList&) = delete;

 private:
  RollDatabase& database;
  ResultList& before;
};

}  // namespace

ResultWalk::ResultWalk(RollDatabase& db, ResultList& list, const SearchRequest& last)
    : database(db), shown(list), request(last) {}

ResultWalk::~ResultWalk() = default;

WalkStart ResultWalk::Start() {
  ready = false;
  position = 0;
  pageRow = 0;
  count = shown.ResultCount() > 0 ? shown.ResultCount() : 0;
  if (!database.EnsureDataPresent()) return WalkStart::kNoData;
  if (shown.IsFound()) {
    if (!database.IsOpen() || shown.Found() == nullptr) return WalkStart::kNoData;
    ready = true;
    return WalkStart::kReady;
  }
  if (count == 0) {
    ready = true;
    return WalkStart::kReady;
  }
  own = std::make_unique<ResultList>(database, nullptr);
  {
    const FillingList filling(database, *own, shown);
    database.RunSearch(request);
  }
  if (!database.IsOpen()) return WalkStart::kNoData;
  own->FinishPendingWrites();
  if (own->ResultCount() != count) return WalkStart::kChanged;
  ready = true;
  return WalkStart::kReady;
}

bool ResultWalk::Next(WalkedRow* row) {
  if (!ready || position >= count) return false;
  const bool got = shown.IsFound() ? NextFound(row) : NextListed(row);
  if (got) ++position;
  return got;
}

bool ResultWalk::NextFound(WalkedRow* row) {
  const FindResult* found = shown.Found();
  if (found == nullptr || position >= found->Count()) return false;
  std::int32_t slot = -1;
  std::size_t span = 0;
  found->At(position, &slot, &span);
  database.ReadSlot(slot);
  row->surname = std::string(found->Span(span).surname);
  row->nameText = database.CurrentName();
  row->lineOffset = database.LineOffset();
  row->line = Line(database, row->lineOffset);
  return true;
}

bool ResultWalk::NextListed(WalkedRow* row) {
  if (pageRow >= own->RowCount()) {
    // Every page but the last is full, so a page turn that brings no row ends the walk.
    if (!own->HasNextPage()) return false;
    own->NextPage();
    pageRow = 0;
    if (own->RowCount() == 0) return false;
  }
  return ReadPageRow(*own, database, pageRow++, row);
}

bool ReadPageRow(const ResultList& list, RollDatabase& database, int row, WalkedRow* out) {
  if (row < 0 || row >= list.RowCount()) return false;
  const ResultRow& r = list.Row(row);
  out->surname = RowSurname(list, row);
  out->nameText = r.nameText;
  out->lineOffset = r.lineOffset;
  out->line = Line(database, r.lineOffset);
  return true;
}
