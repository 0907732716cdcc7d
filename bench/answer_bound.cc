#include "answer_bound.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "engine_screen.h"
#include "results/result_walk.h"
#include "roll_catalog.h"
#include "store/key_catalogue.h"
#include "store/name_order.h"
#include "store/roll_format.h"
#include "store/soundex.h"
#include "store/wildcard.h"

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

// The lookup path of `surname`'s key in the index, or 0 when there is no index or no key.
std::int64_t LookupNodes(EngineScreen& screen, const std::string& surname) {
  RollIndex* index = screen.database.Index();
  const std::string key = KeyOf(surname);
  if (!index || key.empty()) return 0;
  return static_cast<std::int64_t>(LookupDepth(*index, key)) * kIndexNodeSize;
}

// A found answer's first page on top of `a`: its slots and lines, and the record and surname of
// each key its rows come from, unless `keysRead` (the rule read every key of the answer already).
void AddFoundPage(EngineScreen& screen, bool keysRead, AnswerBytes* a) {
  const int rows = screen.list.RowCount();
  a->slots += static_cast<std::int64_t>(rows) * screen.database.SlotSize();
  a->lines += PageLines(screen);
  if (keysRead) return;
  std::vector<std::string_view> seen;
  for (int i = 0; i < rows; ++i) {
    FoundSpan span;
    if (!screen.list.RowSpan(i, &span)) continue;
    if (std::find(seen.begin(), seen.end(), span.key) != seen.end()) continue;
    seen.push_back(span.key);
    a->keys += kKeyRecordBytes + static_cast<std::int64_t>(span.surname.size());
  }
}

}  // namespace

std::int64_t BisectionProbes(std::int64_t n) {
  std::int64_t probes = 0;
  for (std::int64_t left = n; left > 0; left = (left + 1) / 2 - 1) ++probes;
  return probes;
}

bool RunInNameOrder(RollDatabase& database, std::int32_t first, std::int32_t count) {
  const int length = database.NameLength();
  std::string previous(static_cast<std::size_t>(length), '\0');
  std::string current(static_cast<std::size_t>(length), '\0');
  for (std::int32_t slot = first; slot < first + count; ++slot) {
    database.ReadSlot(slot);
    if (database.LineOffset() < 0) return false;
    std::fill(current.begin(), current.end(), '\0');
    const char* name = database.CurrentName();
    std::memcpy(current.data(), name, std::min(std::strlen(name), current.size()));
    if (slot > first && CompareStoredNames(previous.data(), current.data(), length) > 0) return false;
    previous.swap(current);
  }
  return true;
}

AnswerBytes SearchAnswerBytes(EngineScreen& screen, const std::string& surname, bool filtered) {
  AnswerBytes a;
  RollIndex* index = screen.database.Index();
  const std::string key = KeyOf(surname);
  if (!index || key.empty()) return a;
  a.nodes = LookupNodes(screen, surname);
  const std::int64_t slotSize = screen.database.SlotSize();
  if (!filtered) {
    a.slots = screen.list.RowCount() * slotSize;
  } else {
    std::int32_t first = -1, count = 0;
    index->Lookup(key.c_str(), &first, &count);
    count = first < 0 ? 0 : std::max(0, std::min(count, screen.database.SlotCount() - first));
    if (count > 0 && RunInNameOrder(screen.database, first, count)) {
      const std::int64_t ends = screen.list.ResultCount() > 0 ? 2 : 1;
      a.slots = ends * BisectionProbes(count) * slotSize;
    } else {
      a.slots = static_cast<std::int64_t>(count) * slotSize;
    }
  }
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
  a.lists = kStoredCountBytes + kStoredSlotBytes * rows;
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

AnswerBytes SoundexAnswer(EngineScreen& screen) {
  AnswerBytes a;
  const KeyCatalogue* catalogue = screen.database.Catalogue();
  if (!catalogue) return a;
  std::vector<bool> used(1u << 16, false);
  std::int64_t distinct = 0;
  for (std::size_t i = 0; i < catalogue->Size(); ++i) {
    const SoundexCode* codes = nullptr;
    const int n = catalogue->SoundexCodes(i, &codes);
    for (int c = 0; c < n; ++c) {
      if (!used[codes[c]]) ++distinct;
      used[codes[c]] = true;
    }
  }
  a.keys = BisectionProbes(distinct) * kCodeProbeBytes;
  a.lists = kStoredCountBytes;
  AddFoundPage(screen, false, &a);
  return a;
}

AnswerBytes SimilarAnswer(EngineScreen& screen) {
  AnswerBytes a;
  const KeyCatalogue* catalogue = screen.database.Catalogue();
  if (!catalogue) return a;
  for (std::size_t i = 0; i < catalogue->Size(); ++i)
    a.keys += static_cast<std::int64_t>(catalogue->Surname(i).size());
  const SearchAnswer* found = screen.list.Found();
  a.keys += kKeyRecordBytes * static_cast<std::int64_t>(found ? found->SpanCount() : 0);
  AddFoundPage(screen, true, &a);
  return a;
}

AnswerBytes WildcardAnswer(EngineScreen& screen, const std::string& pattern) {
  AnswerBytes a;
  const KeyCatalogue* catalogue = screen.database.Catalogue();
  if (!catalogue) return a;
  const WildcardPattern wildcard(pattern);
  const std::string_view start = wildcard.FixedStart();
  std::string_view rest = std::string_view(pattern).substr(std::min(start.size(), pattern.size()));
  while (!rest.empty() && rest.back() == ' ') rest.remove_suffix(1);
  const bool startAndStar = !rest.empty() && rest.find_first_not_of('*') == std::string_view::npos;
  const std::int64_t keyCount = static_cast<std::int64_t>(catalogue->Size());
  if (!start.empty()) {
    const std::int64_t probe = 4 + static_cast<std::int64_t>(start.size());
    a.keys = 2 * BisectionProbes(keyCount) * probe;
  }
  if (startAndStar) {
    // The roll's total, or two prefix sums of 4 bytes: 8 bytes either way.
    a.lists = kStoredCountBytes;
    AddFoundPage(screen, false, &a);
    return a;
  }
  for (std::size_t i = 0; i < catalogue->Size(); ++i) {
    const std::string_view surname = catalogue->Surname(i);
    if (surname.substr(0, start.size()) == start)
      a.keys += kKeyRecordBytes + static_cast<std::int64_t>(surname.size());
  }
  AddFoundPage(screen, true, &a);
  return a;
}

AnswerBytes FilterAnswer(EngineScreen& screen, const std::string& surname) {
  AnswerBytes a;
  const bool wholeRoll = HasWildcard(surname);
  if (!wholeRoll) a.nodes = LookupNodes(screen, surname);
  a.lists = kStoredCountBytes + kStoredSlotBytes * screen.list.RowCount();
  AddFoundPage(screen, !wholeRoll, &a);
  return a;
}

double BoundNs(const AnswerBytes& bytes, double bytesPerSecond, double openCloseNs) {
  const double copy = bytesPerSecond > 0 ? static_cast<double>(bytes.Total()) / bytesPerSecond * 1e9 : 0;
  return copy + openCloseNs;
}
