// The result of the last search and the one page of it on screen: the pager of the engine's
// answers (store/search_answer.h). The database answers a search; the list pages the answer.
//
// Range mode pages straight over the surname's run of name-file slots [first, end); filtered mode
// (the plain search narrowed by a given name) pages over the filter buffer, which holds the
// answer's slots as records; found mode pages over any other answer, each row showing its own
// key's surname. The list reads slots, summaries and lines through the RollDatabase it is given
// (not owned, and it must outlive the list) and owns its FilterBuffer. A page holds at most
// RowsPerPage() rows. It shows nothing itself: what the user should be told waits in Notices().
//
// Every operation is safe in every state: on an empty or reset list the page operations load
// nothing, the counts are 0 and there is no next or previous page.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "results/filter_buffer.h"
#include "results/result_row.h"
#include "store/search_answer.h"

class RollDatabase;

inline constexpr int kMaxRowsPerPage = 10;
inline constexpr int kLargeFontRowsPerPage = 8;
inline constexpr int kDisplaySurnameSize = 30;
inline constexpr int kDetailTextSize = 5002;
// The longest text FormatRow writes, with its NUL.
inline constexpr int kFormattedRowSize = kDisplaySurnameSize + kRowNameSize + kRowSummarySize;

// Told when the filter buffer cannot be written; %s is its path.
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

  // Range mode, the empty range, no rows; empties the filter buffer. The file on disk is cut when
  // the buffer is next written, at FinishPendingWrites or when the list goes. Returns whether the
  // buffer is open (not relied on).
  int Reset();
  // Shows the first page of `answer` in the mode that goes with it: range mode for the plain
  // search, filtered mode for the plain search with a given name (its slots appended to the
  // filter buffer as records), found mode for every other. The filter buffer gets the records at
  // FinishPendingWrites (or at the next page turn): the first page can be shown before they are
  // written. An answer without rows for a reason (its status) leaves the list as Reset leaves it.
  void Show(SearchAnswer&& answer);
  // The same for the answer to a search begun with Reset in the same command, nothing shown or
  // written between: the filter buffer's second emptying does not look for its file again.
  void ShowAfterReset(SearchAnswer&& answer);
  // Cuts what Reset emptied from the filter buffer's file and writes the records of the last
  // given-name search that are still in memory to it. When not all could be written the count
  // and pages become what the file holds and a notice waits: true then (the screen must show the
  // page again), else false.
  bool FinishPendingWrites();
  // What the user should be told since the last call (each a message box's text, in order): the
  // filter buffer refused or unusable, records lost on the way to it.
  std::vector<std::string> TakeNotices();
  // The answer shown (shared with whoever walks it), or null after Reset.
  std::shared_ptr<const SearchAnswer> Answer() const { return answer; }
  bool IsFound() const { return mode == 2; }
  // The answer of found mode, or null.
  const SearchAnswer* Found() const { return mode == 2 ? answer.get() : nullptr; }
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
  // The range mode's empty range, no rows, no answer; the filter buffer left as it is.
  void ClearRows();
  // Show's work once the list and the buffer are emptied.
  void Take(SearchAnswer&& answer);
  // The slot range [firstSlot, firstSlot + count); no rows until a page is loaded; mode unchanged.
  void SetRange(std::int32_t firstSlot, std::int32_t count);
  // Keeps an upper-cased copy (a-z only) of `text`, cut to 29 characters, for every row.
  void SetDisplaySurname(const char* text);
  // Range mode, first page of the range loaded; 1 when slots remain after it.
  int ShowRange();
  // Filtered mode: the answer's slots as the filter buffer's records, its first page loaded.
  int FilterByGivenName();
  // Appends the records of `shown`'s rows [from, to) to *out; false when a slot could not be read
  // (it has no record).
  bool ReadMatches(const SearchAnswer& shown, std::int64_t from, std::int64_t to, MatchList* out);
  int LoadRangePage();
  void LoadFoundPage(std::int64_t start);
  int PreviousRangePage();
  void FillSummaries();
  void TakeFilteredPage(int read);
  void Tell(const char* format, const std::string& place);

  std::int32_t first = 0;  // a new list is the empty range [0, 0)
  std::int32_t cursor = 0;
  std::int32_t end = 0;
  int rowCount = 0;
  std::unique_ptr<FilterBuffer> filterBuffer;
  std::unique_ptr<unsigned char[]> slotBuffer;  // the answer's slots read a run at a time
  RollDatabase& database;
  int mode = 1;  // 1 range, 0 filtered, 2 found
  std::shared_ptr<const SearchAnswer> answer;
  std::vector<std::string> notices;
  std::int64_t foundStart = 0;                 // position of the first row of the found page
  std::size_t rowSpans[kMaxRowsPerPage] = {};  // each found row's span
  ResultRow rows[kMaxRowsPerPage];
  char displaySurname[kDisplaySurnameSize] = {};
  char detailText[kDetailTextSize] = {};
  int rowsPerPage = kMaxRowsPerPage;
  std::int32_t rangePageStart = 0;
};
