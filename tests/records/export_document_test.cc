// Whole export documents: read back by a CSV reader and a JSON parser, they hold the entries.
#include "records/export_document.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "csv_reader.h"
#include "records/export_rows.h"

namespace {

std::string Document(ExportFormat format, const std::vector<SoldierEntry>& entries) {
  ExportDocument document(format);
  std::string text = document.Begin();
  for (const SoldierEntry& entry : entries) text += document.Entry(entry);
  return text + document.End();
}

std::vector<SoldierEntry> Entries() {
  return {EntryFromRoll("KELLY", "Patrick",
                        {"G", "G", "25 BTRY OH LT ART", "CORP", "SERG", "", "12", "34", "5678", "U"}),
          EntryFromRoll("O'BRIEN", "Jos\xE9",
                        {"", "A, B", "18 ME INF", "PVT", "PVT", "said \"no\"", "1", "2", "3", "U"}),
          EntryFromRoll("SMITH", "", {})};
}

}  // namespace

TEST(ExportDocument, CsvIsTheHeaderAndOneRecordPerEntry) {
  const CsvRecords records = ReadCsv(Document(ExportFormat::kCsv, Entries()));
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(records[0], std::vector<std::string>(ExportColumns().begin(), ExportColumns().end()));
  for (std::size_t i = 0; i < Entries().size(); ++i) {
    const auto values = ExportValues(Entries()[i]);
    EXPECT_EQ(records[i + 1], std::vector<std::string>(values.begin(), values.end())) << i;
  }
  EXPECT_EQ(Document(ExportFormat::kCsv, {}), CsvHeader());
}

TEST(ExportDocument, JsonIsAnArrayOfOneObjectPerLine) {
  const std::string text = Document(ExportFormat::kJson, Entries());
  const nlohmann::json array = nlohmann::json::parse(text);
  ASSERT_TRUE(array.is_array());
  ASSERT_EQ(array.size(), 3u);
  EXPECT_EQ(array[1].at("company"), "A, B");
  EXPECT_EQ(array[1].at("given_name"), "Jos\u00E9");
  EXPECT_EQ(array[0].at("unit_name"), "25th Battery, Ohio Light Artillery");
  EXPECT_EQ(text, "[\n" + JsonObject(Entries()[0]) + ",\n" + JsonObject(Entries()[1]) + ",\n" +
                      JsonObject(Entries()[2]) + "\n]\n");
  EXPECT_EQ(Document(ExportFormat::kJson, {}), "[\n]\n");
  EXPECT_TRUE(nlohmann::json::parse(Document(ExportFormat::kJson, {})).empty());
}

TEST(ExportDocument, FormatsByName) {
  ExportFormat format = ExportFormat::kCsv;
  EXPECT_TRUE(ExportFormatNamed("JSON", &format));
  EXPECT_EQ(format, ExportFormat::kJson);
  EXPECT_TRUE(ExportFormatNamed("csv", &format));
  EXPECT_EQ(format, ExportFormat::kCsv);
  EXPECT_FALSE(ExportFormatNamed("xml", &format));
  EXPECT_FALSE(ExportFormatNamed("", &format));
  EXPECT_EQ(format, ExportFormat::kCsv);
}
