#include "store/given_name.h"

#include <cstring>

namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

GivenNamePrefix::GivenNamePrefix(const char* given, int nameLength) {
  int prefix = 0;
  while (given[prefix] != '\0' && IsLetter(given[prefix])) ++prefix;
  if (prefix == 0) prefix = 1;
  const int length = nameLength < 0 ? 0 : nameLength > kMaxNameLength ? kMaxNameLength : nameLength;
  // Only the first `compare` characters of the normalised texts take part.
  compare = prefix < length ? prefix : length;
  const std::size_t have = strnlen(given, static_cast<std::size_t>(length));
  for (int i = 0; i < compare; ++i) key[i] = static_cast<std::size_t>(i) < have ? UpperAscii(given[i]) : ' ';
}
