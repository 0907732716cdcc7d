// The research log as a person takes it away: CSV for a spreadsheet (one row per search and per
// saved soldier, in the order they happened), a Markdown research report to print or paste, and
// the saved soldiers as a GEDCOM file with their status and notes. Every text, the roll's and the
// person's alike, is data: CSV cells go through records/csv_text, Markdown is escaped, GEDCOM is
// written by records/gedcom_writer.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "records/gedcom_writer.h"
#include "research/research_log.h"

// Everything an export shows, oldest first.
struct LogContents {
  std::vector<LoggedSearch> searches;
  std::vector<SavedSoldier> soldiers;
  std::map<std::int64_t, std::vector<SoldierChange>> histories;  // by soldier id
};

// Reads the whole log; false with log.Problem() set.
bool ReadLogContents(ResearchLog& log, LogContents* out);

// The header and one record per search and per soldier, ordered by time; CR LF line ends.
std::string LogCsv(const LogContents& contents);
// The report; `exported` is its date and time as the log writes times (ISO 8601, UTC).
std::string LogMarkdown(const LogContents& contents, const std::string& exported);
// The saved soldiers as GEDCOM 5.5.1, each with a NOTE of his status, its date and the notes.
std::string SoldiersGedcom(const LogContents& contents, GedcomOptions options);

// The text with everything Markdown would take for markup escaped (emphasis, code, links, HTML,
// table cells; a heading, list or quote at its start), line breaks and other control characters
// made blanks: what a roll or a person wrote shows as written, and stays readable as plain text.
std::string MarkdownText(std::string_view text);
