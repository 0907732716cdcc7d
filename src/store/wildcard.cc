#include "store/wildcard.h"

#include "store/name_folding.h"

namespace {

char KeyUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

bool HasWildcard(std::string_view typed) { return typed.find_first_of("*?") != std::string_view::npos; }

WildcardPattern::WildcardPattern(std::string_view typed) {
  typed = KeySurname(typed);
  pattern.reserve(typed.size());
  for (const char c : typed) {
    if (c == '*' && !pattern.empty() && pattern.back() == '*') continue;
    pattern.push_back(KeyUpper(c));
  }
}

bool WildcardPattern::Matches(std::string_view key) const {
  const std::string_view text = KeySurname(key);
  const std::size_t m = pattern.size();
  std::size_t p = 0;
  std::size_t t = 0;
  // On a mismatch after a `*`, let that star take one more character and retry what follows it.
  // Only the last star is ever retried: whatever an earlier star could take instead, the later
  // one can take as well. So no backtracking over stars, and at most pattern x text steps.
  std::size_t star = std::string_view::npos;
  std::size_t starText = 0;
  while (t < text.size()) {
    if (p < m && (pattern[p] == '?' || pattern[p] == KeyUpper(text[t]))) {
      ++p;
      ++t;
    } else if (p < m && pattern[p] == '*') {
      star = p++;
      starText = t;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      t = ++starText;
    } else {
      return false;
    }
  }
  while (p < m && pattern[p] == '*') ++p;
  return p == m;
}
