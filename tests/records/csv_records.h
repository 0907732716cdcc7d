// Reading CSV back in tests with libcsv in strict mode, as a spreadsheet or a script would: a
// text that is not RFC 4180 fails the calling test.
#pragma once

#include <string>
#include <vector>

using CsvRecords = std::vector<std::vector<std::string>>;

CsvRecords ReadCsvRecords(const std::string& text);
