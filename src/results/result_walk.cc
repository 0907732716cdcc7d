#include "results/result_walk.h"

#include <cstring>

#include "results/result_list.h"
#include "store/roll_database.h"

namespace {

std::string Line(RollDatabase& database, std::int32_t lineOffset,
                 RollDatabase::ReadPattern pattern = RollDatabase::ReadPattern::kOnwards) {
  char line[kLineBufferSize];
  database.ReadLine(lineOffset, line, pattern);
  return std::string(line, strnlen(line, sizeof line));
}

std::string RowSurname(const ResultList& list, int row) {
  if (FoundSpan span; list.RowSpan(row, &span)) return std::string(span.surname);
  return list.DisplaySurname();
}

}  // namespace

ResultWalk::ResultWalk(RollDatabase& db, const ResultList& shown)
    : database(db),
      answer(shown.Answer()),
      displaySurname(shown.DisplaySurname()),
      ownSurnames(shown.IsFound()) {}

ResultWalk::~ResultWalk() = default;

WalkStart ResultWalk::Start() {
  ready = false;
  position = 0;
  status = {};
  count = answer ? answer->Count() : 0;
  if (!database.EnsureDataPresent(&status)) return WalkStart::kNoData;
  if (count == 0) {
    ready = true;
    return WalkStart::kReady;
  }
  if (!database.Open(answer->DatabaseNumber(), &status)) return WalkStart::kNoData;
  // Opened afresh since the answer was made: its slot numbers may mean other entries now.
  if (database.Generation() != answer->Generation()) return WalkStart::kChanged;
  ready = true;
  return WalkStart::kReady;
}

bool ResultWalk::Next(WalkedRow* row) {
  if (!ready || position >= count) return false;
  std::int32_t slot = -1;
  std::size_t span = 0;
  answer->At(position++, &slot, &span);
  // A walk goes through any answer: a roster's rows lie anywhere in the roll, and a surname's
  // stand together, where a scattered read near the last one fills the buffer whole anyway.
  database.ReadSlot(slot, RollDatabase::ReadPattern::kScattered);
  row->surname = ownSurnames ? std::string(answer->Span(span).surname) : displaySurname;
  // As a row holds it (and the filter buffer's record): at most 254 characters.
  row->nameText.assign(database.CurrentName(), strnlen(database.CurrentName(), kRowNameSize - 1));
  row->lineOffset = database.LineOffset();
  row->line = Line(database, row->lineOffset, RollDatabase::ReadPattern::kScattered);
  return true;
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
