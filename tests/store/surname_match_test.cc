// Sounds-like and wildcard searches look only at the keys that can match (those filed under a
// wanted code, those that begin with a pattern's fixed start). They must find exactly what a test
// of every key of the roll finds, in the same order.
#include "store/surname_match.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/name_folding.h"
#include "store/roll_database.h"
#include "store/wildcard.h"
#include "support/test_roll.h"

namespace {

// Every key tested, the typed surname's own key first: what the search must find.
std::vector<KeyMatch> EveryKeyTested(const KeyCatalogue& catalogue, MatchMode mode, const std::string& typed) {
  std::string trimmed = typed;
  while (!trimmed.empty() && trimmed.front() == ' ') trimmed.erase(0, 1);
  while (!trimmed.empty() && trimmed.back() == ' ') trimmed.pop_back();
  const std::string ownKey = KeyOf(trimmed);
  const std::int64_t own = ownKey.empty() ? -1 : catalogue.Find(ownKey);
  SoundexCode wanted[kMaxSoundexCodes];
  const int n = SurnameSoundexCodes(trimmed, wanted);
  const WildcardPattern pattern(trimmed);
  std::vector<KeyMatch> found;
  for (std::size_t i = 0; i < catalogue.Size(); ++i) {
    std::int32_t detail = INT32_MIN;
    if (mode == MatchMode::kWildcard) {
      if (pattern.Matches(catalogue.Key(i))) detail = -1;
    } else {
      const SoundexCode* codes = nullptr;
      const int m = catalogue.SoundexCodes(i, &codes);
      for (int a = 0; a < n && detail == INT32_MIN; ++a) {
        for (int b = 0; b < m && detail == INT32_MIN; ++b) {
          if (wanted[a] == codes[b]) detail = codes[b];
        }
      }
    }
    if (detail == INT32_MIN) continue;
    const KeyMatch match{static_cast<std::int32_t>(i), detail};
    if (static_cast<std::int64_t>(i) == own) {
      found.insert(found.begin(), match);
    } else {
      found.push_back(match);
    }
  }
  return found;
}

TEST(SurnameMatch, SoundexAndWildcardsFindWhatATestOfEveryKeyFinds) {
  TestRoll roll;
  for (const char* surname :
       {"Smith", "Smyth", "Smithe", "Smithers", "Schmidt", "Smoot", "Sm", "S", "Sanders", "Saunders", "Sm Th", "Smi",
        "Van Deusen", "Deusen", "Vandeusen", "De Lacy", "Lacey", "O'Brien", "OBrien", "M\xFCller", "Mueller", "Muller",
        "Miller", "McDonald", "MacDonald", "Z", "Zz", "Aaron", "A", "Smith-Jones", "Smithson", "Smythe", "Tsmith"}) {
    roll.Add(surname, "JOHN");
  }
  roll.Build();
  RollDatabase database(roll.location, BoxAnswers());
  ASSERT_EQ(database.Open(1), 1);
  const KeyCatalogue& catalogue = *database.Catalogue();

  for (const char* typed : {"Smith", "smyth", "Van Deusen", "Deusen", "Lacey", "De Lacy", "Miller", "O'Brien",
                            "Schmidt", "Zz", "A", "Qxqx", "Tsmith", "M\xFCller", "  Smith  "}) {
    SCOPED_TRACE(std::string("soundex ") + typed);
    const std::vector<KeyMatch> found = MatchKeys(catalogue, MatchMode::kSoundex, typed);
    const std::vector<KeyMatch> expected = EveryKeyTested(catalogue, MatchMode::kSoundex, typed);
    ASSERT_EQ(found.size(), expected.size());
    for (std::size_t i = 0; i < found.size(); ++i) {
      EXPECT_EQ(found[i].key, expected[i].key);
      EXPECT_EQ(found[i].detail, expected[i].detail);
    }
  }
  for (const char* typed : {"SM?TH*", "S*", "*", "sm*", "SMITH*", "?MITH", "Van*", "VAN D*", "Z*", "SMZ*", "SM TH",
                            "Sm?Th", "M\xFC*", "M?LLER", "*SMITH", "SMI*H*", "S?", "A*", "ZZZ*", "\xFF*"}) {
    SCOPED_TRACE(std::string("wildcard ") + typed);
    const std::vector<KeyMatch> found = MatchKeys(catalogue, MatchMode::kWildcard, typed);
    const std::vector<KeyMatch> expected = EveryKeyTested(catalogue, MatchMode::kWildcard, typed);
    ASSERT_EQ(found.size(), expected.size());
    for (std::size_t i = 0; i < found.size(); ++i) EXPECT_EQ(found[i].key, expected[i].key);
  }
  // Something found at all: the test compares real answers.
  EXPECT_EQ(MatchKeys(catalogue, MatchMode::kWildcard, "SM?TH*").size(), 8u);
  EXPECT_GE(MatchKeys(catalogue, MatchMode::kSoundex, "Smith").size(), 7u);
}

// For MULLER the slips of one letter must come before BUTLER, two letters off, whatever key order
// says; the typed surname's own key stays first, and keys as close stay in key order.
TEST(SurnameMatch, SimilarSpellingListsTheClosestKeysFirst) {
  TestRoll roll;
  for (const char* surname : {"Butler", "Miller", "Mueller", "Muller", "M\xFCller", "Mullen", "Aller"}) {
    roll.Add(surname, "JOHN");
  }
  roll.Build();
  RollDatabase database(roll.location, BoxAnswers());
  ASSERT_EQ(database.Open(1), 1);
  const KeyCatalogue& catalogue = *database.Catalogue();
  auto listed = [&](const char* typed) {
    std::vector<std::string> keys;
    for (const KeyMatch& match : MatchKeys(catalogue, MatchMode::kSimilar, typed)) {
      keys.push_back(std::string(catalogue.Surname(static_cast<std::size_t>(match.key))) + " " +
                     std::to_string(match.detail));
    }
    return keys;
  };
  EXPECT_EQ(listed("Muller"), (std::vector<std::string>{"MULLER 0", "M\xFCLLER 0", "MILLER 1", "MUELLER 1",
                                                        "MULLEN 1", "ALLER 2", "BUTLER 2"}));
  // Not a key itself: ranking alone.
  EXPECT_EQ(listed("Mulller"), (std::vector<std::string>{"MUELLER 1", "MULLER 1", "M\xFCLLER 1", "MILLER 2",
                                                         "MULLEN 2"}));
}

}  // namespace
