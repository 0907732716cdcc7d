#include "records/gedcom_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gedcom_lines.h"

namespace {

// Parses a file of this writer: every line ends in CR LF and fits the standard's length.
std::vector<GedcomLine> Parse(const std::string& text) {
  std::size_t lineFeeds = 0;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    ++lineFeeds;
    EXPECT_TRUE(end > start && text[end - 1] == '\r') << "a line without its CR: " << text.substr(start, end - start);
    EXPECT_LE(end + 1 - start, kGedcomMaxLine) << text.substr(start, end - start);
  }
  EXPECT_EQ(start, text.size()) << "the file does not end in CR LF";
  const std::vector<GedcomLine> lines = ParseGedcom(text);
  EXPECT_EQ(lines.size(), lineFeeds);
  return lines;
}

SoldierEntry Kelly() {
  return EntryFromRoll("KELLY", "Patrick",
                       {"G", "G", "25 BTRY OH LT ART", "CORP", "SERG", "", "12", "34", "5678", "U"});
}

}  // namespace

TEST(GedcomWriter, OneEntry) {
  GedcomOptions options;
  options.date = GedcomDate(2025, 12, 8);
  const SoldierEntry entries[] = {Kelly()};
  EXPECT_EQ(WriteGedcom(entries, options),
            "0 HEAD\r\n"
            "1 SOUR DRAVENHOLT\r\n"
            "2 VERS " DRAVENHOLT_VERSION "\r\n"
            "2 NAME Dravenholt\r\n"
            "1 DATE 8 DEC 2025\r\n"
            "1 SUBM @SUBM1@\r\n"
            "1 GEDC\r\n"
            "2 VERS 5.5.1\r\n"
            "2 FORM LINEAGE-LINKED\r\n"
            "1 CHAR UTF-8\r\n"
            "0 @SUBM1@ SUBM\r\n"
            "1 NAME Dravenholt user\r\n"
            "0 @S1@ SOUR\r\n"
            "1 TITL Kinloom Disk 3, Civil War muster-roll database\r\n"
            "1 PUBL CD-ROM\r\n"
            "1 NOTE Searched with Dravenholt. Each entry gives the National Archives microfilm box, "
            "roll and record where the soldier is found.\r\n"
            "0 @I1@ INDI\r\n"
            "1 NAME Patrick G /KELLY/\r\n"
            "2 GIVN Patrick G\r\n"
            "2 SURN KELLY\r\n"
            "1 _MILT\r\n"
            "2 TYPE 25th Battery, Ohio Light Artillery (Union)\r\n"
            "2 NOTE Unit: 25 BTRY OH LT ART (25th Battery, Ohio Light Artillery)\r\n"
            "3 CONT Company: G\r\n"
            "3 CONT Rank in: CORP\r\n"
            "3 CONT Rank out: SERG\r\n"
            "3 CONT Side: Union\r\n"
            "2 SOUR @S1@\r\n"
            "3 PAGE National Archives microfilm box 12, roll 34, record 5678\r\n"
            "0 TRLR\r\n");
}

TEST(GedcomWriter, SeveralEntriesShareTheSourceAndGetTheirOwnIds) {
  const SoldierEntry entries[] = {
      Kelly(),
      EntryFromRoll("O'BRIEN", "Jos\xE9", {"", "B", "99 ZZ INF", "PVT", "", "", "", "", "", "X"}),
      EntryFromRoll("SMITH", "", {}),
  };
  const std::vector<GedcomLine> lines = Parse(WriteGedcom(entries, {}));
  ExpectWellFormedGedcom(lines);
  EXPECT_EQ(FindGedcomTag(lines, "DATE"), lines.size());  // no date asked for

  std::vector<std::string> people;
  for (const GedcomLine& line : lines) {
    if (line.tag == "INDI") people.push_back(line.xref);
  }
  EXPECT_EQ(people, (std::vector<std::string>{"@I1@", "@I2@", "@I3@"}));

  const std::size_t obrien = FindGedcomTag(lines, "INDI", FindGedcomTag(lines, "INDI") + 1);
  EXPECT_EQ(lines[obrien + 1].value, "Jos\u00E9 /O'BRIEN/");
  const std::size_t note = FindGedcomTag(lines, "NOTE", obrien);
  EXPECT_EQ(GedcomTextAt(lines, note), "Unit: 99 ZZ INF\nCompany: B\nRank in: PVT\nSide: X");
  EXPECT_EQ(lines[FindGedcomTag(lines, "TYPE", obrien)].value, "99 ZZ INF");
  // No microfilm: the citation has no page.
  const std::size_t citation = FindGedcomTag(lines, "SOUR", obrien);
  EXPECT_EQ(lines[citation + 1].tag, "INDI");

  // A soldier of whom the roll has only the surname still gets his event and citation.
  const std::size_t smith = FindGedcomTag(lines, "INDI", obrien + 1);
  EXPECT_EQ(lines[smith + 1].value, "/SMITH/");
  EXPECT_EQ(lines[smith + 2].tag, "SURN");
  EXPECT_EQ(lines[smith + 3].tag, "_MILT");
  EXPECT_EQ(lines[smith + 4].tag, "SOUR");
}

TEST(GedcomWriter, LongTextsGoOnConcLinesAndComeBackWhole) {
  std::string remark;
  for (int i = 0; i < 60; ++i) remark += "Wounded at Gettysburg, 3 July 1863; caf\xE9 ";
  remark += "a@b";
  const SoldierEntry entries[] = {
      EntryFromRoll("KELLY", "Patrick", {"", "", "18 ME INF", "", "", remark, "", "", "", "U"}),
      EntryFromRoll(std::string(300, 'K'), std::string(300, 'p'), {"", "", std::string(400, 'u')}),
  };
  const std::vector<GedcomLine> lines = Parse(WriteGedcom(entries, {}));
  ExpectWellFormedGedcom(lines);

  const std::size_t note = FindGedcomTag(lines, "NOTE", FindGedcomTag(lines, "INDI"));
  const std::string& utf8 = entries[0].Field(kRemarksField);
  const std::string doubled = utf8.substr(0, utf8.size() - 3) + "a@@b";
  EXPECT_EQ(GedcomTextAt(lines, note),
            "Unit: 18 ME INF (18th Maine Infantry)\nSide: Union\nRemarks: " + doubled);
  int conc = 0;
  for (const GedcomLine& line : lines) {
    if (line.tag != "CONC") continue;
    ++conc;
    EXPECT_NE(line.value.front(), ' ');
    EXPECT_NE(static_cast<unsigned char>(line.value.front()) & 0xC0, 0x80) << "cut inside a character";
  }
  EXPECT_GT(conc, 10);

  const std::size_t second = FindGedcomTag(lines, "INDI", FindGedcomTag(lines, "INDI") + 1);
  EXPECT_EQ(GedcomTextAt(lines, second + 1), std::string(300, 'p') + " /" + std::string(300, 'K') + "/");
  // An event's TYPE is a classification of at most 90 characters; the note keeps the whole text.
  EXPECT_EQ(lines[FindGedcomTag(lines, "TYPE", second)].value, std::string(90, 'u'));
  EXPECT_EQ(GedcomTextAt(lines, FindGedcomTag(lines, "NOTE", second)), "Unit: " + std::string(400, 'u'));
}

TEST(GedcomWriter, TextsCannotBreakTheLineStructure) {
  SoldierEntry entry = Kelly();  // as a caller might fill it, bypassing the roll's clean-up
  entry.givenName = "Pat/rick";
  entry.fields[kRemarksField] = "line one\r\nline two\x1b[0m\t@@";
  const SoldierEntry entries[] = {entry};
  const std::vector<GedcomLine> lines = Parse(WriteGedcom(entries, {}));
  ExpectWellFormedGedcom(lines);
  const std::size_t indi = FindGedcomTag(lines, "INDI");
  EXPECT_EQ(lines[indi + 1].value, "Pat rick G /KELLY/");
  EXPECT_EQ(lines[indi + 2].value, "Pat/rick G");
  const std::size_t note = FindGedcomTag(lines, "NOTE", indi);
  const std::string text = GedcomTextAt(lines, note);
  EXPECT_EQ(text.substr(text.find("Remarks")), "Remarks: line one \nline two [0m @@@@");

  // A reader undoubles "@@" line by line: no line may end inside a pair.
  entry.fields[kRemarksField] = std::string(301, '@');
  const SoldierEntry ats[] = {entry};
  const std::vector<GedcomLine> atLines = Parse(WriteGedcom(ats, {}));
  const std::size_t atNote = FindGedcomTag(atLines, "NOTE", FindGedcomTag(atLines, "INDI"));
  const std::string atText = GedcomTextAt(atLines, atNote);
  EXPECT_EQ(atText.substr(atText.find("Remarks")), "Remarks: " + std::string(602, '@'));
  for (std::size_t i = atNote; i == atNote || (i < atLines.size() && atLines[i].level == 3); ++i) {
    const std::string& value = atLines[i].value;
    for (std::size_t at = value.find('@'); at != std::string::npos; at = value.find('@', at)) {
      const std::size_t end = std::min(value.find_first_not_of('@', at), value.size());
      EXPECT_EQ((end - at) % 2, 0u) << "line " << i << ": " << value;
      at = end;
    }
  }
}

TEST(GedcomWriter, Dates) {
  EXPECT_EQ(GedcomDate(2025, 12, 8), "8 DEC 2025");
  EXPECT_EQ(GedcomDate(2024, 2, 29), "29 FEB 2024");
  EXPECT_EQ(GedcomDate(2025, 2, 29), "");
  EXPECT_EQ(GedcomDate(1900, 2, 29), "");
  EXPECT_EQ(GedcomDate(2000, 2, 29), "29 FEB 2000");
  EXPECT_EQ(GedcomDate(2025, 13, 1), "");
  EXPECT_EQ(GedcomDate(2025, 4, 31), "");
  EXPECT_EQ(GedcomDate(2025, 1, 0), "");
}
