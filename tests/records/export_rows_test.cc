#include "records/export_rows.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "csv_reader.h"
#include "records/csv_text.h"

namespace {

std::vector<std::string> Values(const SoldierEntry& entry) {
  const auto values = ExportValues(entry);
  return {values.begin(), values.end()};
}

// Entries whose texts test the quoting: commas, quotes, apostrophes, accents, blanks.
std::vector<SoldierEntry> AwkwardEntries() {
  return {
      EntryFromRoll("O'BRIEN", "Wm", {"", "L", "28 BTRY NY LT ART", "PVT", "PVT", "", "260", "77", "67", "U"}),
      EntryFromRoll("D\xC9JEAN", "Jos\xE9 \"Joe\"", {"A", "F&S", "18 ME INF", "CAPT", "MAJ",
                                                     "Wounded, Gettysburg; \"mustered out\"", "1", "2", "3", "U"}),
      EntryFromRoll("SMITH", "John", {" ", " ", "MCCULLOCH'S RANGERS", "", "", "  ", " ", " ", " ", "C"}),
      EntryFromRoll("NGUYEN", "", {}),
  };
}

}  // namespace

TEST(ExportRows, CsvReadBackByACsvReaderEqualsTheEntries) {
  std::string csv = CsvHeader();
  for (const SoldierEntry& entry : AwkwardEntries()) csv += CsvRow(entry);
  const CsvRecords records = ReadCsv(csv);
  ASSERT_EQ(records.size(), 5u);
  const auto& columns = ExportColumns();
  EXPECT_EQ(records[0], std::vector<std::string>(columns.begin(), columns.end()));
  const auto entries = AwkwardEntries();
  for (std::size_t i = 0; i < entries.size(); ++i) EXPECT_EQ(records[i + 1], Values(entries[i])) << i;
}

TEST(ExportRows, CsvFieldsSurviveWhateverTheyHold) {
  // Texts a caller may hand over directly, line breaks and outer blanks included.
  const std::vector<std::string> fields = {"", " lead", "trail ", "a,b", "\"", "two\r\nlines", "x\ny",
                                           "caf\u00E9", "\"\"quoted\"\""};
  std::string csv;
  AppendCsvRecord(fields, &csv);
  AppendCsvRecord(fields, &csv);
  EXPECT_EQ(ReadCsv(csv), (CsvRecords{fields, fields}));
}

TEST(ExportRows, CsvTextIsRfc4180) {
  EXPECT_EQ(CsvHeader(),
            "surname,given_name,middle_initial,company,unit,unit_name,rank_in,rank_out,remarks,"
            "microfilm_box,microfilm_roll,microfilm_record,side,side_name\r\n");
  EXPECT_EQ(CsvRow(AwkwardEntries()[1]),
            "D\u00C9JEAN,\"Jos\u00E9 \"\"Joe\"\"\",A,F&S,18 ME INF,18th Maine Infantry,CAPT,MAJ,"
            "\"Wounded, Gettysburg; \"\"mustered out\"\"\",1,2,3,U,Union\r\n");
}

// What the viewer's Export Results and rollkit's CSV write: a cell a spreadsheet would run as a
// formula comes after an apostrophe, every other cell as it is.
TEST(ExportRows, NoCsvCellStartsAFormula) {
  const SoldierEntry entry =
      EntryFromRoll("=CMD|' /C calc'!A0", "+Ann",
                    {"-", "@A", "5 IL INF", "PVT", "PVT", "=HYPERLINK(\"http://x\")", "'=1", "", "7", "U"});
  const CsvRecords records = ReadCsv(CsvRow(entry));
  ASSERT_EQ(records.size(), 1u);
  const std::vector<std::string> values = Values(entry);
  ASSERT_EQ(records[0].size(), values.size());
  for (std::size_t i = 0; i < values.size(); ++i) EXPECT_EQ(records[0][i], GuardedCsvCell(values[i])) << i;
  EXPECT_EQ(records[0][0], "'=CMD|' /C calc'!A0");
  EXPECT_EQ(records[0][1], "'+Ann");
  EXPECT_EQ(records[0][2], "'-");
  EXPECT_EQ(records[0][8], "'=HYPERLINK(\"http://x\")");
  EXPECT_EQ(records[0][9], "''=1");
  EXPECT_EQ(records[0][4], "5 IL INF");
  // A negative number (a battle's longitude) is a number to a spreadsheet; one that goes on
  // into an expression is not.
  EXPECT_EQ(GuardedCsvCell("-77.5219"), "-77.5219");
  EXPECT_EQ(GuardedCsvCell("-2+3"), "'-2+3");
  EXPECT_EQ(GuardedCsvCell("-1."), "'-1.");
}

TEST(ExportRows, JsonParsedBackEqualsTheEntries) {
  for (const SoldierEntry& entry : AwkwardEntries()) {
    const std::string text = JsonObject(entry);
    EXPECT_EQ(text.find('\n'), std::string::npos);
    const nlohmann::json object = nlohmann::json::parse(text);
    ASSERT_TRUE(object.is_object());
    ASSERT_EQ(object.size(), static_cast<std::size_t>(kExportColumnCount));
    const auto values = ExportValues(entry);
    for (int c = 0; c < kExportColumnCount; ++c) {
      EXPECT_EQ(object.at(ExportColumns()[c]).get<std::string>(), values[c]) << ExportColumns()[c];
    }
  }
  EXPECT_EQ(JsonObject(AwkwardEntries()[0]),
            "{\"surname\":\"O'BRIEN\",\"given_name\":\"Wm\",\"middle_initial\":\"\",\"company\":\"L\","
            "\"unit\":\"28 BTRY NY LT ART\",\"unit_name\":\"28th Battery, New York Light Artillery\","
            "\"rank_in\":\"PVT\",\"rank_out\":\"PVT\",\"remarks\":\"\",\"microfilm_box\":\"260\","
            "\"microfilm_roll\":\"77\",\"microfilm_record\":\"67\",\"side\":\"U\",\"side_name\":\"Union\"}");
}

TEST(ExportRows, JsonStringsEscapeWhatJsonForbids) {
  std::string text = "quote\" back\\ tab\t nl\n cr\r nul";
  text += '\0';
  text += "\x01\x1f\x7f \u00E9";
  std::string json;
  AppendJsonString(text, &json);
  EXPECT_EQ(json, "\"quote\\\" back\\\\ tab\\t nl\\n cr\\r nul\\u0000\\u0001\\u001f\\u007f \u00E9\"");
  EXPECT_EQ(nlohmann::json::parse(json).get<std::string>(), text);
}
