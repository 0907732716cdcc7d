// The log as it leaves the program: CSV a spreadsheet reads back, a Markdown report in which the
// roll's and the person's texts show as written, and GEDCOM that carries the notes.
#include "research/log_export.h"

#include <gtest/gtest.h>

#include "csv_reader.h"
#include "gedcom_lines.h"
#include "research_fixture.h"

namespace {

class LogExportTest : public LogTest {
 protected:
  // Two searches (one found nothing) and two soldiers, one with notes and a changed status.
  LogContents Contents() {
    ResearchLog log(Settings());
    EXPECT_TRUE(log.Open(path, LogAccess::kWrite));
    LoggedSearch muller = SampleSearch("MULLER", 3);
    muller.mode = "soundex";
    EXPECT_TRUE(log.RecordSearch(&muller));
    SavedSoldier first = SampleSoldier("O'BRIEN", 5);
    first.searchId = muller.id;
    bool already = false;
    EXPECT_TRUE(log.SaveSoldier(&first, &already));
    LoggedSearch nothing = SampleSearch("SMYTHE", 0);
    nothing.side = "C";
    EXPECT_TRUE(log.RecordSearch(&nothing));
    SavedSoldier second = SampleSoldier("KELLY", 9);
    EXPECT_TRUE(log.SaveSoldier(&second, &already));
    SoldierEdit edit;
    edit.status = ResearchStatus::kRecordsOrdered;
    edit.notes = "Pension | <b>file</b> *ordered*\r\nsecond line, \"quoted\", =SUM(A1)";
    EXPECT_TRUE(log.ChangeSoldier(second.id, edit));
    LogContents contents;
    EXPECT_TRUE(ReadLogContents(log, &contents)) << log.Problem().message;
    return contents;
  }
};

TEST_F(LogExportTest, CsvHasOneRowPerSearchAndSoldierInTheOrderTheyHappened) {
  const CsvRecords rows = ReadCsv(LogCsv(Contents()));
  ASSERT_EQ(rows.size(), 5u);
  for (const auto& row : rows) ASSERT_EQ(row.size(), rows[0].size());
  EXPECT_EQ(rows[0][0], "date");
  EXPECT_EQ(rows[0][1], "entry");
  const std::vector<std::string> entries = {rows[1][1], rows[2][1], rows[3][1], rows[4][1]};
  EXPECT_EQ(entries, (std::vector<std::string>{"search", "soldier", "search", "soldier"}));
  EXPECT_EQ(rows[1][6], "sounds like (Soundex)");
  EXPECT_EQ(rows[3][7], "Confederate");
  EXPECT_EQ(rows[3][8], "0");
  EXPECT_EQ(rows[2][9], "Ren\xC3\xA9 G. O'BRIEN");
  EXPECT_EQ(rows[2][16], rows[1][2]);  // found by the first search
  EXPECT_EQ(rows[4][14], "records ordered");
  // The notes as typed, their line break in one cell.
  EXPECT_NE(rows[4][15].find("second line, \"quoted\""), std::string::npos) << rows[4][15];
}

TEST_F(LogExportTest, MarkdownShowsEveryTextAsWrittenAndWhatFoundNothing) {
  const std::string report = LogMarkdown(Contents(), "2025-03-02T08:00:00Z");
  EXPECT_EQ(
      report.rfind("# Research log\n\nExported 2025-03-02 08:00 UTC from Dravenholt: 2 saved soldiers, 2 "
                   "searches (1 found nothing).",
                   0),
      0u)
      << report;
  EXPECT_NE(report.find("### 1. Ren\xC3\xA9 G. O'BRIEN \xE2\x80\x94 to do"), std::string::npos) << report;
  EXPECT_NE(report.find("### 2. Ren\xC3\xA9 G. KELLY \xE2\x80\x94 records ordered"), std::string::npos);
  // The notes, one quoted line each; nothing in them is markup.
  EXPECT_NE(
      report.find("> Pension \\| \\<b\\>file\\</b\\> \\*ordered\\*\n> second line, \"quoted\", =SUM(A1)\n"),
      std::string::npos)
      << report;
  EXPECT_NE(report.find("| 2 | 2025-03-01 10:00 UTC | SMYTHE, exact spelling, Confederate | **none** |"),
            std::string::npos)
      << report;
  EXPECT_NE(report.find("- **Found by:** search 1 of 2025-03-01 10:00 UTC: MULLER, sounds like (Soundex)"),
            std::string::npos)
      << report;
  // Every table row has as many cells as its header: no text opened a cell of its own.
  std::size_t start = 0;
  std::size_t cells = 0;
  while ((start = report.find('\n', start)) != std::string::npos) {
    const std::string line = report.substr(start + 1, report.find('\n', start + 1) - start - 1);
    ++start;
    if (line.rfind("| When | Change", 0) == 0 || line.rfind("| # |", 0) == 0) cells = 0;
    if (line.empty() || line[0] != '|') continue;
    std::size_t bars = 0;
    for (std::size_t i = 0; i < line.size(); ++i) bars += line[i] == '|' && (i == 0 || line[i - 1] != '\\');
    if (cells == 0) cells = bars;
    EXPECT_EQ(bars, cells) << line;
  }
}

TEST_F(LogExportTest, GedcomCarriesEachSoldiersStatusAndNotes) {
  GedcomOptions options;
  options.date = "2 MAR 2025";
  const std::vector<GedcomLine> lines = ParseGedcom(SoldiersGedcom(Contents(), options));
  ExpectWellFormedGedcom(lines);
  std::vector<std::string> notes;
  std::string record;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].level == 0) record = lines[i].tag;
    if (record == "INDI" && lines[i].level == 1 && lines[i].tag == "NOTE")
      notes.push_back(GedcomTextAt(lines, i));
  }
  ASSERT_EQ(notes.size(), 2u);
  EXPECT_EQ(notes[0], "Research status: to do (2025-03-01 10:00 UTC)");
  EXPECT_EQ(notes[1],
            "Research status: records ordered (2025-03-01 10:00 UTC)\nPension | <b>file</b> "
            "*ordered*\nsecond line, "
            "\"quoted\", =SUM(A1)");
}

}  // namespace
