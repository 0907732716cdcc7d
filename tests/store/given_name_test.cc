// The given-name test reads a slot's stored bytes without measuring the name first: it must agree
// with the test on the decoded name for every name, typed text and name length.
#include "store/given_name.h"

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

}  // namespace
