#include "store/wildcard.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

// Tries every split: exponential, but plainly right, for short texts.
bool Reference(const char* pattern, const char* text) {
  if (*pattern == '\0') return *text == '\0';
  if (*pattern == '*') return Reference(pattern + 1, text) || (*text != '\0' && Reference(pattern, text + 1));
  return *text != '\0' && (*pattern == '?' || *pattern == *text) && Reference(pattern + 1, text + 1);
}

}  // namespace

TEST(HasWildcard, SeesAStarOrAQuestionMarkAnywhere) {
  EXPECT_TRUE(HasWildcard("SM?TH"));
  EXPECT_TRUE(HasWildcard("*"));
  EXPECT_TRUE(HasWildcard("SMITH*"));
  EXPECT_FALSE(HasWildcard("SMITH"));
  EXPECT_FALSE(HasWildcard(""));
}

TEST(WildcardPattern, MatchesTheWholeSurnameOfAKey) {
  struct Case {
    const char* pattern;
    const char* key;
    bool matches;
  } cases[] = {
      {"SM?TH", "SMITH                 ", true},
      {"SM?TH", "SMYTH                 ", true},
      {"SM?TH", "SMITHE                ", false},
      {"SM?TH", "SMTH                  ", false},  // ? is exactly one character
      {"sm?th*", "SMITHSON              ", true},  // upper-cased as keys are
      {"S*", "S                     ", true},
      {"S*", "ASH                   ", false},
      {"*", "                      ", true},  // a key of blanks has an empty surname
      {"?", "                      ", false},
      {"*SON", "JACKSON               ", true},
      {"*SON", "JACKSONS              ", false},
      {"MC*ALD", "MCDONALD              ", true},
      {"*A*B*", "XAYBZ                 ", true},
      {"A**B", "AB                    ", true},
      {"*AB", "AAB                   ", true},
      {"A*B*C", "AXBXXBXC              ", true},
      {"SMITH*", "SMITH                 ", true},
      {"SMITH?", "SMITH                 ", false},  // the padding is not part of the surname
      {"SMITH ", "SMITH                 ", true},   // nor are trailing blanks typed
      {" SM*", " SMITH                ", true},     // leading blanks are, as in a key
      {" SM*", "SMITH                 ", false},
      {"VAN *", "VAN BUREN             ", true},
      {"M?LLER", "M\xFCLLER                ", true},
      {"M\xDCLLER*", "M\xFCLLER                ", false},  // accents as typed, not folded
      {"ABCDEFGHIJKLMNOPQ*", "ABCDEFGHIJKLMNOPQR", true},  // a long key has no padding
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WildcardPattern(c.pattern).Matches(c.key), c.matches) << c.pattern << " / " << c.key;
  }
}

TEST(WildcardPattern, AgreesWithTryingEverySplit) {
  std::mt19937 random(15);
  const std::string patternLetters = "AB*?";
  for (int round = 0; round < 20000; ++round) {
    std::string pattern(random() % 8, ' ');
    std::string text(random() % 9, ' ');
    for (char& c : pattern) c = patternLetters[random() % patternLetters.size()];
    for (char& c : text) c = "AB"[random() % 2];
    ASSERT_EQ(WildcardPattern(pattern).Matches(text), Reference(pattern.c_str(), text.c_str()))
        << pattern << " / " << text;
  }
}
