#include "answer_bound.h"

#include <cstring>

#include "engine_screen.h"
#include "results/result_walk.h"
#include "roll_catalog.h"
#include "store/roll_format.h"

namespace {

std::int64_t PageLines(EngineScreen& screen) {
  std::int64_t total = 0;
  char line[kLineBufferSize];
  for (int i = 0; i < screen.list.RowCount(); ++i) {
    screen.database.ReadLine(screen.list.Row(i).lineOffset, line);
    total += static_cast<std::int64_t>(std::strlen(line));
  }
  return total;
}

}  // namespace

AnswerBytes SearchAnswerBytes(EngineScreen& screen, const std::string& surname, bool filtered) {
  AnswerBytes a;
  RollIndex* index = screen.database.Index();
  const std::string key = KeyOf(surname);
  if (!index || key.empty()) return a;
  a.nodes = static_cast<std::int64_t>(LookupDepth(*index, key)) * kIndexNodeSize;
  std::int32_t first = -1, count = 0;
  index->Lookup(key.c_str(), &first, &count);
  const std::int64_t slotSize = screen.database.SlotSize();
  a.slots = (filtered ? static_cast<std::int64_t>(count) : screen.list.RowCount()) * slotSize;
  a.lines = PageLines(screen);
  return a;
}

AnswerBytes PageAnswer(EngineScreen& screen) {
  AnswerBytes a;
  a.slots = static_cast<std::int64_t>(screen.list.RowCount()) * screen.database.SlotSize();
  a.lines = PageLines(screen);
  return a;
}

AnswerBytes RosterAnswer(EngineScreen& screen, bool whole) {
  AnswerBytes a;
  std::int64_t rows = screen.list.RowCount();
  if (whole) {
    ResultWalk walk(screen.database, screen.list);
    if (walk.Start() != WalkStart::kReady) return a;
    rows = 0;
    WalkedRow row;
    while (walk.Next(&row)) {
      ++rows;
      a.lines += static_cast<std::int64_t>(row.line.size());
    }
  } else {
    a.lines = PageLines(screen);
  }
  a.lists = 8 + 4 * rows;
  a.slots = rows * screen.database.SlotSize();
  return a;
}

AnswerBytes DetailAnswer(EngineScreen& screen, int row) {
  AnswerBytes a;
  if (row < 0 || row >= screen.list.RowCount()) return a;
  char line[kLineBufferSize];
  screen.database.ReadLine(screen.list.Row(row).lineOffset, line);
  a.lines = static_cast<std::int64_t>(std::strlen(line));
  return a;
}

double BoundNs(const AnswerBytes& bytes, double bytesPerSecond, double openCloseNs) {
  const double copy = bytesPerSecond > 0 ? static_cast<double>(bytes.Total()) / bytesPerSecond * 1e9 : 0;
  return copy + openCloseNs;
}
