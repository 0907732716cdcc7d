// The given-name test reads a slot's stored bytes without measuring the name first: it must agree
// with the test on the decoded name for every name, typed text and name length.
#include "store/given_name.h"
#include "store/given_variants.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The request's form of a typed given name: upper case, space-padded.
std::string Typed(const std::string& text) { return text + std::string(kCurrentNameSize - text.size(), ' '); }

TEST(GivenNamePrefix, TheStoredBytesAndTheDecodedNameGiveTheSameAnswer) {
  const std::vector<std::string> typed = {"J", "JOHN", "MARY ANN", "J. W.", "", "JOHNNY", "O'NEIL", "Z"};
  const std::vector<std::string> names = {"JOHN", "John W", "JOHNNY", "J", "", "MARY", "MARYANN", "J. W. BOOTH",
                                          "O'NEIL", "ZEKE", std::string(40, 'J')};
  for (const int nameLength : {1, 4, 6, 22, 40}) {
    for (const std::string& t : typed) {
      const std::string request = Typed(t);
      const GivenNamePrefix prefix(request.c_str(), nameLength);
      for (const std::string& name : names) {
        // As the name file holds it: the name cut to L - 1 bytes, NUL-padded to L (a full-width
        // name of an older roll has no NUL at all).
        std::string slot(static_cast<std::size_t>(nameLength), '\0');
        slot.replace(0, std::min(name.size(), slot.size()), name.substr(0, slot.size()));
        const std::string_view decoded(slot.data(), strnlen(slot.data(), slot.size()));
        EXPECT_EQ(prefix.MatchesStored(slot.data()), prefix.Matches(decoded))
            << "typed '" << t << "', name '" << name << "', L " << nameLength;
      }
    }
  }
}

TEST(GivenNamePrefix, ComparesTheTypedLettersWithoutRegardToCase) {
  const std::string request = Typed("JOHN");
  const GivenNamePrefix prefix(request.c_str(), 22);
  const std::string john("john w\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 22);
  const std::string jon("JON\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 22);
  EXPECT_TRUE(prefix.MatchesStored(john.data()));
  EXPECT_FALSE(prefix.MatchesStored(jon.data()));
}

// A slot's name as the name file holds it: cut to L - 1 bytes, NUL-padded to L.
std::string Stored(const std::string& name, int nameLength) {
  std::string slot(static_cast<std::size_t>(nameLength), '\0');
  slot.replace(0, std::min(name.size(), slot.size()), name.substr(0, slot.size()));
  return slot;
}

// The table's groups go both ways and hold words a name can begin with: a form that finds its
// full name is found by it, and nothing in the table is unreachable by a typed word.
TEST(GivenNameVariants, EveryWordOfAGroupFindsTheOthersAndIsOnlyLetters) {
  const std::vector<std::string> groups = GivenNameGroups();
  ASSERT_GE(groups.size(), 16u);
  for (const std::string& group : groups) {
    std::vector<std::string> words;
    for (std::size_t at = 0; at < group.size();) {
      const std::size_t blank = std::min(group.find(' ', at), group.size());
      words.push_back(group.substr(at, blank - at));
      at = blank + 1;
    }
    for (const std::string& word : words) {
      EXPECT_TRUE(!word.empty() && std::all_of(word.begin(), word.end(), [](char c) { return c >= 'A' && c <= 'Z'; }))
          << group;
      const std::vector<std::string> variants = GivenNameVariants(word);
      EXPECT_LE(variants.size(), static_cast<std::size_t>(kMaxGivenVariants)) << word;
      EXPECT_EQ(std::count(variants.begin(), variants.end(), word), 0) << word;
      for (const std::string& other : words) {
        if (other != word) {
          EXPECT_EQ(std::count(variants.begin(), variants.end(), other), 1) << word << " " << other;
        }
      }
    }
  }
  // The abbreviations the rolls' clerks used most.
  for (const char* pair : {"WILLIAM WM", "JOHN JNO", "CHARLES CHAS", "THOMAS THOS", "GEORGE GEO", "JAMES JAS",
                           "JOSEPH JOS", "SAMUEL SAML", "BENJAMIN BENJ", "ROBERT ROBT", "RICHARD RICHD", "DANIEL DANL",
                           "ALEXANDER ALEXR", "FREDERICK FREDK", "EDWARD EDWD", "NATHANIEL NATHL", "WILLIAM BILL",
                           "WILLIAM WILL", "JOHN JACK"}) {
    const std::string text(pair);
    const std::vector<std::string> variants = GivenNameVariants(text.substr(0, text.find(' ')));
    EXPECT_EQ(std::count(variants.begin(), variants.end(), text.substr(text.find(' ') + 1)), 1) << pair;
  }
  EXPECT_TRUE(GivenNameVariants("JO").empty()) << "a prefix of names is no name of the table";
  EXPECT_EQ(GivenNameVariants("jos").size(), 4u);  // JOSEPH, JOE, JOSHUA, JOSIAH
}

// The typed name stays a prefix; its variants are whole words, as the clerk wrote them (a full stop
// or a middle initial after them), so WILL finds neither WILLIS nor WILLARD.
TEST(GivenNameSet, VariantsAreWholeWordsBesideTheTypedPrefix) {
  const std::string request = Typed("WILLIAM");
  for (const int nameLength : {4, 8, 22}) {
    const GivenNameSet plain(request.c_str(), nameLength, false);
    const GivenNameSet widened(request.c_str(), nameLength, true);
    for (const char* name : {"William", "WILLIAMS", "Wm", "WM. H", "wm", "Will", "Bill", "BILL J", "Wms", "Willis",
                             "Billy", "W", "", "Willard"}) {
      const std::string slot = Stored(name, nameLength);
      const std::string_view decoded(slot.data(), strnlen(slot.data(), slot.size()));
      EXPECT_EQ(widened.MatchesStored(slot.data()), widened.Matches(decoded)) << name << " L " << nameLength;
      EXPECT_EQ(plain.MatchesStored(slot.data()), plain.Matches(decoded)) << name << " L " << nameLength;
    }
  }
  const GivenNameSet plain(request.c_str(), 22, false);
  const GivenNameSet widened(request.c_str(), 22, true);
  auto finds = [](const GivenNameSet& set, const char* name) { return set.MatchesStored(Stored(name, 22).data()); };
  for (const char* name : {"William", "WILLIAMS", "Wm", "WM. H", "wm", "Will", "Bill", "BILL J"}) {
    EXPECT_TRUE(finds(widened, name)) << name;
  }
  for (const char* name : {"Wms", "Willis", "Billy", "Willard", "W", ""}) EXPECT_FALSE(finds(widened, name)) << name;
  EXPECT_FALSE(finds(plain, "Wm"));
  EXPECT_FALSE(finds(plain, "Bill"));
}

}  // namespace
