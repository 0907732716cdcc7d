// The result of the last search and the one page of it on screen.
//
// Range mode pages straight over the surname's run of name-file slots; filtered mode (a given
// name was entered) pages over the filter buffer file that the given-name scan filled. The list
// reads slots, summaries and lines through the RollDatabase it is given (not owned) and owns
// its FilterBuffer.
#pragma once

#include <cstdint>
#include <memory>

#include "results/filter_buffer.h"
#include "results/result_row.h"

class RollDatabase;

inline constexpr int kMaxRowsPerPage = 10;
inline constexpr int kLargeFontRowsPerPage = 8;
inline constexpr int kDisplaySurnameSize = 30;
inline constexpr int kDetailTextSize = 5002;

// Shown when the filter buffer cannot be written; %s is its path.
inline constexpr const char* kFilterBufferOpenMessage =
    "The search for a given name needs the file\n%s\nwhich cannot be created or opened.\n\n"
    "Check the KinloomDir setting in brevik.ini.";
inline constexpr const char* kFilterBufferWriteMessage =
    "Not every match could be written to\n%s\n\nThe list of results is incomplete.";

class ResultList {
 public:
  // Creates the filter buffer at `familyDirectory` + "history.buf" (emptied at once).
  ResultList(RollDatabase& database, const char* familyDirectory);
  ~ResultList();
  ResultList(const ResultList&) = delete;
  ResultList& operator=(const ResultList&) = delete;

  int Reset();
  void SetRange(std::int32_t firstSlot, std::int32_t count);
  void SetDisplaySurname(char* text);
  int ShowRange();
  // Scans the range for slot names starting with the given name's leading letters (at least one
  // character), writes the matches to the filter buffer and loads its first page. When the buffer
  // cannot be opened or a match cannot be written, the user is told (message naming the file).
  int FilterByGivenName(const char* given);
  void SetRowsPerPage(bool largeFont);
  int RowsPerPage() const { return rowsPerPage; }

  int RowCount() const { return rowCount; }
  std::int32_t ResultCount() const;
  int HasNextPage();
  int HasPreviousPage() const;
  int NextPage();
  int PreviousPage();
  // Writes "surname\tname\tsummary" for row `row` into `out` (at least 326 bytes); returns its
  // length. An invalid row gives "".
  int FormatRow(int row, char* out) const;
  // The labelled detail text of row `row` (CR LF line breaks), valid until the next call; "" for
  // an invalid row.
  const char* DetailText(int row);

  const ResultRow& Row(int i) const { return rows[i]; }
  const char* DisplaySurname() const { return displaySurname; }
  bool IsFiltered() const { return mode == 0; }
  FilterBuffer& Buffer() { return *filterBuffer; }

 private:
  int LoadRangePage();
  int PreviousRangePage();
  void FillSummaries();
  void TakeFilteredPage(int read);
  void NormaliseGivenName(char* text) const;
  // Whether the current slot's name, normalised, begins with the first `compare` characters of
  // `key`.
  bool CurrentNameMatches(const char* key, int compare) const;

  std::int32_t first = 0;  // a new list is the empty range [0, 0)
  std::int32_t cursor = 0;
  std::int32_t end = 0;
  int rowCount = 0;
  std::unique_ptr<FilterBuffer> filterBuffer;
  std::unique_ptr<unsigned char[]> scanBuffer;  // the given-name scan's slots, read a run at a time
  RollDatabase& database;
  int mode = 1;  // 1 range, 0 filtered
  ResultRow rows[kMaxRowsPerPage];
  char displaySurname[kDisplaySurnameSize] = {};
  char detailText[kDetailTextSize] = {};
  int rowsPerPage = kMaxRowsPerPage;
  std::int32_t rangePageStart = 0;
};
