#include "line_summary.h"

#include <cstring>

#include "store/roll_format.h"

std::string RowSummary(std::string_view line, int* consumed) {
  char out[kSummaryBufferSize + 8] = {};
  std::size_t pos = 0;
  int n = 0;
  int fields = 0;
  bool done = false;
  while (pos < line.size()) {
    const unsigned char c = static_cast<unsigned char>(line[pos++]);
    out[n++] = static_cast<char>(c);
    if (c == kFieldSeparator) {
      --n;
      while (n > 0 && out[n - 1] == ' ') --n;
      if (n == 0) {
      } else if (static_cast<unsigned char>(out[n - 1]) == kFieldSeparator) {
        ++n;
      } else {
        out[n] = static_cast<char>(kFieldSeparator);
        out[n + 1] = ' ';
        n += 2;
        ++fields;
      }
    }
    if (c == kLineFeed) {
      out[n] = '\0';
      done = true;
      break;
    }
    if (fields >= 4 || n >= 30) break;
  }
  if (!done) {
    if (pos < line.size() && static_cast<unsigned char>(line[pos]) == kLineFeed) {
      ++pos;
      out[n] = '\0';
    } else {
      if (pos < line.size()) ++pos;
      std::memcpy(out + n, "...", 4);
    }
  }
  if (consumed) *consumed = static_cast<int>(pos);

  // As a result row converts it: the byte after a separator is passed over unexamined.
  int i = 0;
  for (; out[i] != '\0'; ++i) {
    if (static_cast<unsigned char>(out[i]) == kFieldSeparator) {
      out[i] = ',';
      if (out[i + 1] != '\0') ++i;
    } else if (out[i] == '\n') {
      out[i] = ' ';
    }
  }
  if (i > 0 && out[i - 1] == ',') out[--i] = '\0';
  return std::string(out, static_cast<std::size_t>(i) < kRowSummarySize - 1 ? i : kRowSummarySize - 1);
}

std::string FormatRowText(std::string_view displaySurname, std::string_view name, std::string_view summary) {
  std::string text(displaySurname.substr(0, 29));
  text += '\t';
  text += name.substr(0, kRowNameSize - 1);
  text += '\t';
  text += summary;
  return text;
}
