// The cases mean what the report says they mean only if they are picked as it says.
#include "case_picks.h"

#include <gtest/gtest.h>

#include <string>

#include "support/test_roll.h"

namespace {

TEST(CasePicks, SurnamesByHowCommonAndGivenNamesByHowFrequent) {
  TestRoll roll;
  for (const char* single : {"Zzz", "Aaa", "Mmm"}) roll.Add(single, "A");
  for (int i = 0; i < 3; ++i) roll.Add("Brown", "A");
  for (int i = 0; i < 5; ++i) roll.Add("Jones", "A");
  // J leads six names; JOHN (either case) is the commonest word; XQZY begins a name, QQQQ none.
  for (const char* name :
       {"John", "JOHNNY", "james", "J. W.", "Peter", "Pat", "Paul A", "Jo", "JOHN", "Xqzyl"}) {
    roll.Add("Smith", name);
  }
  roll.Build();

  CasePicks p;
  std::string error;
  ASSERT_TRUE(PickCases(roll.location, &p, &error)) << error;
  EXPECT_EQ(SurnameOfKey(p.single.key), "MMM");  // the middle one of AAA, MMM, ZZZ
  // 21 entries lined up 1, 1, 1, 3, 5, 10: the eleventh is a JONES.
  EXPECT_EQ(SurnameOfKey(p.median.key), "JONES");
  EXPECT_EQ(SurnameOfKey(p.common.key), "SMITH");
  EXPECT_EQ(p.common.slotCount, 10);
  EXPECT_EQ(p.oneLetter, "J");
  EXPECT_EQ(p.commonGiven, "JOHN");
  EXPECT_EQ(p.noMatch, "QQQQ");
}

TEST(CasePicks, ARollWithNothingToPickIsRefused) {
  TestRoll roll;
  roll.Add("Smith", "A");
  roll.Add("Smith", "B");
  roll.Build();
  CasePicks p;
  std::string error;
  EXPECT_FALSE(PickCases(roll.location, &p, &error));
  EXPECT_EQ(error, "no surname with exactly one entry");

  TestRoll unnamed;
  unnamed.Add("Solo", "");
  unnamed.Add("Smith", ".");
  unnamed.Add("Smith", "");
  unnamed.Build();
  EXPECT_FALSE(PickCases(unnamed.location, &p, &error));
  EXPECT_EQ(error, "the most common surname has no given names to filter by");
}

}  // namespace
