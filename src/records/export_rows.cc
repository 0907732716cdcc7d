#include "records/export_rows.h"

#include <cstdio>

#include "records/csv_text.h"
#include "records/unit_names.h"

namespace {

struct Column {
  const char* name;
  std::string (*value)(const SoldierEntry& entry);
};

template <EntryField field>
std::string FieldValue(const SoldierEntry& entry) {
  return entry.Field(field);
}

std::string UnitName(const SoldierEntry& entry) {
  return std::string(DecodeUnit(entry.Field(kUnitField), SideOfField(entry.Field(kSideField))).name);
}

// The one list of columns that both formats follow.
const Column kColumns[kExportColumnCount] = {
    {"surname", [](const SoldierEntry& e) { return e.surname; }},
    {"given_name", [](const SoldierEntry& e) { return e.givenName; }},
    {"middle_initial", FieldValue<kMiddleInitialField>},
    {"company", FieldValue<kCompanyField>},
    {"unit", FieldValue<kUnitField>},
    {"unit_name", UnitName},
    {"rank_in", FieldValue<kRankInField>},
    {"rank_out", FieldValue<kRankOutField>},
    {"remarks", FieldValue<kRemarksField>},
    {"microfilm_box", FieldValue<kMicrofilmBoxField>},
    {"microfilm_roll", FieldValue<kMicrofilmRollField>},
    {"microfilm_record", FieldValue<kMicrofilmRecordField>},
    {"side", FieldValue<kSideField>},
    {"side_name", [](const SoldierEntry& e) { return std::string(SideName(SideOfField(e.Field(kSideField)))); }},
};

}  // namespace

const std::array<const char*, kExportColumnCount>& ExportColumns() {
  static const std::array<const char*, kExportColumnCount> names = [] {
    std::array<const char*, kExportColumnCount> n{};
    for (int i = 0; i < kExportColumnCount; ++i) n[i] = kColumns[i].name;
    return n;
  }();
  return names;
}

std::array<std::string, kExportColumnCount> ExportValues(const SoldierEntry& entry) {
  std::array<std::string, kExportColumnCount> values;
  for (int i = 0; i < kExportColumnCount; ++i) values[i] = kColumns[i].value(entry);
  return values;
}

std::string CsvHeader() {
  std::string out;
  AppendCsvRecord(ExportColumns(), &out);
  return out;
}

std::string CsvRow(const SoldierEntry& entry) {
  std::string out;
  AppendCsvRecord(ExportValues(entry), &out);
  return out;
}

void AppendJsonString(std::string_view text, std::string* out) {
  out->push_back('"');
  for (char c : text) {
    switch (c) {
      case '"': out->append("\\\""); break;
      case '\\': out->append("\\\\"); break;
      case '\b': out->append("\\b"); break;
      case '\f': out->append("\\f"); break;
      case '\n': out->append("\\n"); break;
      case '\r': out->append("\\r"); break;
      case '\t': out->append("\\t"); break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
          char escape[8];
          std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
          out->append(escape);
        } else {
          out->push_back(c);
        }
    }
  }
  out->push_back('"');
}

std::string JsonObject(const SoldierEntry& entry) {
  const std::array<std::string, kExportColumnCount> values = ExportValues(entry);
  std::string out = "{";
  for (int i = 0; i < kExportColumnCount; ++i) {
    if (i > 0) out.push_back(',');
    AppendJsonString(kColumns[i].name, &out);
    out.push_back(':');
    AppendJsonString(values[i], &out);
  }
  out.push_back('}');
  return out;
}
