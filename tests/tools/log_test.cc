// rollkit's research log: search --log records what was searched (nothing without it), log save
// keeps exactly the entry show shows at that position, notes and status are dated, the export is
// written whole, and a log that cannot be used never stops a search.
#include <gtest/gtest.h>

#include <cstdio>

#include "research/log_export.h"
#include "research/research_log.h"
#include "research/roll_identity.h"
#include "results/detail_text.h"
#include "results/result_list.h"
#include "store/data_location.h"
#include "store/roll_database.h"
#include "support/rollkit_runner.h"

namespace {

class LogCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string csv = kRollHeader;
    char line[200];
    for (int i = 0; i < 25; ++i) {
      std::snprintf(line, sizeof line, "Smith,A%02d,J,%c,5 IL INF,PVT,CORP,entry %d,1,2,%d,U\n", i,
                    'A' + i % 5, i, i);
      csv += line;
    }
    csv += "Smyth,Abel,,K,9 PA INF,PVT,PVT,,7,8,9,U\nSmyth,Aaron,,K,9 PA INF,PVT,PVT,,7,8,10,U\n";
    data = BuildRoll(dir, "roll", csv);
  }

  RunResult Rollkit(std::vector<std::string> args) {
    args.push_back("--log-file");
    args.push_back(logFile);
    return RunRollkit(args);
  }

  // The log as rollkit left it.
  std::vector<LoggedSearch> Searches() {
    ResearchLog log;
    EXPECT_TRUE(log.Open(logFile, LogAccess::kRead)) << log.Problem().message;
    std::vector<LoggedSearch> searches;
    EXPECT_TRUE(log.Searches({}, &searches));
    return searches;
  }

  ScopedTempDir dir;
  std::string data;
  const std::string logFile = dir / "data/dravenholt/research.sqlite";
};

TEST_F(LogCommandTest, ASearchIsRecordedOnlyWhenAskedAndOneThatFoundNothingToo) {
  ASSERT_EQ(RunRollkit({"search", "--data", data, "smith"}).exitCode, 0);
  EXPECT_FALSE(FileExists(logFile));

  const RunResult found =
      Rollkit({"search", "--data", data, "--log", "--match", "soundex", "--side", "U", "Smith"});
  ASSERT_EQ(found.exitCode, 0) << found.err;
  EXPECT_EQ(Lines(found.out)[0], "27 records found.");
  const RunResult none = Rollkit({"search", "--data", data, "--log", "--given", "zed", "smith"});
  ASSERT_EQ(none.exitCode, 0) << none.err;

  const std::vector<LoggedSearch> searches = Searches();
  ASSERT_EQ(searches.size(), 2u);
  EXPECT_EQ(DescribeSearch(searches[0]), "Smith, sounds like (Soundex), Union");
  EXPECT_EQ(searches[0].count, 27);
  EXPECT_EQ(searches[0].program, "rollkit");
  EXPECT_EQ(DescribeSearch(searches[1]), "smith, given name zed, exact spelling");
  EXPECT_EQ(searches[1].count, 0);
  RollIdentity roll;
  ASSERT_TRUE(IdentifyRoll(data + "/mroll.tre", &roll));
  EXPECT_EQ(searches[1].roll.hash, roll.hash);
}

TEST_F(LogCommandTest, SaveKeepsTheEntryShowShowsAtThatPositionWithItsSlot) {
  DataLocation location;
  location.SetDirectories("", (data + "/").c_str());
  RollDatabase roll(location);
  ASSERT_EQ(roll.Open(1), 1);
  // One search of each kind: a surname's run of slots, a run narrowed by a given name, and a
  // result of several keys.
  const std::vector<std::vector<std::string>> searches = {
      {"smith", "13"}, {"--given", "a1", "smith", "4"}, {"--match", "soundex", "smith", "26"}};
  std::int64_t id = 0;
  for (const auto& search : searches) {
    std::vector<std::string> show = {"show", "--data", data};
    show.insert(show.end(), search.begin(), search.end());
    const RunResult shown = RunRollkit(show);
    ASSERT_EQ(shown.exitCode, 0) << shown.err;

    std::vector<std::string> save = {"log", "save", "--data", data};
    save.insert(save.end(), search.begin(), search.end());
    const RunResult saved = Rollkit(save);
    ASSERT_EQ(saved.exitCode, 0) << saved.err;
    ++id;
    EXPECT_EQ(saved.out.rfind("Saved as soldier " + std::to_string(id) + ": ", 0), 0u) << saved.out;
    EXPECT_EQ(Rollkit(save).out.rfind("Already saved as soldier " + std::to_string(id) + ": ", 0), 0u);

    ResearchLog log;
    ASSERT_TRUE(log.Open(logFile, LogAccess::kRead));
    SavedSoldier soldier;
    ASSERT_TRUE(log.FindSoldier(id, &soldier));
    // The detail text of the line kept is the one show printed.
    char detail[kDetailTextSize];
    ComposeDetailText(soldier.line.c_str(), 1, detail, sizeof detail);
    std::string text;
    for (const char* c = detail; *c; ++c) {
      if (*c != '\r') text.push_back(*c);
    }
    EXPECT_EQ(text + "\n", shown.out) << search.back();
    // And the slot is where the roll keeps him.
    roll.ReadSlot(static_cast<std::int32_t>(soldier.slot));
    EXPECT_EQ(std::string(roll.CurrentName()), soldier.nameText) << search.back();
    char line[kLineBufferSize];
    roll.ReadLine(roll.LineOffset(), line);
    EXPECT_EQ(std::string(line), soldier.line) << search.back();
    LoggedSearch by;
    bool found = false;
    ASSERT_TRUE(log.FindSearch(soldier.searchId, &by, &found));
    EXPECT_TRUE(found);
  }
  EXPECT_EQ(Rollkit({"log", "save", "--data", data, "smith", "25"}).err,
            RollkitLine("INDEX 25 is out of range: 25 results; nothing was saved"));
}

TEST_F(LogCommandTest, NotesAndStatusAreDatedListedAndExportedWhole) {
  ASSERT_EQ(Rollkit({"log", "save", "--data", data, "--note", "First sighting", "smith", "0"}).exitCode, 0);
  const RunResult noted = Rollkit({"log", "note", "1", "Pension ordered", "--status", "records-ordered"});
  ASSERT_EQ(noted.exitCode, 0) << noted.err;
  EXPECT_EQ(noted.out, "Soldier 1: A00 J. SMITH, 5 IL INF, company A (records ordered)\n");

  const RunResult listed = Rollkit({"log", "list", "--status", "records-ordered"});
  ASSERT_EQ(listed.exitCode, 0) << listed.err;
  EXPECT_EQ(Lines(listed.out),
            (std::vector<std::string>{"Saved soldiers: 1",
                                      "     1  records ordered  A00 J. SMITH, 5 IL INF, company A"}));

  const RunResult shown = Rollkit({"log", "show", "1"});
  ASSERT_EQ(shown.exitCode, 0) << shown.err;
  EXPECT_NE(shown.out.find("Notes:\n  First sighting\n\n  Pension ordered\n"), std::string::npos)
      << shown.out;
  EXPECT_NE(shown.out.find("  saved           to do\n"), std::string::npos) << shown.out;
  EXPECT_NE(shown.out.find("  status, notes   records ordered\n"), std::string::npos) << shown.out;

  const RunResult exported = Rollkit({"log", "export", "-o", dir / "log.md"});
  ASSERT_EQ(exported.exitCode, 0) << exported.err;
  EXPECT_NE(ReadFileBytes(dir / "log.md").find("### 1. A00 J. SMITH \xE2\x80\x94 records ordered"),
            std::string::npos);
  const RunResult gedcom = Rollkit({"log", "export", "--format", "gedcom"});
  EXPECT_NE(gedcom.out.find("1 NOTE Research status: records ordered"), std::string::npos) << gedcom.out;

  // The log is never its own export.
  const std::string before = ReadFileBytes(logFile);
  const RunResult over = Rollkit({"log", "export", "--format", "csv", "-o", logFile});
  EXPECT_EQ(over.exitCode, 1);
  EXPECT_EQ(over.err,
            RollkitLine(logFile + ": is a file of the research log being exported; nothing was written"));
  EXPECT_EQ(ReadFileBytes(logFile), before);

  EXPECT_EQ(Rollkit({"log", "note", "7", "x"}).err,
            RollkitLine(logFile + ": no saved soldier 7; nothing was changed"));
  const RunResult usage = Rollkit({"log", "note", "1", "--status", "maybe"});
  EXPECT_EQ(usage.exitCode, 2);
  EXPECT_EQ(Lines(usage.err)[0],
            "rollkit: --status: maybe is not one of to-do, found, not-this-man, records-ordered, done");
  EXPECT_NE(Lines(usage.err)[1].find("rollkit log note"), std::string::npos) << usage.err;
}

TEST_F(LogCommandTest, TextFromTheLogNeverReachesTheTerminalRaw) {
  {
    ResearchLog log;
    ASSERT_TRUE(log.Open(logFile, LogAccess::kWrite)) << log.Problem().message;
    LoggedSearch search;
    search.surname =
        "SMITH\x1B]0;owned\x07\xC2\x9B"
        "2J";
    search.roll.label = "\x1B[31mRED";
    ASSERT_TRUE(log.RecordSearch(&search));
  }
  const RunResult listed = Rollkit({"log", "list"});
  ASSERT_EQ(listed.exitCode, 0) << listed.err;
  EXPECT_EQ(listed.out.find('\x1B'), std::string::npos) << listed.out;
  EXPECT_EQ(listed.out.find("\xC2\x9B"), std::string::npos) << listed.out;
  EXPECT_NE(listed.out.find("SMITH ]0;owned  2J"), std::string::npos) << listed.out;
}

TEST_F(LogCommandTest, ALogThatCannotBeUsedNeverStopsTheSearch) {
  ASSERT_TRUE(MakeDirectory(dir / "data"));
  ASSERT_TRUE(MakeDirectory(dir / "data/dravenholt"));
  ASSERT_TRUE(MakeDirectory(logFile));
  const RunResult r = Rollkit({"search", "--data", data, "--log", "smyth"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(Lines(r.out)[0], "2 records found.");
  EXPECT_EQ(r.err,
            RollkitLine(logFile + ": a directory, not a research log; it is left as it is; this search was "
                                  "not recorded"));
  EXPECT_EQ(Rollkit({"log", "list"}).err,
            RollkitLine(logFile + ": a directory, not a research log; it is left as it is"));
}

}  // namespace
