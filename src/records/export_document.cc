#include "records/export_document.h"

#include "records/export_rows.h"

bool ExportFormatNamed(std::string_view name, ExportFormat* format) {
  std::string lower(name);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  if (lower == "csv") {
    *format = ExportFormat::kCsv;
  } else if (lower == "json") {
    *format = ExportFormat::kJson;
  } else {
    return false;
  }
  return true;
}

std::string ExportDocument::Begin() const { return format == ExportFormat::kCsv ? CsvHeader() : "[\n"; }

std::string ExportDocument::Entry(const SoldierEntry& entry) {
  const bool first = !any;
  any = true;
  if (format == ExportFormat::kCsv) return CsvRow(entry);
  return (first ? "" : ",\n") + JsonObject(entry);
}

std::string ExportDocument::End() const {
  if (format == ExportFormat::kCsv) return std::string();
  return any ? "\n]\n" : "]\n";
}
