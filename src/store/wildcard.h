// Wildcards in a typed surname: `*` stands for any run of characters (also none), `?` for
// exactly one. The pattern is matched against the surname text of an index key byte for byte,
// upper-cased as keys are (a-z only), so M?LLER finds MüLLER but MÜLLER* does not.
#pragma once

#include <string>
#include <string_view>

// Whether `typed` holds a `*` or a `?`.
bool HasWildcard(std::string_view typed);

class WildcardPattern {
 public:
  // Upper-cases a-z of `typed`. Trailing blanks are dropped, as the key's padding absorbs them;
  // leading blanks stay, as they stay in a key.
  explicit WildcardPattern(std::string_view typed);

  // Whether the whole surname of `key` (store/name_folding.h's KeySurname: without its padding)
  // matches the whole pattern. Takes at most pattern length × surname length steps.
  bool Matches(std::string_view key) const;
  // What every matching surname begins with, upper-cased: the pattern up to its first `*` or `?`.
  std::string_view FixedStart() const { return std::string_view(pattern).substr(0, pattern.find_first_of("*?")); }
  // Whether the pattern is its fixed start and one `*` after it (`*` alone included).
  bool OneStarAfterFixedStart() const { return !pattern.empty() && pattern.find_first_of("*?") == pattern.size() - 1 && pattern.back() == '*'; }

 private:
  std::string pattern;  // runs of `*` kept as one
};
