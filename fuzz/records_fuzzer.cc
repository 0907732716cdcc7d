// What leaves the program about an entry, from any roll bytes: the entry built from a surname, a
// name text and a line, then every output made of it. Each output must keep its format whatever
// the bytes: the CSV row reads back (libcsv) to the entry's values with no cell a spreadsheet would
// run, the JSON object parses (nlohmann-json) to them, and every GEDCOM line fits the standard's
// length and ends in its CR LF.
//
// Input parts (fuzz_support.h): surname, name text, line.
#include <csv.h>

#include <charconv>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "records/citation.h"
#include "records/csv_text.h"
#include "records/export_rows.h"
#include "records/gedcom_writer.h"
#include "records/pull_list.h"
#include "records/unit_names.h"
#include "store/roll_format.h"

namespace {

// Code points below 0x20, DEL and the C1 controls.
bool HasControl(const std::string& utf8) {
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    if (b < 0x20 || b == 0x7F) return true;
    if (b == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) < 0xA0) return true;
  }
  return false;
}

std::vector<std::string> ReadCsvRecord(const std::string& text) {
  struct Reader {
    std::vector<std::string> fields;
    int records = 0;
  } reader;
  csv_parser parser;
  FUZZ_CHECK(csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI) == 0);
  auto onField = [](void* data, std::size_t size, void* self) {
    static_cast<Reader*>(self)->fields.emplace_back(static_cast<const char*>(data), size);
  };
  auto onRecord = [](int, void* self) { ++static_cast<Reader*>(self)->records; };
  FUZZ_CHECK(csv_parse(&parser, text.data(), text.size(), onField, onRecord, &reader) == text.size());
  FUZZ_CHECK(csv_fini(&parser, onField, onRecord, &reader) == 0);
  csv_free(&parser);
  FUZZ_CHECK(reader.records == 1);
  return reader.fields;
}

// A cell a spreadsheet would run: one that starts with a formula's first character, unless it is
// a plain negative number ("-77.5219"), which a spreadsheet reads as the number it is.
bool RunsAsFormula(const std::string& cell) {
  if (cell.empty() || std::string_view("=+-@\t\r").find(cell[0]) == std::string_view::npos) return false;
  if (cell[0] != '-') return true;
  double number = 0;
  const auto [end, error] = std::from_chars(cell.data(), cell.data() + cell.size(), number);
  return error != std::errc() || end != cell.data() + cell.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string_view> parts = fuzz::SplitParts(data, size, 3);
  const SoldierEntry entry = EntryFromRoll(parts[0], parts[1], SplitFields(parts[2]));
  FUZZ_CHECK(!HasControl(entry.surname) && !HasControl(entry.givenName));
  for (const std::string& field : entry.fields) FUZZ_CHECK(!HasControl(field));

  // Read back, every cell is the value, after the apostrophe that keeps a formula from running.
  const auto values = ExportValues(entry);
  const std::vector<std::string> cells = ReadCsvRecord(CsvRow(entry));
  FUZZ_CHECK(cells.size() == values.size());
  for (std::size_t i = 0; i < cells.size(); ++i) {
    FUZZ_CHECK(!RunsAsFormula(cells[i]));
    FUZZ_CHECK(UnguardedCsvCell(cells[i]) == values[i]);
  }
  const nlohmann::json object = nlohmann::json::parse(JsonObject(entry));
  for (int i = 0; i < kExportColumnCount; ++i) {
    FUZZ_CHECK(object.at(ExportColumns()[i]).get<std::string>() == values[i]);
  }

  const SoldierEntry entries[] = {entry, entry};
  const std::string gedcom = WriteGedcom(entries, {});
  std::size_t start = 0;
  while (start < gedcom.size()) {
    const std::size_t end = gedcom.find("\r\n", start);
    FUZZ_CHECK(end != std::string::npos);
    FUZZ_CHECK(end + 2 - start <= kGedcomMaxLine);
    FUZZ_CHECK(gedcom.substr(start, end - start).find_first_of("\r\n") == std::string::npos);
    start = end + 2;
  }

  PullList list;
  list.Add(entry);
  list.Add(entry);
  FUZZ_CHECK(list.EntriesWithReference() + list.EntriesWithoutReference() == 2);
  FUZZ_CHECK(!list.Text().empty() && !list.Csv().empty());
  FUZZ_CHECK(!EvidenceCitation(entry).empty() && !PlainCitation(entry).empty());
  (void)UnitInPlainWords(entry.Field(kUnitField), entry.Field(kSideField));
  return 0;
}
