#include "results/result_list.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/message_box.h"
#include "results/detail_text.h"
#include "store/roll_database.h"
#include "store/search_request.h"

namespace {

constexpr std::size_t kScanBufferSize = 64 * 1024;

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

void CopyText(char* dst, std::size_t size, const char* src) {
  const std::size_t n = strnlen(src, size - 1);
  std::memcpy(dst, src, n);
  dst[n] = '\0';
}

void Tell(const char* format, const std::string& path) {
  ShowMessageBox(FormatMessage(format, path).c_str(), kMbOk | kMbIconExclamation);
}

}  // namespace

ResultList::ResultList(RollDatabase& db, const char* familyDirectory)
    : filterBuffer(std::make_unique<FilterBuffer>(FilterBufferPath(familyDirectory))),
      database(db) {}

ResultList::~ResultList() = default;

int ResultList::Reset() {
  rowCount = 0;
  first = cursor = end = -1;
  const int open = filterBuffer->Empty();
  mode = 1;
  return open;
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

void ResultList::NormaliseGivenName(char* text) const {
  const int length = database.NameLength();
  if (length <= 0) {
    text[0] = '\0';
    return;
  }
  const std::size_t have = std::strlen(text);
  for (int i = 0; i < length; ++i) text[i] = static_cast<std::size_t>(i) < have ? UpperAscii(text[i]) : ' ';
  text[length] = '\0';
}

int ResultList::FilterByGivenName(const char* given) {
  mode = 0;
  const bool open = filterBuffer->Reopen();
  if (const std::string notice = filterBuffer->TakeNotice(); !notice.empty()) {
    ShowMessageBox(notice.c_str(), kMbOk | kMbIconExclamation);
  }
  if (!open) {
    Tell(kFilterBufferOpenMessage, filterBuffer->Path());
    return 0;
  }

  int prefix = 0;
  while (given[prefix] != '\0' && IsLetter(given[prefix])) ++prefix;
  if (prefix == 0) prefix = 1;

  // Both texts are normalised to exactly L characters in buffers of L + 1 (at most 256) bytes.
  char key[kCurrentNameSize + 1];
  CopyText(key, sizeof key, given);
  NormaliseGivenName(key);
  const int compare = prefix < database.NameLength() ? prefix : database.NameLength();

  bool lost = false;
  if (!scanBuffer) scanBuffer = std::make_unique_for_overwrite<unsigned char[]>(kScanBufferSize);
  std::int64_t written = 0;
  auto consider = [&] {
    if (!CurrentNameMatches(key, compare)) return;
    if (filterBuffer->Append(database.LineOffset(), database.CurrentName(), nullptr) == 1) {
      ++written;
    } else {
      lost = true;
    }
  };
  while (cursor < end) {
    const int run = database.ReadSlotRun(cursor, end, scanBuffer.get(), kScanBufferSize);
    if (run == 0) {  // past the name file's end or a failed read: slot by slot, as ReadSlot reads
      database.ReadSlot(cursor++);
      consider();
      continue;
    }
    for (int i = 0; i < run; ++i, ++cursor) {
      database.TakeSlot(scanBuffer.get() + static_cast<std::size_t>(i) * static_cast<std::size_t>(database.SlotSize()));
      consider();
    }
  }

  // Appends only reach the file when the stream is written out, which the recount's reopen does;
  // a record lost there (a full disk, the file removed or replaced) shows as a short count.
  filterBuffer->CountRecords();
  if (filterBuffer->RecordCount() < written) lost = true;
  TakeFilteredPage(filterBuffer->FirstPage(rows));
  if (lost) Tell(kFilterBufferWriteMessage, filterBuffer->Path());
  return 0;
}

bool ResultList::CurrentNameMatches(const char* key, int compare) const {
  // Only the first `compare` characters of the normalised slot name take part, so only they are
  // worked out: the name's characters upper-cased, and spaces from its end on.
  const char* name = database.CurrentName();
  for (int i = 0; i < compare; ++i) {
    const char c = *name != '\0' ? UpperAscii(*name++) : ' ';
    if (c != key[i]) return false;
  }
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
  if (mode == 1) {
    const std::int64_t count = static_cast<std::int64_t>(end) - first;
    return count > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(count);
  }
  return filterBuffer->RecordCount();
}

int ResultList::HasNextPage() const {
  if (mode == 1) return cursor < end ? 1 : 0;
  return filterBuffer->MoreAfter();
}

int ResultList::HasPreviousPage() const {
  if (mode == 1) return static_cast<std::int64_t>(cursor) > static_cast<std::int64_t>(first) + rowsPerPage ? 1 : 0;
  return filterBuffer->MoreBefore();
}

void ResultList::TakeFilteredPage(int read) {
  rowCount = read < 0 ? 0 : read;  // -1: the buffer is not open, an empty page
  FillSummaries();
}

int ResultList::NextPage() {
  if (mode == 1) return LoadRangePage();
  TakeFilteredPage(filterBuffer->NextPage(rows));
  return 1;
}

int ResultList::PreviousPage() {
  if (mode == 1) return PreviousRangePage();
  TakeFilteredPage(filterBuffer->PreviousPage(rows));
  return 1;
}

int ResultList::FormatRow(int row, char* out) const {
  if (row < 0 || row >= rowCount) {
    out[0] = '\0';
    return 0;
  }
  return std::snprintf(out, kFormattedRowSize, "%s\t%s\t%s",
                       displaySurname, rows[row].nameText, rows[row].summaryText);
}

const char* ResultList::DetailText(int row) {
  detailText[0] = '\0';
  if (row < 0 || row >= rowCount) return detailText;
  char line[kLineBufferSize];
  database.ReadLine(rows[row].lineOffset, line);
  ComposeDetailText(line, database.Number(), detailText, sizeof detailText);
  return detailText;
}
