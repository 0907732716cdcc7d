// A whole export of entries as one document, CSV or JSON, made a piece at a time so that a large
// result needs no more memory than a small one. Every program that exports entries writes them
// through it, so that the same entries give the same bytes wherever they were exported.
//
//   CSV   the header record, then one record per entry (export_rows.h): RFC 4180, CR LF, UTF-8
//         without a byte order mark.
//   JSON  an array of one object per entry, each on a line of its own, LF line ends:
//           [
//           {"surname":"KELLY","given_name":"Patrick",...},
//           {"surname":"KELLY","given_name":"Peter",...}
//           ]
//         and "[\n]\n" for no entry.
#pragma once

#include <string>
#include <string_view>

#include "records/soldier_entry.h"

enum class ExportFormat { kCsv, kJson };

// "csv" or "json" (either case); false for any other name.
bool ExportFormatNamed(std::string_view name, ExportFormat* format);

class ExportDocument {
 public:
  explicit ExportDocument(ExportFormat how) : format(how) {}

  // What comes before the first entry.
  std::string Begin() const;
  // An entry, with what separates it from the one before.
  std::string Entry(const SoldierEntry& entry);
  // What ends the document.
  std::string End() const;

 private:
  ExportFormat format;
  bool any = false;
};
