// CSV text as RFC 4180 writes it: fields separated by commas, records ended by CR LF, a field
// quoted (its quotes doubled) when it holds a comma, a quote, a CR or an LF, or begins or ends
// with a blank that a reader might trim.
#pragma once

#include <string>
#include <string_view>

void AppendCsvField(std::string_view field, std::string* out);

// Appends a whole record and its CR LF.
template <typename Fields>
void AppendCsvRecord(const Fields& fields, std::string* out) {
  bool first = true;
  for (const auto& field : fields) {
    if (!first) out->push_back(',');
    first = false;
    AppendCsvField(field, out);
  }
  out->append("\r\n");
}
