// CSV text as RFC 4180 writes it: fields separated by commas, records ended by CR LF, a field
// quoted (its quotes doubled) when it holds a comma, a quote, a CR or an LF, or begins or ends
// with a blank that a reader might trim.
//
// A cell is data, never a formula: a spreadsheet runs a cell that begins with '=', '+', '-' or
// '@' (and, in some, with a tab or a CR) as a formula ("=HYPERLINK(...)", "+cmd|' /C calc'!A0").
// Such a cell is written after an apostrophe, which spreadsheets take for "text follows" and do
// not show. So that a cell read back is the cell written, a cell that already begins with
// apostrophes before such a character gets one more, and a reader takes exactly one off
// (UnguardedCsvCell). Every CSV the programs write guards its cells here.
#pragma once

#include <string>
#include <string_view>

// The apostrophe put before a cell that a spreadsheet would run.
inline constexpr char kCsvFormulaGuard = '\'';

// Whether `cell` is written after kCsvFormulaGuard: it begins with '=', '+', '-', '@', a tab or
// a CR, after any number of apostrophes; a plain negative number ("-77.52", a longitude) is a
// number to a spreadsheet and is written as it stands.
bool CsvCellNeedsGuard(std::string_view cell);
// The text a CSV writer writes for `cell`: `cell`, after kCsvFormulaGuard when it needs one.
std::string GuardedCsvCell(std::string_view cell);
// What a cell read from a CSV stood for: `cell` without the one apostrophe GuardedCsvCell put
// before it, else `cell` unchanged.
std::string_view UnguardedCsvCell(std::string_view cell);

// Appends the guarded cell `field`, quoted where it needs to be.
void AppendCsvField(std::string_view field, std::string* out);

// Appends a whole record and its CR LF.
template <typename Fields>
void AppendCsvRecord(const Fields& fields, std::string* out) {
  bool first = true;
  for (const auto& field : fields) {
    if (!first) out->push_back(',');
    first = false;
    AppendCsvField(field, out);
  }
  out->append("\r\n");
}
