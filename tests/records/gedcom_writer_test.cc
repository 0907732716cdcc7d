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
    EXPECT_TRUE(end > start && text[end - 1] == '\r')
        << "a line without its CR: " << text.substr(start, end - start);
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
            "2 VERS " DRAVENHOLT_VERSION
            "\r\n"
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
            "1 SEX M\r\n"
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
  EXPECT_EQ(lines[smith + 3].tag, "SEX");
  EXPECT_EQ(lines[smith + 4].tag, "_MILT");
  EXPECT_EQ(lines[smith + 5].tag, "SOUR");
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

namespace {

struct Person {
  std::vector<std::size_t> battles;  // the lines of his EVEN records
  std::vector<std::string> associates;
  std::string serviceNote;
};

// Each INDI of a file with its battle events, associations and service note.
std::vector<Person> People(const std::vector<GedcomLine>& lines) {
  std::vector<Person> people;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const GedcomLine& line = lines[i];
    if (line.level == 0) {
      if (line.tag == "INDI") people.emplace_back();
      continue;
    }
    if (people.empty() || line.level != 1) continue;
    if (line.tag == "EVEN") {
      EXPECT_EQ(lines[i + 1].tag + " " + lines[i + 1].value, "TYPE Battle") << line.value;
      people.back().battles.push_back(i);
    }
    if (line.tag == "ASSO") {
      EXPECT_EQ(lines[i + 1].tag + " " + lines[i + 1].value, "RELA Comrade");
      people.back().associates.push_back(line.value);
    }
    if (line.tag == "_MILT") {
      const std::size_t note = FindGedcomTag(lines, "NOTE", i);
      if (note < lines.size() && lines[note].level == 2)
        people.back().serviceNote = GedcomTextAt(lines, note);
    }
  }
  return people;
}

// The value of `tag` below the line `at` (before the next line of its level or above).
std::string Below(const std::vector<GedcomLine>& lines, std::size_t at, const std::string& tag) {
  for (std::size_t i = at + 1; i < lines.size() && lines[i].level > lines[at].level; ++i) {
    if (lines[i].tag == tag) return GedcomTextAt(lines, i);
  }
  return "<none>";
}

}  // namespace

TEST(GedcomWriter, HisUnitsBattlesAsEventsEachCitingTheBattleSource) {
  const SoldierEntry entries[] = {
      EntryFromRoll("NELSON", "Ole", {"", "F", "1 MN INF", "PVT", "PVT", "", "1", "2", "3", "U"}),
      // Two units of the 3rd Ohio: chosen for the first, left open for the second.
      EntryFromRoll("HACK", "John", {"", "B", "3 OH INF", "PVT", "PVT", "", "", "", "", "U"}),
      EntryFromRoll("HACK", "James", {"", "B", "3 OH INF", "PVT", "PVT", "", "", "", "", "U"}),
      EntryFromRoll("TALIAFERRO", "Wm", {"", "A", "4 VA INF", "PVT", "PVT", "", "", "", "", "C"}),
      EntryFromRoll("SMITH", "John", {"", "", "99 ZZ INF", "", "", "", "", "", "", "U"}),
      EntryFromRoll("JONES", "Abel", {"", "", "1 MN INF", "", "", "", "", "", "", "C"}),
  };
  GedcomOptions options;
  options.battles = true;
  options.unitCodes = {"", "UOH0003RI01"};
  const std::vector<GedcomLine> lines = Parse(WriteGedcom(entries, options));
  ExpectWellFormedGedcom(lines);
  const std::vector<Person> people = People(lines);
  ASSERT_EQ(people.size(), 6u);

  ASSERT_EQ(people[0].battles.size(), 23u);
  const std::size_t manassas = people[0].battles.front();
  EXPECT_EQ(lines[manassas].value, "Manassas I");
  EXPECT_EQ(Below(lines, manassas, "DATE"), "21 JUL 1861");
  EXPECT_EQ(Below(lines, manassas, "PLAC"), "Fairfax County, Virginia, USA");
  EXPECT_EQ(Below(lines, manassas, "LATI"), "N38.8147");
  EXPECT_EQ(Below(lines, manassas, "LONG"), "W77.5227");
  EXPECT_EQ(Below(lines, manassas, "SOUR"), "@S2@");
  EXPECT_EQ(Below(lines, manassas, "PAGE"), "Battle VA005, unit UMN0001RI");
  const std::string note = Below(lines, manassas, "NOTE");
  EXPECT_NE(note.find("the battle is the unit's, not proof that he was present"), std::string::npos) << note;
  EXPECT_EQ(lines[people[0].battles.back()].value, "Appomattox Court House");

  // A battle of several days is the period it went on over.
  ASSERT_EQ(people[1].battles.size(), 4u);
  EXPECT_EQ(Below(lines, people[1].battles[2], "DATE"), "FROM 31 DEC 1862 TO 2 JAN 1863");
  EXPECT_TRUE(people[2].battles.empty());
  EXPECT_NE(
      people[2].serviceNote.find("names 2 units of the park service's list (UOH0003RI01, UOH0003RI02): no "
                                 "battles were added"),
      std::string::npos)
      << people[2].serviceNote;

  ASSERT_EQ(people[3].battles.size(), 7u);
  EXPECT_NE(people[3].serviceNote.find("749 of its 3,765 Confederate units"), std::string::npos);
  EXPECT_TRUE(people[4].battles.empty());
  EXPECT_NE(people[4].serviceNote.find("His unit text names no unit of the park service's list: no battles"),
            std::string::npos)
      << people[4].serviceNote;
  // A Union unit on a Confederate's entry is not taken for his.
  EXPECT_TRUE(people[5].battles.empty());
  EXPECT_NE(people[5].serviceNote.find("names no unit of his side"), std::string::npos)
      << people[5].serviceNote;

  // The battle source is one record, after the people.
  std::size_t sources = 0;
  for (const GedcomLine& line : lines) sources += line.level == 0 && line.xref == "@S2@";
  EXPECT_EQ(sources, 1u);

  // Without the option the same soldiers have no battles, and the file no battle source.
  options.battles = false;
  const std::vector<GedcomLine> plain = Parse(WriteGedcom(entries, options));
  for (const Person& person : People(plain)) EXPECT_TRUE(person.battles.empty());
  for (const GedcomLine& line : plain) EXPECT_NE(line.xref, "@S2@");
}

TEST(GedcomWriter, ComradesAreAssociationsOfTheSoldierWithEachOther) {
  const SoldierEntry entries[] = {
      EntryFromRoll("KELLY", "Patrick", {"", "D", "5 IL INF", "", "", "", "", "", "", "U"}),
      EntryFromRoll("KELLY", "Michael", {"", "D", "5 IL INF", "", "", "", "", "", "", "U"}),
      EntryFromRoll("BURKE", "Thomas", {"", "D", "5 IL INF", "", "", "", "", "", "", "U"}),
  };
  GedcomOptions options;
  options.comradesOf = 1;
  const std::vector<GedcomLine> lines = Parse(WriteGedcom(entries, options));
  ExpectWellFormedGedcom(lines);
  const std::vector<Person> people = People(lines);
  ASSERT_EQ(people.size(), 3u);
  EXPECT_TRUE(people[0].associates.empty());
  EXPECT_EQ(people[1].associates, (std::vector<std::string>{"@I1@", "@I3@"}));
  EXPECT_TRUE(people[2].associates.empty());

  options.comradesOf = 3;  // no such entry: no associations
  for (const Person& person : People(Parse(WriteGedcom(entries, options))))
    EXPECT_TRUE(person.associates.empty());
}

namespace {

// Removes every association (its ASSO line and the RELA beneath) from a file of this writer.
std::string WithoutAssociations(const std::string& text) {
  std::string kept;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    const std::string line = text.substr(start, end + 1 - start);
    if (line.rfind("1 ASSO ", 0) == 0 || line == "2 RELA Comrade\r\n") continue;
    kept += line;
  }
  return kept;
}

SoldierEntry Man(const std::string& surname, const std::string& company, const std::string& unit = "5 IL INF",
                 const std::string& side = "U") {
  return EntryFromRoll(surname, "John", {"", company, unit, "PVT", "", "", "", "", "", side});
}

}  // namespace

TEST(GedcomWriter, CompanyComradesLinkEachManWithTheOtherMenOfHisCompanyOnly) {
  // A roster as the roll lists it: company by company, the men without a company last. Company
  // letters are compared as a roster compares them (" d" is "D"); the same letter of another unit
  // or side that follows is another company.
  const std::vector<SoldierEntry> roster = {
      Man("ADAMS", "D"),
      Man("BURKE", " d"),
      Man("KELLY", "D"),
      Man("NELSON", "E"),
      Man("OLSEN", "E"),
      Man("PRICE", "F"),
      Man("REED", "F", "5 IL INF", "C"),
      Man("SMITH", "F", "6 IL INF"),
      Man("TODD", ""),
      Man("WEBB", " "),
  };
  GedcomOptions options;
  options.battles = true;
  const std::string plain = WriteGedcom(roster, options);
  options.companyComrades = true;
  const std::string linked = WriteGedcom(roster, options);

  // The associations are all that changed: held back by company, the records keep their order.
  EXPECT_EQ(WithoutAssociations(linked), plain);
  const std::vector<GedcomLine> lines = Parse(linked);
  ExpectWellFormedGedcom(lines);  // every ASSO points at an INDI of the file
  const std::vector<Person> people = People(lines);
  ASSERT_EQ(people.size(), roster.size());
  using Xrefs = std::vector<std::string>;
  EXPECT_EQ(people[0].associates, (Xrefs{"@I2@", "@I3@"}));
  EXPECT_EQ(people[1].associates, (Xrefs{"@I1@", "@I3@"}));
  EXPECT_EQ(people[2].associates, (Xrefs{"@I1@", "@I2@"}));
  EXPECT_EQ(people[3].associates, (Xrefs{"@I5@"}));
  EXPECT_EQ(people[4].associates, (Xrefs{"@I4@"}));
  for (std::size_t alone = 5; alone < people.size(); ++alone) {
    EXPECT_TRUE(people[alone].associates.empty()) << roster[alone].surname;
  }
}

TEST(GedcomWriter, CompanyComradesHoldBackOneCompanyAtMostAndLinkNoneOfACrowdedOne) {
  GedcomOptions options;
  options.companyComrades = true;
  GedcomDocument document(options, kMaxComradeCompany + 3);
  std::string file = document.Begin();
  // A company's men come out when the next company begins.
  file += document.Entry(Man("ADAMS", "A"));
  std::string given = document.Entry(Man("BAKER", "A"));
  EXPECT_TRUE(given.empty());
  given = document.Entry(Man("CLARK", "B"));
  EXPECT_NE(given.find("1 ASSO @I2@"), std::string::npos);
  file += given;
  // A company of one man more than are linked: nothing is held past the limit, and no one of it
  // is linked.
  std::size_t heldAtMost = 0;
  std::size_t held = 0;
  for (std::size_t i = 1; i <= kMaxComradeCompany; ++i) {
    given = document.Entry(Man("MAN" + std::to_string(i), "B"));
    held = given.empty() ? held + 1 : 0;
    heldAtMost = std::max(heldAtMost, held);
    file += given;
  }
  EXPECT_LE(heldAtMost, kMaxComradeCompany);
  EXPECT_EQ(held, 0u);
  file += document.End();

  const std::vector<GedcomLine> lines = Parse(file);
  ExpectWellFormedGedcom(lines);
  const std::vector<Person> people = People(lines);
  ASSERT_EQ(people.size(), kMaxComradeCompany + 3);
  EXPECT_EQ(people[0].associates, (std::vector<std::string>{"@I2@"}));
  std::size_t notes = 0;
  for (std::size_t i = 2; i < people.size(); ++i) EXPECT_TRUE(people[i].associates.empty()) << i;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].level == 1 && lines[i].tag == "NOTE" &&
        GedcomTextAt(lines, i).find("too many to link") != std::string::npos) {
      ++notes;
    }
  }
  EXPECT_EQ(notes, kMaxComradeCompany + 1);
}
