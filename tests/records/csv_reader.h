// Reading CSV back in tests, with libcsv in strict mode, as a spreadsheet or a script would.
#pragma once

#include <string>
#include <vector>

using CsvRecords = std::vector<std::vector<std::string>>;

// The records of `text`; a text libcsv refuses fails the calling test.
CsvRecords ReadCsv(const std::string& text);
