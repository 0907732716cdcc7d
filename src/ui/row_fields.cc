#include "ui/row_fields.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

void TrimRight(std::string* text) {
  std::size_t n = text->size();
  while (n > 0 && std::isspace(static_cast<unsigned char>((*text)[n - 1]))) --n;
  text->resize(n);
}

}  // namespace

RowFields SplitRowText(const char* text, std::size_t capacity) {
  RowFields fields;
  if (text == nullptr) return fields;
  const std::string_view all(text, strnlen(text, capacity));
  std::size_t at = 0;
  while (fields.count < kRowFieldCount) {
    while (at < all.size() && all[at] == '\t') ++at;
    if (at >= all.size()) break;
    const std::size_t end = std::min(all.find('\t', at), all.size());
    fields.field[fields.count++] = all.substr(at, end - at);
    at = end;
  }
  return fields;
}

std::string MoreInfoCaption(const char* rowText, std::size_t capacity) {
  const RowFields fields = SplitRowText(rowText, capacity);
  std::string caption(fields.field[0]);
  TrimRight(&caption);
  caption += ", ";
  caption += fields.field[1];
  TrimRight(&caption);
  return caption;
}
