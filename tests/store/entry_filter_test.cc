#include "store/entry_filter.h"

#include <gtest/gtest.h>

namespace {

const std::string kLine = "J\xFF" "A\xFF" "18 ME INF\xFF" "PVT\xFF" "CORP\xFF\xFF" "12\xFF" "34\xFF" "56\xFF" "U\xFF\n";

EntryFilter Side(char side) {
  EntryFilter f;
  f.side = side;
  return f;
}

}  // namespace

TEST(EntryFilter, ReadsSideStateUnitAndCompanyFromTheirFields) {
  EXPECT_FALSE(EntryFilter{}.Active());
  EXPECT_TRUE(EntryFilter{}.Matches(kLine));
  EXPECT_TRUE(Side('U').Matches(kLine));
  EXPECT_TRUE(Side('u').Matches(kLine));
  EXPECT_FALSE(Side('C').Matches(kLine));

  EntryFilter state;
  for (const char* s : {"ME", "me"}) {
    state.state = s;
    EXPECT_TRUE(state.Matches(kLine)) << s;
  }
  for (const char* s : {"M", "MEX", "INF"}) {  // a whole word of the unit; INF is a word, so only
    state.state = s;                           // the state's place in a real unit makes it one
    EXPECT_EQ(state.Matches(kLine), std::string(s) == "INF") << s;
  }

  EntryFilter unit;
  unit.unit = "me inf";
  EXPECT_TRUE(unit.Matches(kLine));
  unit.unit = "CAV";
  EXPECT_FALSE(unit.Matches(kLine));

  EntryFilter company;
  company.company = "a";
  EXPECT_TRUE(company.Matches(kLine));
  company.company = "B";
  EXPECT_FALSE(company.Matches(kLine));
}

// Fields missing, a line cut short, no line at all: never a match, never a read past the text.
TEST(EntryFilter, MissingOrMalformedFieldsNeverMatch) {
  const std::string shortLine = "J\xFF" "A\xFF\n";
  const std::string noSeparators = "just text\n";
  const std::string sideWithoutSeparator = "J\xFF" "A\xFF" "1 ME INF\xFF\xFF\xFF\xFF\xFF\xFF\xFF" "C\n";
  for (const std::string& line : {shortLine, noSeparators, std::string(), std::string("\n")}) {
    EXPECT_FALSE(Side('U').Matches(line)) << line;
    EntryFilter state;
    state.state = "ME";
    EXPECT_FALSE(state.Matches(line)) << line;
  }
  EXPECT_TRUE(Side('C').Matches(sideWithoutSeparator));  // a last field without its 0xFF counts
  EXPECT_FALSE(Side('U').Matches("J\xFF" "A\xFF" "1 ME INF\xFF\xFF\xFF\xFF\xFF\xFF\xFF" "UC\xFF\n"));
  EXPECT_EQ(Side('C').Describe(), "Confederate");
  EntryFilter all;
  all.side = 'U';
  all.state = "ME";
  all.unit = "INF";
  all.company = "A";
  EXPECT_EQ(all.Describe(), "Union, state ME, unit \"INF\", company A");
}
