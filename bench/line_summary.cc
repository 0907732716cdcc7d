#include "line_summary.h"

#include "results/detail_text.h"
#include "results/result_list.h"
#include "results/result_row.h"
#include "store/roll_format.h"

std::string RowSummary(std::string_view line, int* consumed) {
  char out[kSummaryBufferSize] = {};
  SummaryBuilder summary(out);
  std::size_t pos = 0;
  while (pos < line.size() && summary.Feed(static_cast<unsigned char>(line[pos++]))) {
  }
  if (!summary.Done()) {
    if (pos < line.size()) {
      summary.Finish(static_cast<unsigned char>(line[pos++]));
    } else {
      summary.EndOfFile();
    }
  }
  if (consumed) *consumed = static_cast<int>(pos);
  char row[kRowSummarySize];
  ConvertSummaryForRow(out, row);
  return row;
}

std::string FormatRowText(std::string_view displaySurname, std::string_view name, std::string_view summary) {
  std::string text(displaySurname.substr(0, kDisplaySurnameSize - 1));
  text += '\t';
  text += name.substr(0, kRowNameSize - 1);
  text += '\t';
  text += summary;
  return text;
}

std::string DetailTextOfLine(std::string line) {
  if (line.size() > static_cast<std::size_t>(kLongestLine)) line.resize(kLongestLine);
  char text[kDetailTextSize];
  ComposeDetailText(line.c_str(), 1, text, sizeof text);
  return text;
}
