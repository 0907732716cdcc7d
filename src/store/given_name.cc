#include "store/given_name.h"

#include <cstring>
#include <string>

#include "store/given_variants.h"

namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

GivenNamePrefix::GivenNamePrefix(const char* given, int nameLength) {
  int prefix = 0;
  while (given[prefix] != '\0' && IsLetter(given[prefix])) ++prefix;
  if (prefix == 0) prefix = 1;
  length = nameLength < 0 ? 0 : nameLength > kMaxNameLength ? kMaxNameLength : nameLength;
  // Only the first `compare` characters of the normalised texts take part.
  compare = prefix < length ? prefix : length;
  const std::size_t have = strnlen(given, static_cast<std::size_t>(length));
  for (int i = 0; i < compare; ++i) key[i] = static_cast<std::size_t>(i) < have ? UpperAscii(given[i]) : ' ';
}

GivenNamePrefix::GivenNamePrefix(std::string_view word, int nameLength) : wholeWord(true) {
  length = nameLength < 0 ? 0 : nameLength > kMaxNameLength ? kMaxNameLength : nameLength;
  const int letters = static_cast<int>(word.size() < kCurrentNameSize ? word.size() : kCurrentNameSize);
  compare = letters < length ? letters : length;
  for (int i = 0; i < compare; ++i) key[i] = UpperAscii(word[static_cast<std::size_t>(i)]);
}

GivenNameSet::GivenNameSet(const char* given, int nameLength, bool variants) {
  prefixes.emplace_back(given, nameLength);
  if (!variants) return;
  std::size_t letters = 0;
  while (letters < static_cast<std::size_t>(kMaxNameLength) && IsLetter(given[letters])) ++letters;
  for (const std::string& variant : GivenNameVariants(std::string_view(given, letters))) {
    prefixes.emplace_back(std::string_view(variant), nameLength);
  }
}
