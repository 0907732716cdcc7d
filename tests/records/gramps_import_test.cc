// GEDCOM from the writer imported by Gramps (Debian's gramps package) through its command line:
// a new family tree, the import's problem report, and the tree exported again as GEDCOM to see
// what Gramps made of the people, events (the battles of a unit among them), sources, citations
// and associations. Skipped when gramps is missing.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "external_program.h"
#include "gedcom_lines.h"
#include "records/gedcom_writer.h"
#include "support/scoped_temp_dir.h"

namespace {

// Runs gramps with `args` in its own home under `home`, English messages.
std::string RunGramps(const std::string& gramps, const std::string& home,
                      const std::vector<std::string>& args, int* status) {
  return RunProgram(gramps, args, {"GRAMPSHOME=" + home, "LANGUAGE=en", "LC_ALL=C.UTF-8"}, status);
}

// Imports `gedcom` into a new tree of Gramps's in `dir` and gives the tree as Gramps writes it out
// again; fails the calling test when the import reports a problem.
std::vector<GedcomLine> ImportedByGramps(const std::string& gramps, const ScopedTempDir& dir,
                                         const std::string& gedcom) {
  const std::string home = dir.File("home");
  const std::string in = dir.File("in.ged");
  const std::string out = dir.File("exported.ged");
  WriteFileBytes(in, gedcom);
  int status = 0;
  const std::string import = RunGramps(gramps, home, {"-y", "-q", "-C", "Tree", "-i", in}, &status);
  EXPECT_EQ(status, 0) << import;
  EXPECT_NE(import.find("GEDCOM import report: No errors detected"), std::string::npos) << import;
  const std::string exported = RunGramps(gramps, home, {"-y", "-q", "-O", "Tree", "-e", out}, &status);
  EXPECT_EQ(status, 0) << exported;
  const std::vector<GedcomLine> lines = ParseGedcom(ReadFileBytes(out));
  ExpectWellFormedGedcom(lines);
  return lines;
}

std::vector<SoldierEntry> Soldiers() {
  std::string longRemark;
  for (int i = 0; i < 12; ++i) longRemark += "Wounded at Fredericksburg, 13 Dec. 1862; sent to hospital. ";
  return {
      EntryFromRoll("KELLY", "Patrick",
                    {"G", "G", "25 BTRY OH LT ART", "CORP", "SERG", "", "12", "34", "5678", "U"}),
      // An apostrophe, accents (Windows-1252 on the roll), a commander's battalion.
      EntryFromRoll("O'BRIEN",
                    "Jos\xE9 Mar\xED"
                    "a",
                    {"", "A", "COOPER'S BN AL INF", "PVT", "PVT", longRemark, "7", "1", "22", "C"}),
      // Missing fields: no company, unit, ranks or microfilm; an address with an @ in the remarks.
      EntryFromRoll("D'ANTIGNAC", "Fran\xE7ois",
                    {" ", " ", "", "", "", "Letters c/o J. Smith @ Augusta", " ", " ", " ", "C"}),
      // Only a surname.
      EntryFromRoll("SMITH", "", {}),
      // Two men of one company of a unit with battles: the battles as events, the second man his
      // comrade.
      EntryFromRoll("NELSON", "Ole", {"", "F", "1 MN INF", "PVT", "CORP", "", "1", "2", "3", "U"}),
      EntryFromRoll("BURKE", "Thomas", {"", "F", "1 MN INF", "PVT", "PVT", "", "", "", "", "U"}),
  };
}

}  // namespace

TEST(GrampsImport, ImportsPeopleEventsBattlesSourcesCitationsAndComradesWithoutProblems) {
  const std::string gramps = FindProgram("gramps");
  if (gramps.empty()) {
    GTEST_SKIP() << "gramps is not installed (Debian package gramps): the GEDCOM import was not tried";
  }
  ScopedTempDir dir;
  const std::vector<SoldierEntry> soldiers = Soldiers();
  GedcomOptions options;
  options.date = GedcomDate(2025, 12, 8);
  options.battles = true;
  options.comradesOf = 4;

  // What Gramps holds, as it writes it out again.
  const std::vector<GedcomLine> lines = ImportedByGramps(gramps, dir, WriteGedcom(soldiers, options));
  std::vector<std::string> names, events, pages, notes, sources;
  std::vector<std::string> people;                          // xrefs in the file's order
  std::map<std::string, std::vector<std::size_t>> battles;  // per person, the lines of his battles
  std::map<std::string, std::vector<std::string>> comrades;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const GedcomLine& line = lines[i];
    if (line.level == 0 && line.tag == "INDI") people.push_back(line.xref);
    if (line.level == 1 && line.tag == "EVEN" && lines[i + 1].tag == "TYPE" &&
        lines[i + 1].value == "Battle") {
      battles[people.back()].push_back(i);
    }
    if (line.level == 1 && line.tag == "ASSO") {
      EXPECT_EQ(lines[i + 1].tag + " " + lines[i + 1].value, "RELA Comrade");
      comrades[people.back()].push_back(line.value);
    }
    if (line.level == 1 && line.tag == "NAME" && lines[i - 1].tag == "INDI") {
      // Gramps writes a name without given names as " /SMITH/".
      names.push_back(line.value.substr(line.value.find_first_not_of(' ')));
    }
    if (line.level == 1 && line.tag == "_MILT") {
      const std::size_t type = FindGedcomTag(lines, "TYPE", i);
      events.push_back(type < lines.size() && lines[type].level == 2 ? lines[type].value : "");
    }
    if (line.tag == "PAGE" && line.value.rfind("National Archives", 0) == 0) pages.push_back(line.value);
    if (line.level == 0 && line.tag == "NOTE") notes.push_back(GedcomTextAt(lines, i));
    if (line.level == 0 && line.tag == "SOUR") sources.push_back(GedcomTextAt(lines, i + 1));
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Patrick G /KELLY/", "Jos\u00E9 Mar\u00EDa /O'BRIEN/",
                                             "Fran\u00E7ois /D'ANTIGNAC/", "/SMITH/", "Ole /NELSON/",
                                             "Thomas /BURKE/"}));
  // Every soldier has his Military Service event; the fourth has no unit or side to describe it.
  ASSERT_EQ(events.size(), 6u);
  EXPECT_EQ(events[0], "25th Battery, Ohio Light Artillery (Union)");
  EXPECT_EQ(events[1], "Cooper's Battalion, Alabama Infantry (Confederate)");
  EXPECT_EQ(events[2], "Confederate");
  EXPECT_EQ(sources,
            (std::vector<std::string>{"Kinloom Disk 3, Civil War muster-roll database",
                                      "Civil War battles and the units linked to them (CWSS/CWSAC)"}));
  EXPECT_EQ(pages, (std::vector<std::string>{"National Archives microfilm box 12, roll 34, record 5678",
                                             "National Archives microfilm box 7, roll 1, record 22",
                                             "National Archives microfilm box 1, roll 2, record 3"}));

  // The 1st Minnesota's 23 battles came through as events of both its men, with their days (a
  // period for a battle of several days), places, points, notes and citations.
  ASSERT_EQ(people.size(), 6u);
  const std::vector<std::size_t>& nelson = battles[people[4]];
  ASSERT_EQ(nelson.size(), 23u);
  EXPECT_EQ(battles[people[5]].size(), 23u);
  auto below = [&lines](std::size_t at, const std::string& tag) {
    for (std::size_t i = at + 1; i < lines.size() && lines[i].level > lines[at].level; ++i) {
      if (lines[i].tag == tag) return lines[i].tag == "NOTE" ? GedcomTextAt(lines, i) : lines[i].value;
    }
    return std::string("<none>");
  };
  EXPECT_EQ(lines[nelson[0]].value, "Manassas I");
  EXPECT_EQ(below(nelson[0], "DATE"), "21 JUL 1861");
  EXPECT_EQ(below(nelson[0], "PLAC"), "Fairfax County, Virginia, USA");
  EXPECT_EQ(below(nelson[0], "LATI"), "N38.8147");
  EXPECT_EQ(below(nelson[0], "PAGE"), "Battle VA005, unit UMN0001RI");
  EXPECT_EQ(lines[nelson[1]].value, "Yorktown");
  EXPECT_EQ(below(nelson[1], "DATE"), "FROM 5 APR 1862 TO 4 MAY 1862");
  EXPECT_EQ(lines[nelson[22]].value, "Appomattox Court House");
  // Gramps keeps notes as records of their own: the event points at its note.
  std::string battleNote;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].level == 0 && lines[i].xref == below(nelson[0], "NOTE")) battleNote = GedcomTextAt(lines, i);
  }
  EXPECT_NE(battleNote.find("not proof that he was present"), std::string::npos) << battleNote;

  // The comrade is an association of the soldier's, to the man it names.
  EXPECT_EQ(comrades[people[4]],
            (std::vector<std::string>{people[0], people[1], people[2], people[3], people[5]}));
  EXPECT_EQ(comrades.size(), 1u);
  // The event notes came through whole, the long one from its CONC lines, and Gramps left no note
  // of records it could not import.
  bool sawLongRemark = false, sawAddress = false;
  for (const std::string& note : notes) {
    EXPECT_EQ(note.find("not imported"), std::string::npos) << note;
    if (note.find(soldiers[1].Field(kRemarksField)) != std::string::npos) sawLongRemark = true;
    // Gramps doubles the "@" on the way out, as the writer did: it held one.
    if (note.find("Remarks: Letters c/o J. Smith @@ Augusta") != std::string::npos) sawAddress = true;
  }
  EXPECT_TRUE(sawLongRemark);
  EXPECT_TRUE(sawAddress);
}

TEST(GrampsImport, ImportsARosterWhoseMenAreLinkedWithTheirCompanysMen) {
  const std::string gramps = FindProgram("gramps");
  if (gramps.empty()) {
    GTEST_SKIP() << "gramps is not installed (Debian package gramps): the GEDCOM import was not tried";
  }
  ScopedTempDir dir;
  auto man = [](const char* surname, const char* company) {
    return EntryFromRoll(surname, "John", {"", company, "1 MN INF", "PVT", "", "", "", "", "", "U"});
  };
  // Company D of three men, company E of two, one man without a company.
  const std::vector<SoldierEntry> roster = {man("ADAMS", "D"),  man("BURKE", "D"), man("KELLY", "D"),
                                            man("NELSON", "E"), man("OLSEN", "E"), man("TODD", "")};
  GedcomOptions options;
  options.battles = true;
  options.companyComrades = true;

  // Gramps names its people in its own way: each man's comrades, by surname.
  const std::vector<GedcomLine> lines = ImportedByGramps(gramps, dir, WriteGedcom(roster, options));
  std::map<std::string, std::string> surnameOf;
  std::vector<std::string> people;
  std::map<std::string, std::vector<std::string>> comrades;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].level == 0 && lines[i].tag == "INDI") people.push_back(lines[i].xref);
    if (lines[i].level == 2 && lines[i].tag == "SURN") surnameOf[people.back()] = lines[i].value;
    if (lines[i].level == 1 && lines[i].tag == "ASSO") {
      EXPECT_EQ(lines[i + 1].tag + " " + lines[i + 1].value, "RELA Comrade");
      comrades[people.back()].push_back(lines[i].value);
    }
  }
  std::map<std::string, std::vector<std::string>> bySurname;
  for (const auto& [person, theirs] : comrades) {
    for (const std::string& comrade : theirs) bySurname[surnameOf[person]].push_back(surnameOf[comrade]);
  }
  using Names = std::vector<std::string>;
  EXPECT_EQ(bySurname, (std::map<std::string, Names>{{"ADAMS", Names{"BURKE", "KELLY"}},
                                                     {"BURKE", Names{"ADAMS", "KELLY"}},
                                                     {"KELLY", Names{"ADAMS", "BURKE"}},
                                                     {"NELSON", Names{"OLSEN"}},
                                                     {"OLSEN", Names{"NELSON"}}}));
}
