// The one-line summary and the detail text of an entry, computed from its line in memory. A front
// end that gets whole lines from somewhere else than the line file (the SQLite side of the
// benchmarks) builds its rows with these, so that they can be checked byte for byte against the
// engine's.
#pragma once

#include <string>
#include <string_view>

// The summary the line file reader gives for `line` (bytes from the entry's first byte; the end
// of the view stands for the end of the file), converted as a result row shows it: separators
// become commas, the line feed a space, a last comma dropped. At most 40 characters.
// `consumed`, when given, receives how many bytes of the line the reader had to look at.
std::string RowSummary(std::string_view line, int* consumed = nullptr);

// The detail text More Info shows for the entry of database 1 whose line is `line`, read as the
// line reader hands it over (cut at 4,999 bytes).
std::string DetailTextOfLine(std::string line);

// "surname\tname\tsummary" as a result row formats it (name cut to 254 bytes, surname to 29).
std::string FormatRowText(std::string_view displaySurname, std::string_view name, std::string_view summary);
