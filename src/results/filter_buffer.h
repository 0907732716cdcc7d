// The filter buffer file, "history.buf" in the family directory: the matches of a given-name
// search as 300-byte records (store/roll_format.h), paged forwards and back.
//
// The buffer is the one user of its file (one copy of the program runs at a time): an Empty or a
// Reopen of a buffer that is already empty and unused since does nothing.
//
// Failures are quiet here (the caller decides what the user sees): when the file cannot be made
// or opened, Empty and Reopen return 0, Append and the page reads -1, counts stay 0.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/file_system.h"
#include "results/result_row.h"

inline constexpr int kAppendBufferSize = 64 * 1024;

class FilterBuffer {
 public:
  // `path` is the file's full path. A path longer than 255 characters is never opened. Empties
  // (creates) the file at once.
  explicit FilterBuffer(std::string path);
  ~FilterBuffer();
  FilterBuffer(const FilterBuffer&) = delete;
  FilterBuffer& operator=(const FilterBuffer&) = delete;

  int Empty();
  int Reopen();
  void Close();
  void CountRecords();
  // Reads up to `n` records from byte `offset` into `rows`; the number of whole records read, or
  // -1 when the file is not open.
  int ReadRecords(ResultRow* rows, std::int64_t offset, int n);
  // Appends one record; 1 written, 0 the write failed, -1 the file is not open.
  int Append(std::int32_t lineOffset, const char* name, const char* summary);
  std::int32_t RecordCount() const { return recordCount; }
  int MoreBefore();
  int MoreAfter();
  int FirstPage(ResultRow* rows);
  int PreviousPage(ResultRow* rows);
  int NextPage(ResultRow* rows);

  // Page size in records (8 or 10), handed over by the result list.
  void SetRowsPerPage(int n) { rowsPerPage = n; }
  const std::string& Path() const { return path; }
  bool IsOpen() const { return isOpen; }

 private:
  std::int64_t Position();

  std::unique_ptr<char[]> appendBuffer;  // given to the stream of an emptied buffer
  FileHandle file;
  std::int32_t recordCount = 0;
  bool isOpen = false;
  bool atEnd = false;      // the stream stands at the end of the file: set by a whole append only
  bool untouched = false;  // emptied, and neither read, written nor reopened since
  FileIdentity identity;   // the file the emptied stream stands on
  std::string path;
  std::int64_t filterPageOffset = 0;
  int rowsPerPage = 10;
};
