#include "records/csv_text.h"

void AppendCsvField(std::string_view field, std::string* out) {
  const bool quote = field.find_first_of(",\"\r\n") != std::string_view::npos ||
                     (!field.empty() && (field.front() == ' ' || field.back() == ' '));
  if (!quote) {
    out->append(field);
    return;
  }
  out->push_back('"');
  for (char c : field) {
    if (c == '"') out->push_back('"');
    out->push_back(c);
  }
  out->push_back('"');
}
