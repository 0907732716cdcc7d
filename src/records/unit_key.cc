#include "records/unit_key.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// "3RD", "21ST", "2ND", "18TH", "2D", "3D": digits and an ordinal ending.
std::size_t OrdinalDigits(std::string_view word) {
  std::size_t digits = 0;
  while (digits < word.size() && IsDigit(word[digits])) ++digits;
  if (digits == 0) return 0;
  const std::string_view ending = word.substr(digits);
  for (std::string_view suffix : {"ST", "ND", "RD", "TH", "D"}) {
    if (ending == suffix) return digits;
  }
  return 0;
}

}  // namespace

std::string UnitKey(std::string_view text) {
  std::string key;
  key.reserve(text.size());
  std::size_t wordStart = 0;
  auto endWord = [&key, &wordStart] {
    const std::size_t digits = OrdinalDigits(std::string_view(key).substr(wordStart));
    if (digits > 0) key.resize(wordStart + digits);
  };
  for (char c : text) {
    if (c == '.') continue;
    if (c == ' ' || c == ',' || c == '\t') {
      if (!key.empty() && key.back() != ' ') {
        endWord();
        key += ' ';
        wordStart = key.size();
      }
      continue;
    }
    key += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  }
  if (key.empty()) return key;
  if (key.back() == ' ') {
    key.pop_back();  // its word was ended at the blank
  } else {
    endWord();
  }
  return key;
}

bool IsPlainText(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      if ((lead < 0x20 && lead != '\t') || lead == 0x7F) return false;
      ++i;
      continue;
    }
    // The length the lead byte announces, and the smallest code point of that length (a longer
    // encoding than needed is not UTF-8).
    std::size_t length = 0;
    char32_t codePoint = 0, least = 0;
    if ((lead & 0xE0) == 0xC0) {
      length = 2, codePoint = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3, codePoint = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4, codePoint = lead & 0x07, least = 0x10000;
    } else {
      return false;
    }
    if (text.size() - i < length) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      codePoint = (codePoint << 6) | (next & 0x3F);
    }
    if (codePoint < least || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
      return false;
    if (codePoint >= 0x80 && codePoint <= 0x9F) return false;  // C1 controls
    i += length;
  }
  return true;
}
