// What a search's entries become for other programs: search --format csv and json (every row, not
// one page), pull-list, and show as GEDCOM, citations and several details at once.
#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include "csv_reader.h"
#include "gedcom_lines.h"
#include "records/gedcom_writer.h"
#include "support/rollkit_runner.h"

namespace {

using Records = CsvRecords;

class ExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string csv = kRollHeader;
    // More than a page of Smiths, so that an export must go past the first page.
    for (int i = 0; i < 23; ++i) {
      csv += "Smith,A" + std::to_string(10 + i) + ",,B,4 VA CAV,PVT,PVT,,12," + std::to_string(30 + i % 3) + ",1,C\n";
    }
    csv += "Smith,John,A,A,18 ME INF,PVT,CORP,\"Wounded, \"\"badly\"\"\",12,34,100,U\n";
    csv += "Smyth,Paul,,A,99 ZZ INF,SERG,SERG,,,,,U\n";
    csv += "M\xC3\xBCller,Jos\xC3\xA9,,F,9 PA INF,PVT,PVT,Caf\xC3\xA9,7,8,9,U\n";
    data = BuildRoll(dir, "roll", csv);
  }

  RunResult Run(const std::string& command, std::vector<std::string> args,
                const std::map<std::string, std::string>& environment = {}) {
    args.insert(args.begin(), {command, "--data", data});
    return RunRollkit(args, environment);
  }

  ScopedTempDir dir;
  std::string data;
};

TEST_F(ExportTest, CsvHoldsEveryRowOfTheResultWithTheUnitDecoded) {
  const RunResult r = Run("search", {"--format", "csv", "--match", "soundex", "smith"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const Records records = ReadCsv(r.out);
  ASSERT_EQ(records.size(), 26u);
  EXPECT_EQ(records[0], (std::vector<std::string>{"surname", "given_name", "middle_initial", "company", "unit",
                                                  "unit_name", "rank_in", "rank_out", "remarks", "microfilm_box",
                                                  "microfilm_roll", "microfilm_record", "side", "side_name"}));
  EXPECT_EQ(records[24], (std::vector<std::string>{"SMITH", "John", "A", "A", "18 ME INF", "18th Maine Infantry", "PVT",
                                                   "CORP", "Wounded, \"badly\"", "12", "34", "100", "U", "Union"}));
  // A unit the list does not know is not guessed.
  EXPECT_EQ(records[25][4], "99 ZZ INF");
  EXPECT_EQ(records[25][5], "");

  // Row for row the same entries as the search's own JSON: names and every field.
  const auto json = nlohmann::json::parse(Run("search", {"--json", "--match", "soundex", "smith"}).out);
  ASSERT_EQ(json["rows"].size(), records.size() - 1);
  for (std::size_t i = 1; i < records.size(); ++i) {
    const auto& row = json["rows"][i - 1];
    const auto& record = records[i];
    EXPECT_EQ(record[0], row["surname"]) << i;
    EXPECT_EQ(record[1], row["name"]) << i;
    const std::vector<std::string> fields = {record[2], record[3], record[4],  record[6],  record[7],
                                             record[8], record[9], record[10], record[11], record[12]};
    EXPECT_EQ(nlohmann::json(fields), row["fields"]) << i;
  }
  EXPECT_EQ(Run("search", {"--format", "csv", "nobody"}).out,
            "surname,given_name,middle_initial,company,unit,unit_name,"
                                                                 "rank_in,rank_out,remarks,microfilm_box,microfilm_roll,"
                                                                 "microfilm_record,side,side_name\r\n");
}

TEST_F(ExportTest, JsonFormatIsAnArrayOfOneObjectALine) {
  const RunResult r = Run("search", {"--format", "json", "--given", "jos", "m\xC3\xBCller"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "[\n{\"surname\":\"M\xC3\xBCLLER\",\"given_name\":\"Jos\xC3\xA9\",\"middle_initial\":\"\",\"company\":\"F\","
            "\"unit\":\"9 PA INF\",\"unit_name\":\"9th Pennsylvania Infantry\",\"rank_in\":\"PVT\",\"rank_out\":\"PVT\","
            "\"remarks\":\"Caf\xC3\xA9\",\"microfilm_box\":\"7\",\"microfilm_roll\":\"8\",\"microfilm_record\":\"9\","
            "\"side\":\"U\",\"side_name\":\"Union\"}\n]\n");
  const auto all = nlohmann::json::parse(Run("search", {"--format", "json", "--rows", "8", "smith"}).out);
  EXPECT_EQ(all.size(), 24u);
  EXPECT_EQ(Run("search", {"--format", "json", "nobody"}).out, "[]\n");
}

TEST_F(ExportTest, PullListCountsTheRollsOfEveryEntry) {
  const RunResult text = Run("pull-list", {"S*"});
  ASSERT_EQ(text.exitCode, 0) << text.err;
  EXPECT_EQ(text.out,
            "National Archives microfilm to request: 4 rolls for 24 entries.\n"
            "Box 12, roll 30: 8 entries\nBox 12, roll 31: 8 entries\nBox 12, roll 32: 7 entries\n"
            "Box 12, roll 34: 1 entry\n1 entry has no microfilm reference.\n");
  EXPECT_EQ(Run("pull-list", {"--format", "csv", "--side", "U", "*"}).out,
            "microfilm_box,microfilm_roll,entries\r\n7,8,1\r\n12,34,1\r\n");
  EXPECT_EQ(Run("pull-list", {"--format", "json", "smith"}).exitCode, 2);
}

TEST_F(ExportTest, ShowWritesGedcomOfTheChosenEntriesInTheOrderGiven) {
  const RunResult r = Run("show", {"--format", "gedcom", "smith", "23", "0-1"}, {{"SOURCE_DATE_EPOCH", "1765000000"}});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::vector<GedcomLine> lines = ParseGedcom(r.out);
  ExpectWellFormedGedcom(lines);
  // The very file the writer gives for those entries, which the Gramps import test checks.
  GedcomOptions options;
  options.date = "6 DEC 2025";
  const std::vector<SoldierEntry> entries = {
      EntryFromRoll("SMITH", "John", {"A", "A", "18 ME INF", "PVT", "CORP", "Wounded, \"badly\"", "12", "34", "100", "U"}),
      EntryFromRoll("SMITH", "A10", {"", "B", "4 VA CAV", "PVT", "PVT", "", "12", "30", "1", "C"}),
      EntryFromRoll("SMITH", "A11", {"", "B", "4 VA CAV", "PVT", "PVT", "", "12", "31", "1", "C"}),
  };
  EXPECT_EQ(r.out, WriteGedcom(entries, options));

  // Accents reach the file as UTF-8.
  const RunResult accents = Run("show", {"--format", "gedcom", "m\xC3\xBCller", "0"});
  const auto accented = ParseGedcom(accents.out);
  EXPECT_EQ(accented[FindGedcomTag(accented, "NAME", FindGedcomTag(accented, "INDI"))].value,
            "Jos\xC3\xA9 /M\xC3\xBCLLER/");
}

TEST_F(ExportTest, ShowWritesCitationsAndSeveralDetails) {
  EXPECT_EQ(Run("show", {"--format", "citation", "smith", "23"}).out,
            "John A. SMITH, Company A, 18th Maine Infantry (Union), rank in PVT, rank out CORP. Source: Kinloom Disk 3, "
            "Civil War muster-roll database (CD-ROM), searched with Dravenholt. National Archives microfilm: box 12, "
            "roll 34, record 100.\n");
  EXPECT_EQ(Run("show", {"--format", "evidence", "smyth", "0"}).out,
            "Kinloom Disk 3, Civil War muster-roll database (CD-ROM), searched with Dravenholt, entry for Paul SMYTH, "
            "Co. A, 99 ZZ INF (Union), rank in SERG, rank out SERG.\n");

  const std::string first = Run("show", {"smith", "0"}).out;
  const std::string second = Run("show", {"smith", "1"}).out;
  EXPECT_EQ(Run("show", {"smith", "0-1"}).out, first + "\n" + second);
  const std::string rawFirst = Run("show", {"--raw", "smith", "0"}).out;
  EXPECT_EQ(Run("show", {"--raw", "smith", "0", "0"}).out, rawFirst + "\r\n\r\n" + rawFirst);
  // Found through a filter, counted within it.
  EXPECT_EQ(Run("show", {"--side", "U", "--format", "citation", "s*", "1"}).out.substr(0, 10), "Paul SMYTH");

  const RunResult range = Run("show", {"smith", "3-1"});
  EXPECT_EQ(range.exitCode, 2);
  EXPECT_EQ(Lines(range.err).front(), "rollkit: INDEX: 3-1 is a range that ends before it starts");
  EXPECT_EQ(Lines(Run("show", {"smith", "0-10000"}).err).front(), "rollkit: INDEX: more than 10000 results at once");
  const RunResult outside = Run("show", {"--format", "gedcom", "smith", "0", "24"});
  EXPECT_EQ(outside.exitCode, 1);
  EXPECT_EQ(outside.err, RollkitLine("INDEX 24 is out of range: 24 results"));
  EXPECT_EQ(outside.out, "");
  EXPECT_EQ(Run("show", {"--raw", "--format", "gedcom", "smith", "0"}).exitCode, 2);
}

}  // namespace
