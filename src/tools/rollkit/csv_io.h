// CSV files as rollkit reads and writes them (RFC 4180, UTF-8), on top of libcsv.
//
// Reading streams one record at a time and knows the line each record starts on, so that every
// complaint can name "file:line". Fields are kept exactly as written: no blanks are trimmed, so
// space-led fields survive. A UTF-8 byte order mark at the start is skipped.
//
// Cells that a spreadsheet would run as formulas are written after an apostrophe, and the one
// apostrophe is taken off again when read (records/csv_text.h), so that what dump writes, build
// reads back unchanged.
#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct CsvRecord {
  long line = 0;                   // physical line (from 1) on which the record starts
  std::vector<std::string> fields;
};

// Called once per record; returns false with *error set to stop reading.
using CsvRecordHandler = std::function<bool(const CsvRecord& record, std::string* error)>;

// Reads `path` ("-" for standard input). On failure returns false with *error in the form
// "path:line: reason" (or "path: reason" when no line is concerned).
bool ReadCsvFile(const std::string& path, const CsvRecordHandler& handler, std::string* error);

// Writes records, every field quoted, lines ending in LF. Errors are sticky and checked at Finish.
class CsvWriter {
 public:
  explicit CsvWriter(std::FILE* out) : output(out) {}
  ~CsvWriter();
  CsvWriter(const CsvWriter&) = delete;
  CsvWriter& operator=(const CsvWriter&) = delete;

  void Write(const std::vector<std::string_view>& fields);
  // Flushes; false when any write failed.
  bool Finish();

 private:
  void Flush();

  std::FILE* output;
  std::string buffer;
  std::string guardedField;
  std::string quotedField;
  bool writeFailed = false;
};
