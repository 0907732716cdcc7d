// GEDCOM from the writer imported by Gramps (Debian's gramps package) through its command line:
// a new family tree, the import's problem report, and the tree exported again as GEDCOM to see
// what Gramps made of the people, events, sources and citations. Skipped when gramps is missing.
#include <gtest/gtest.h>

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

std::vector<SoldierEntry> Soldiers() {
  std::string longRemark;
  for (int i = 0; i < 12; ++i) longRemark += "Wounded at Fredericksburg, 13 Dec. 1862; sent to hospital. ";
  return {
      EntryFromRoll("KELLY", "Patrick", {"G", "G", "25 BTRY OH LT ART", "CORP", "SERG", "", "12", "34", "5678", "U"}),
      // An apostrophe, accents (Windows-1252 on the roll), a commander's battalion.
      EntryFromRoll("O'BRIEN", "Jos\xE9 Mar\xED" "a", {"", "A", "COOPER'S BN AL INF", "PVT", "PVT", longRemark,
                                                  "7", "1", "22", "C"}),
      // Missing fields: no company, unit, ranks or microfilm; an address with an @ in the remarks.
      EntryFromRoll("D'ANTIGNAC", "Fran\xE7ois", {" ", " ", "", "", "", "Letters c/o J. Smith @ Augusta", " ", " ", " ", "C"}),
      // Only a surname.
      EntryFromRoll("SMITH", "", {}),
  };
}

}  // namespace

TEST(GrampsImport, ImportsPeopleEventsSourcesAndCitationsWithoutProblems) {
  const std::string gramps = FindProgram("gramps");
  if (gramps.empty()) {
    GTEST_SKIP() << "gramps is not installed (Debian package gramps): the GEDCOM import was not tried";
  }
  ScopedTempDir dir;
  const std::string home = dir.File("home");
  const std::string in = dir.File("soldiers.ged");
  const std::string out = dir.File("exported.ged");
  const std::vector<SoldierEntry> soldiers = Soldiers();
  GedcomOptions options;
  options.date = GedcomDate(2025, 12, 8);
  WriteFileBytes(in, WriteGedcom(soldiers, options));

  int status = 0;
  const std::string import = RunGramps(gramps, home, {"-y", "-q", "-C", "Soldiers", "-i", in}, &status);
  ASSERT_EQ(status, 0) << import;
  EXPECT_NE(import.find("GEDCOM import report: No errors detected"), std::string::npos) << import;
  const std::string exported = RunGramps(gramps, home, {"-y", "-q", "-O", "Soldiers", "-e", out}, &status);
  ASSERT_EQ(status, 0) << exported;

  // What Gramps holds, as it writes it out again.
  const std::vector<GedcomLine> lines = ParseGedcom(ReadFileBytes(out));
  ExpectWellFormedGedcom(lines);
  std::vector<std::string> names, events, pages, notes, sources;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const GedcomLine& line = lines[i];
    if (line.level == 1 && line.tag == "NAME" && lines[i - 1].tag == "INDI") {
      // Gramps writes a name without given names as " /SMITH/".
      names.push_back(line.value.substr(line.value.find_first_not_of(' ')));
    }
    if (line.level == 1 && line.tag == "_MILT") {
      const std::size_t type = FindGedcomTag(lines, "TYPE", i);
      events.push_back(type < lines.size() && lines[type].level == 2 ? lines[type].value : "");
    }
    if (line.tag == "PAGE") pages.push_back(line.value);
    if (line.level == 0 && line.tag == "NOTE") notes.push_back(GedcomTextAt(lines, i));
    if (line.level == 0 && line.tag == "SOUR") sources.push_back(GedcomTextAt(lines, i + 1));
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Patrick G /KELLY/", "Jos\u00E9 Mar\u00EDa /O'BRIEN/",
                                             "Fran\u00E7ois /D'ANTIGNAC/", "/SMITH/"}));
  // Every soldier has his Military Service event; the last has no unit or side to describe it.
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events[0], "25th Battery, Ohio Light Artillery (Union)");
  EXPECT_EQ(events[1], "Cooper's Battalion, Alabama Infantry (Confederate)");
  EXPECT_EQ(events[2], "Confederate");
  EXPECT_EQ(sources, (std::vector<std::string>{"Kinloom Disk 3, Civil War muster-roll database"}));
  EXPECT_EQ(pages, (std::vector<std::string>{"National Archives microfilm box 12, roll 34, record 5678",
                                             "National Archives microfilm box 7, roll 1, record 22"}));
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
