// search and show against small rolls: paging in range and filtered mode with 10 and 8 rows, the
// code-page handling of --raw, JSON, and the data directory left untouched.
#include <nlohmann/json.hpp>

#include <cstdio>

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "support/rollkit_runner.h"
#include "support/environment.h"

namespace {

class SearchShowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string csv = kRollHeader;
    char line[200];
    // Input order differs from listing order: listing is by upper-cased name text.
    for (int i = 24; i >= 0; --i) {
      std::snprintf(line, sizeof line, "Smith,A%02d,J,CO A,5 IL INF,PVT,CORP,entry %d,1,2,3,U\n", i, i);
      csv += line;
    }
    for (const char* name : {"John", "Jon", "JOHNSTON", "Mary", "john", "J. W."}) {
      csv += std::string("Brown,") + name + ", ,B,2 VA CAV,PVT,PVT, ,4,5,6,C\n";
    }
    csv += "Müller,José,,C,9 PA INF,SERG,SERG,Café,7,8,9,U\n";
    data = BuildRoll(dir, "roll", csv);
  }

  RunResult Search(std::vector<std::string> args) {
    args.insert(args.begin(), {"search", "--data", data});
    return RunRollkit(args);
  }

  ScopedTempDir dir;
  std::string data;
};

TEST_F(SearchShowTest, RangeSearchListsEveryPageInOrderWithTenOrEightRows) {
  for (const char* rows : {"10", "8"}) {
    const RunResult r = Search({"--rows", rows, "smith"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 26u) << rows;
    EXPECT_EQ(lines[0], "25 records found.");
    EXPECT_EQ(lines[1], "SMITH\tA00\tJ, CO A, 5 IL INF, PVT, ...") << rows;
    EXPECT_EQ(lines[25].substr(0, 10), "SMITH\tA24\t") << rows;
  }
  const RunResult missing = Search({"Jones"});
  EXPECT_EQ(missing.exitCode, 0);
  EXPECT_EQ(missing.out, "0 records found.\n");
}

TEST_F(SearchShowTest, GivenNameFiltersByPrefixOfLeadingLetters) {
  for (const char* rows : {"10", "8"}) {
    const RunResult r = Search({"--rows", rows, "--given", "john", "BROWN"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Lines(r.out), (std::vector<std::string>{"3 records found.", "BROWN\tJohn\tB, 2 VA CAV, PVT, PVT, ...",
                                                      "BROWN\tjohn\tB, 2 VA CAV, PVT, PVT, ...",
                                                      "BROWN\tJOHNSTON\tB, 2 VA CAV, PVT, PVT, ..."}));
  }
  // A given name that starts with no letter compares one character.
  EXPECT_EQ(Lines(Search({"--given", "J.", "Brown"}).out).front(), "5 records found.");
  // Every Smith name begins with A: all 25 come through the filter buffer's pages of 8.
  const RunResult many = Search({"--rows", "8", "--given", "A", "Smith"});
  EXPECT_EQ(Lines(many.out).size(), 26u);
}

TEST_F(SearchShowTest, TextIsUtf8UnlessRaw) {
  const RunResult utf8 = Search({"Müller"});
  ASSERT_EQ(utf8.exitCode, 0) << utf8.err;
  EXPECT_EQ(Lines(utf8.out).at(1), "MüLLER\tJosé\tC, 9 PA INF, SERG, SERG, ...");
  const RunResult raw = Search({"--raw", "Müller"});
  EXPECT_EQ(Lines(raw.out).at(1), "M\xFCLLER\tJos\xE9\tC, 9 PA INF, SERG, SERG, ...");

  const RunResult json = Search({"--json", "--given", "jos", "müller"});
  ASSERT_EQ(json.exitCode, 0) << json.err;
  const auto doc = nlohmann::json::parse(json.out);
  EXPECT_EQ(doc["count"], 1);
  ASSERT_EQ(doc["rows"].size(), 1u);
  EXPECT_EQ(doc["rows"][0]["surname"], "MüLLER");
  EXPECT_EQ(doc["rows"][0]["name"], "José");
  EXPECT_EQ(doc["rows"][0]["fields"],
            nlohmann::json({"", "C", "9 PA INF", "SERG", "SERG", "Café", "7", "8", "9", "U"}));
  const auto all = nlohmann::json::parse(Search({"--json", "smith"}).out);
  EXPECT_EQ(all["rows"].size(), 25u);
  EXPECT_EQ(nlohmann::json::parse(Search({"--json", "nobody"}).out), nlohmann::json::parse(R"({"count":0,"rows":[]})"));
}

TEST_F(SearchShowTest, ShowPrintsTheDetailTextOfOneResultAcrossPages) {
  const RunResult raw = RunRollkit({"show", "--data", data, "--raw", "smith", "12"});
  ASSERT_EQ(raw.exitCode, 0) << raw.err;
  EXPECT_EQ(raw.out.substr(0, 34), "Middle Initial: \r\nJ\r\n\r\nCompany: \r\n");
  EXPECT_NE(raw.out.find("Misc: \r\nentry 12\r\n"), std::string::npos);
  EXPECT_EQ(raw.out.substr(raw.out.size() - 3), "\r\nU") << "nothing appended in raw mode";

  std::string expected;
  for (char c : raw.out) {
    if (c != '\r') expected += c;
  }
  for (const char* rows : {"10", "8"}) {
    const RunResult text = RunRollkit({"show", "--data", data, "--rows", rows, "smith", "12"});
    EXPECT_EQ(text.out, expected + "\n") << rows;
  }
  // Filtered: the third match of "john".
  EXPECT_NE(RunRollkit({"show", "--data", data, "--given", "john", "brown", "2"}).out.find("2 VA CAV"),
            std::string::npos);
  EXPECT_NE(RunRollkit({"show", "--data", data, "Müller", "0"}).out.find("Café"), std::string::npos);

  const RunResult outside = RunRollkit({"show", "--data", data, "smith", "25"});
  EXPECT_EQ(outside.exitCode, 1);
  EXPECT_EQ(outside.err, RollkitLine("INDEX 25 is out of range: 25 results"));
}

TEST_F(SearchShowTest, DataDirectoryIsNeverChangedAndScratchIsRemoved) {
  ScopedTempDir tmp;
  const auto before = ListDir(data);
  const RunResult r = RunRollkit({"search", "--data", data, "--given", "j", "brown"}, {{kTempDirectoryVariable, tmp.Path()}});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(ListDir(data), before);
  EXPECT_TRUE(ListDir(tmp.Path()).empty()) << "the private family directory outlives the run";

  // Without --data the directory comes from brevik.ini.
  WriteFileBytes(tmp / "brevik.ini", "[kinloom7m]\nMRPath = " + data + "\n");
  const RunResult configured = RunRollkit({"search", "smith"}, {{"BREVIK_INI", tmp / "brevik.ini"}});
  EXPECT_EQ(Lines(configured.out).front(), "25 records found.") << configured.err;
  WriteFileBytes(tmp / "brevik.ini", "[Kinloom7m]\nKinloomDir=/x\n");
  const RunResult unset = RunRollkit(
      {"search", "smith"}, {{"BREVIK_INI", tmp / "brevik.ini"}, {"DRAVENHOLT_MEDIA_ROOT", tmp / "none"}, {kUserNameVariable, "anna"}});
  EXPECT_EQ(unset.exitCode, 1);
  EXPECT_EQ(unset.err, RollkitLine("no data directory: pass --data DIR or set MRPath in section Kinloom7m of " +
                                   tmp / "brevik.ini" + "; no roll on mounted media (looked in " + tmp / "none/run/media/anna, " +
                                   tmp / "none/media/anna, " + tmp / "none/media, " + tmp / "none/mnt)"));
}

TEST_F(SearchShowTest, MissingOrMalformedFilesAreReportedWithoutTouchingTheDirectory) {
  struct Case {
    const char* file;
    std::string damage;  // "remove", or the bytes the file is replaced with
    const char* message;
  };
  const Case cases[] = {
      {"mrdb.id", "remove", "mrdb.id: missing"},
      {"mroll.tre", "remove", "mroll.tre: missing"},
      {"mroll.ext", "remove", "mroll.ext: missing"},
      {"mroll.tre", std::string(8, '\xFF') + '\0', "mroll.tre: not an index file (its last byte is not 04)"},
      {"mroll.cor", std::string("\0\x01\0\0", 4), "mroll.cor: name length 256 in its trailer is outside 0..255"},
      {"mroll.cor", std::string("\x01\0\0", 3), "mroll.cor: too short for its trailer"},
  };
  for (const Case& c : cases) {
    ScopedTempDir copy;
    for (const auto& name : ListDir(data)) WriteFileBytes(copy / name, ReadFileBytes(data + "/" + name));
    if (c.damage == "remove") {
      std::remove((copy / c.file).c_str());
    } else {
      WriteFileBytes(copy / c.file, c.damage);
    }
    const auto before = ListDir(copy.Path());
    const RunResult r = RunRollkit({"search", "--data", copy.Path(), "smith"});
    EXPECT_EQ(r.exitCode, 1) << c.message;
    EXPECT_EQ(r.err, RollkitLine(copy.Path() + kPathSeparator + c.message));
    EXPECT_EQ(ListDir(copy.Path()), before) << c.message;
  }
}

}  // namespace
