#include "results/result_list.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "platform/message_box.h"
#include "results/detail_text.h"
#include "store/roll_database.h"
#include "store/search_request.h"

namespace {

// The answer's slots are read this many bytes at a time when they become records.
constexpr std::size_t kSlotBufferSize = 256 * 1024;

void CopyText(char* dst, std::size_t size, const char* src) {
  const std::size_t n = strnlen(src, size - 1);
  std::memcpy(dst, src, n);
  dst[n] = '\0';
}

}  // namespace

ResultList::ResultList(RollDatabase& db, const char* familyDirectory)
    : filterBuffer(std::make_unique<FilterBuffer>(FilterBufferPath(familyDirectory))), database(db) {}

ResultList::~ResultList() {
  // The records still to be read come from this list's own buffers: they are written while the
  // list is whole, not by the filter buffer's close after the rest of it is gone.
  filterBuffer->WritePending();
}

int ResultList::Reset() {
  ClearRows();
  // The last search's records are cut from the file when the buffer is next written, or once the
  // new page is on screen (FinishPendingWrites): a first page need not wait for the file system.
  return filterBuffer->Empty(FilterBuffer::Cut::kBeforeNextWrite);
}

void ResultList::ClearRows() {
  rowCount = 0;
  first = cursor = end = -1;
  answer.reset();
  mode = 1;
}

void ResultList::SetRange(std::int32_t firstSlot, std::int32_t count) {
  first = cursor = firstSlot;
  const std::int64_t last = static_cast<std::int64_t>(firstSlot) + count;
  end = last > INT32_MAX ? INT32_MAX : last < INT32_MIN ? INT32_MIN : static_cast<std::int32_t>(last);
  rowCount = 0;
}

void ResultList::SetDisplaySurname(const char* text) {
  CopyText(displaySurname, sizeof displaySurname, text);
  UpperCaseAscii(displaySurname);
}

void ResultList::SetRowsPerPage(bool largeFont) {
  rowsPerPage = largeFont ? kLargeFontRowsPerPage : kMaxRowsPerPage;
  filterBuffer->SetRowsPerPage(rowsPerPage);
}

void ResultList::Tell(const char* format, const std::string& place) {
  notices.push_back(FormatMessage(format, place));
}

std::vector<std::string> ResultList::TakeNotices() { return std::exchange(notices, {}); }

void ResultList::Show(SearchAnswer&& shown) {
  Reset();
  Take(std::move(shown));
}

void ResultList::ShowAfterReset(SearchAnswer&& shown) {
  // The buffer was emptied by that Reset, and its file looked for at its path then.
  ClearRows();
  filterBuffer->EmptyAgain();
  Take(std::move(shown));
}

void ResultList::Take(SearchAnswer&& shown) {
  if (!shown.Status().Ok()) return;
  SetDisplaySurname(shown.Request().surname);
  const bool plain = shown.Plain();
  const bool given = shown.Request().hasGivenName == 1;
  const FoundSpan span = shown.SpanCount() > 0 ? shown.Span(0) : FoundSpan{};
  answer = std::make_shared<const SearchAnswer>(std::move(shown));
  if (!plain) {
    mode = 2;
    LoadFoundPage(0);
  } else if (answer->SpanCount() == 0) {
    // The surname is not in the index: the list stays as Reset left it.
  } else if (given) {
    FilterByGivenName();
  } else {
    SetRange(span.firstSlot, span.slotCount);
    ShowRange();
  }
}

void ResultList::LoadFoundPage(std::int64_t start) {
  rowCount = 0;
  foundStart = start;
  const std::int64_t count = answer ? answer->Count() : 0;
  for (std::int64_t p = start; p < count && rowCount < rowsPerPage; ++p) {
    std::int32_t slot = -1;
    answer->At(p, &slot, &rowSpans[rowCount]);
    database.ReadSlot(slot);
    rows[rowCount].lineOffset = database.LineOffset();
    CopyText(rows[rowCount].nameText, sizeof rows[rowCount].nameText, database.CurrentName());
    ++rowCount;
  }
  FillSummaries();
}

bool ResultList::RowSpan(int row, FoundSpan* span) const {
  if (mode != 2 || !answer || row < 0 || row >= rowCount) return false;
  *span = answer->Span(rowSpans[row]);
  return true;
}

int ResultList::ShowRange() {
  mode = 1;
  return LoadRangePage();
}

int ResultList::LoadRangePage() {
  rowCount = 0;
  rangePageStart = cursor;
  while (cursor < end && rowCount < rowsPerPage) {
    database.ReadSlot(cursor);
    rows[rowCount].lineOffset = database.LineOffset();
    CopyText(rows[rowCount].nameText, sizeof rows[rowCount].nameText, database.CurrentName());
    ++cursor;
    ++rowCount;
  }
  FillSummaries();
  return cursor < end ? 1 : 0;
}

int ResultList::PreviousRangePage() {
  std::int32_t start = rangePageStart - rowsPerPage;
  if (start < first) start = first;
  cursor = start;
  rangePageStart = start;
  return LoadRangePage();
}

int ResultList::FilterByGivenName() {
  mode = 0;
  const bool open = filterBuffer->Reopen();
  if (std::string notice = filterBuffer->TakeNotice(); !notice.empty()) notices.push_back(std::move(notice));
  if (!open) {
    Tell(kFilterBufferOpenMessage, filterBuffer->Path());
    return 0;
  }

  // The answer's slots become the records the buffer keeps in memory and shows the first page
  // from; it writes them all before anything reads the file (FinishPendingWrites, or the next
  // page turn). The first page's are read now, the others only then: a large answer's first page
  // waits for ten slots, not for all of them.
  const std::int64_t count = answer->Count();
  const std::int64_t firstPage = std::min<std::int64_t>(count, rowsPerPage);
  MatchList matches;
  if (!ReadMatches(*answer, 0, firstPage, &matches)) {
    // A slot gone from the name file since the search: no record of it, and none promised.
    matches.Clear();
    ReadMatches(*answer, 0, count, &matches);
    filterBuffer->AppendPending(std::move(matches));
  } else {
    filterBuffer->AppendPending(
        std::move(matches), count, [this, shown = answer, firstPage, count](MatchList* rest) {
          return database.Generation() == shown->Generation() && ReadMatches(*shown, firstPage, count, rest);
        });
  }
  TakeFilteredPage(filterBuffer->FirstPage(rows));
  return 0;
}

bool ResultList::ReadMatches(const SearchAnswer& shown, std::int64_t from, std::int64_t to, MatchList* out) {
  // A slot read a run at a time, as the answer lists them in slot order.
  if (!slotBuffer) slotBuffer = std::make_unique_for_overwrite<unsigned char[]>(kSlotBufferSize);
  const std::size_t slotSize = static_cast<std::size_t>(database.SlotSize());
  bool whole = true;
  std::int32_t runFirst = 0;
  int runSlots = 0;
  // No read goes past the last slot wanted: a first page of ten neighbours is ten slots' bytes,
  // not a buffer's.
  std::int32_t last = -1;
  std::size_t lastSpan = 0;
  if (from < to) shown.At(to - 1, &last, &lastSpan);
  for (std::int64_t p = from; p < to; ++p) {
    std::int32_t slot = -1;
    std::size_t span = 0;
    shown.At(p, &slot, &span);
    if (slot < runFirst || slot >= runFirst + runSlots) {
      runFirst = slot;
      const std::int32_t runEnd = std::max(last, slot) < INT32_MAX ? std::max(last, slot) + 1 : INT32_MAX;
      runSlots = database.ReadSlotRun(slot, runEnd, slotBuffer.get(), kSlotBufferSize);
      if (runSlots == 0) {
        whole = false;
        continue;
      }
    }
    const SlotValue value = DecodeSlot(
        slotBuffer.get() + static_cast<std::size_t>(slot - runFirst) * slotSize, database.NameLength());
    out->Add(value.lineOffset, value.name);
  }
  return whole;
}

bool ResultList::FinishPendingWrites() {
  filterBuffer->FinishCut();
  if (!filterBuffer->HasPending()) return false;
  if (filterBuffer->WritePending()) return false;
  // A record lost on the way (a full disk, a file-size limit): the list is what the file holds.
  Tell(kFilterBufferWriteMessage, filterBuffer->Place());
  return true;
}

void ConvertSummaryForRow(const char* summary, char* out) {
  char s[40];
  CopyText(s, sizeof s, summary);
  int n = 0;
  for (; s[n] != '\0'; ++n) {
    if (static_cast<unsigned char>(s[n]) == kFieldSeparator) {
      s[n] = ',';
      if (s[n + 1] != '\0') ++n;  // the byte after a separator is passed over
    } else if (s[n] == '\n') {
      s[n] = ' ';
    }
  }
  if (n > 0 && s[n - 1] == ',') s[n - 1] = '\0';
  CopyText(out, kRowSummarySize, s);
}

void ResultList::FillSummaries() {
  for (int i = 0; i < rowCount; ++i) {
    char s[40];
    database.ReadSummary(rows[i].lineOffset, s);
    ConvertSummaryForRow(s, rows[i].summaryText);
  }
}

std::int32_t ResultList::ResultCount() const {
  if (mode == 2) {
    const std::int64_t count = answer ? answer->Count() : 0;
    return count > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(count);
  }
  if (mode == 1) {
    const std::int64_t count = static_cast<std::int64_t>(end) - first;
    return count > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(count);
  }
  return filterBuffer->RecordCount();
}

int ResultList::HasNextPage() const {
  if (mode == 2) return answer && foundStart + rowCount < answer->Count() ? 1 : 0;
  if (mode == 1) return cursor < end ? 1 : 0;
  return filterBuffer->MoreAfter();
}

int ResultList::HasPreviousPage() const {
  if (mode == 2) return foundStart > 0 ? 1 : 0;
  if (mode == 1)
    return static_cast<std::int64_t>(cursor) > static_cast<std::int64_t>(first) + rowsPerPage ? 1 : 0;
  return filterBuffer->MoreBefore();
}

void ResultList::TakeFilteredPage(int read) {
  rowCount = read < 0 ? 0 : read;  // -1: the buffer is not open, an empty page
  FillSummaries();
}

int ResultList::NextPage() {
  if (mode == 2) {
    LoadFoundPage(foundStart + rowCount);
    return HasNextPage();
  }
  if (mode == 1) return LoadRangePage();
  FinishPendingWrites();
  TakeFilteredPage(filterBuffer->NextPage(rows));
  return 1;
}

int ResultList::PreviousPage() {
  if (mode == 2) {
    LoadFoundPage(foundStart > rowsPerPage ? foundStart - rowsPerPage : 0);
    return HasNextPage();
  }
  if (mode == 1) return PreviousRangePage();
  FinishPendingWrites();
  TakeFilteredPage(filterBuffer->PreviousPage(rows));
  return 1;
}

std::int64_t ResultList::PageCount() const {
  const std::int64_t count = ResultCount();
  return count > rowsPerPage ? (count + rowsPerPage - 1) / rowsPerPage : 1;
}

std::int64_t ResultList::ShowPageAt(std::int64_t page) {
  const std::int64_t last = PageCount() - 1;
  page = page < 0 ? 0 : page > last ? last : page;
  const std::int64_t start = page * rowsPerPage;
  if (mode == 2) {
    LoadFoundPage(start);
  } else if (mode == 0) {
    FinishPendingWrites();
    TakeFilteredPage(filterBuffer->PageAt(rows, start));
  } else {
    if (end < first) return 0;  // nothing to page (a negative count)
    cursor = static_cast<std::int32_t>(first + start);
    LoadRangePage();
  }
  return page;
}

int ResultList::FormatRow(int row, char* out) const {
  if (row < 0 || row >= rowCount) {
    out[0] = '\0';
    return 0;
  }
  // A found row shows the surname of its own key; the others the searched surname.
  const char* surname = displaySurname;
  char own[kDisplaySurnameSize];
  if (FoundSpan span; RowSpan(row, &span)) {
    const std::size_t n = std::min<std::size_t>(span.surname.size(), sizeof own - 1);
    std::memcpy(own, span.surname.data(), n);
    own[n] = '\0';
    surname = own;
  }
  return std::snprintf(out, kFormattedRowSize, "%s\t%s\t%s", surname, rows[row].nameText,
                       rows[row].summaryText);
}

const char* ResultList::DetailText(int row) {
  detailText[0] = '\0';
  if (row < 0 || row >= rowCount) return detailText;
  char line[kLineBufferSize];
  database.ReadLine(rows[row].lineOffset, line);
  ComposeDetailText(line, database.Number(), detailText, sizeof detailText);
  return detailText;
}
