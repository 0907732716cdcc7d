// The result of the last search and the one page of it on screen.
//
// Range mode pages straight over the surname's run of name-file slots [first, end); filtered mode
// (a given name was entered) pages over the filter buffer that the given-name scan filled; found
// mode pages over a FindResult, the result of a search over many keys or narrowed by filters,
// whose rows each show their own surname. The list reads slots, summaries and lines through the
// RollDatabase it is given (not owned, and it must outlive the list) and owns its FilterBuffer.
// A page holds at most RowsPerPage() rows.
//
// Every operation is safe in every state: on an empty or reset list the page operations load
// nothing, the counts are 0 and there is no next or previous page.
#pragma once

#include <cstdint>
#include <memory>

#include "results/filter_buffer.h"
#include "results/find_result.h"
#include "results/result_row.h"

class GivenNamePrefix;
class NameOrderCheck;
class RollDatabase;

inline constexpr int kMaxRowsPerPage = 10;
inline constexpr int kLargeFontRowsPerPage = 8;
inline constexpr int kDisplaySurnameSize = 30;
inline constexpr int kDetailTextSize = 5002;
// The longest text FormatRow writes, with its NUL.
inline constexpr int kFormattedRowSize = kDisplaySurnameSize + kRowNameSize + kRowSummarySize;

// Shown when the filter buffer cannot be written; %s is its path.
inline constexpr const char* kFilterBufferOpenMessage =
    "The search for a given name needs the file\n%s\nwhich cannot be created or opened.\n\n"
    "Check the KinloomDir setting in brevik.ini.";
inline constexpr const char* kFilterBufferWriteMessage =
    "Not every match could be written to\n%s\n\nThe list of results is incomplete.";

class ResultList {
 public:
  // A list in range mode over the empty range [0, 0), no rows. Its filter buffer is the
  // family directory's history.buf (see FilterBufferPath; null: a private file of this process),
  // emptied at once.
  ResultList(RollDatabase& database, const char* familyDirectory);
  ~ResultList();
  ResultList(const ResultList&) = delete;
  ResultList& operator=(const ResultList&) = delete;

  // Range mode, the empty range, no rows; empties the filter buffer. Returns whether the buffer
  // is open (not relied on).
  int Reset();
  // The slot range [firstSlot, firstSlot + count); no rows until a page is loaded; mode unchanged.
  void SetRange(std::int32_t firstSlot, std::int32_t count);
  // Keeps an upper-cased copy (a-z only) of `text`, cut to 29 characters, for every row; the
  // caller's text is not changed.
  void SetDisplaySurname(const char* text);
  // Range mode, first page of the range loaded; 1 when slots remain after it.
  int ShowRange();
  // Filtered mode: scans the range for slot names starting with the given name's leading letters
  // (results/given_name.h), appends the matches to the filter buffer and loads its first page.
  // The matches reach the file at FinishPendingWrites (or at the next page turn): the first page
  // can be shown before they are written. When the buffer cannot be opened the user is told (a
  // message naming the file), and so when the family's history.buf was refused. Returns 0.
  int FilterByGivenName(const char* given);
  // Writes the matches of the last given-name search that are still in memory to the filter
  // buffer. When not all could be written the user is told, and the count and pages become what
  // the file holds: true then (the screen must show the page again), else false.
  bool FinishPendingWrites();
  // Found mode over `result`, its first page loaded.
  void ShowFound(std::unique_ptr<FindResult> result);
  bool IsFound() const { return mode == 2; }
  // The result of found mode, or null.
  const FindResult* Found() const { return found.get(); }
  // The span (key, surname, why it matched) of row `row` in found mode; false when not found mode
  // or no such row.
  bool RowSpan(int row, FoundSpan* span) const;
  // 8 rows per page for a large font, else 10; also the filter buffer's page size.
  void SetRowsPerPage(bool largeFont);
  int RowsPerPage() const { return rowsPerPage; }

  // Rows on the current page (0..10).
  int RowCount() const { return rowCount; }
  // Matches of the last search: the range's size, or the filter buffer's record count; 0 after
  // Reset. Negative when the index promised a negative number of slots.
  std::int32_t ResultCount() const;
  int HasNextPage() const;
  int HasPreviousPage() const;
  // The page after / before the current one (the first page again before the first); the rows
  // are replaced. Results not relied on.
  int NextPage();
  int PreviousPage();
  // Loads page `page` (from 0) of the current result at once, in any mode: the first page for a
  // negative number, the last for one past the end. Returns the page loaded. (Back and
  // Next turn one page at a time; Home and End jump.)
  std::int64_t ShowPageAt(std::int64_t page);
  // The number of pages of the current result (at least 1).
  std::int64_t PageCount() const;
  // Writes "surname\tname\tsummary" for row `row` into `out` (kFormattedRowSize bytes); returns
  // its length. An invalid row gives "".
  int FormatRow(int row, char* out) const;
  // The labelled detail text of row `row` (CR LF line breaks), valid until the next call; "" for
  // an invalid row.
  const char* DetailText(int row);

  // Row `i` of the current page (0 <= i < RowCount()).
  const ResultRow& Row(int i) const { return rows[i]; }
  const char* DisplaySurname() const { return displaySurname; }
  bool IsFiltered() const { return mode == 0; }
  FilterBuffer& Buffer() { return *filterBuffer; }

 private:
  int LoadRangePage();
  void LoadFoundPage(std::int64_t start);
  int PreviousRangePage();
  void FillSummaries();
  void TakeFilteredPage(int read);
  // The given-name test over the slots [from, to), the matches added in slot order; each slot's
  // name also goes to `check` when one is given. False when a run of slots could not be read (each
  // such slot was then tested as the empty slot ReadSlot gives).
  bool ScanGivenName(const GivenNamePrefix& prefix, std::int32_t from, std::int32_t to, MatchList* matches,
                     NameOrderCheck* check);

  std::int32_t first = 0;  // a new list is the empty range [0, 0)
  std::int32_t cursor = 0;
  std::int32_t end = 0;
  int rowCount = 0;
  std::unique_ptr<FilterBuffer> filterBuffer;
  std::unique_ptr<unsigned char[]> scanBuffer;  // the given-name scan's slots, read a run at a time
  RollDatabase& database;
  int mode = 1;  // 1 range, 0 filtered, 2 found
  std::unique_ptr<FindResult> found;
  std::int64_t foundStart = 0;                  // position of the first row of the found page
  std::size_t rowSpans[kMaxRowsPerPage] = {};  // each found row's span
  ResultRow rows[kMaxRowsPerPage];
  char displaySurname[kDisplaySurnameSize] = {};
  char detailText[kDetailTextSize] = {};
  int rowsPerPage = kMaxRowsPerPage;
  std::int32_t rangePageStart = 0;
};
