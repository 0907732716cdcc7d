#include "records/pull_list.h"

#include <gtest/gtest.h>

#include <string>

namespace {

SoldierEntry WithMicrofilm(const char* box, const char* roll, const char* record = "1") {
  return EntryFromRoll("KELLY", "Patrick", {"", "", "", "", "", "", box, roll, record, "U"});
}

}  // namespace

TEST(PullList, CountsEachRollOnceInNumericOrder) {
  PullList list;
  list.Add(WithMicrofilm("150", "2"));
  list.Add(WithMicrofilm("12", "34", "5"));
  list.Add(WithMicrofilm("12", "34", "6"));
  list.Add(WithMicrofilm(" 12", "34 "));  // blanks on the roll do not make another roll
  list.Add(WithMicrofilm("12", "4"));
  list.Add(WithMicrofilm("9", "400"));
  list.Add(WithMicrofilm(" ", " "));
  list.Add(EntryFromRoll("SMITH", "John", {}));

  const std::vector<MicrofilmRoll> rolls = list.Rolls();
  ASSERT_EQ(rolls.size(), 4u);
  EXPECT_EQ(rolls[0].box + "/" + rolls[0].roll, "9/400");
  EXPECT_EQ(rolls[1].box + "/" + rolls[1].roll, "12/4");
  EXPECT_EQ(rolls[2].box + "/" + rolls[2].roll, "12/34");
  EXPECT_EQ(rolls[2].entries, 3);
  EXPECT_EQ(rolls[3].box + "/" + rolls[3].roll, "150/2");
  EXPECT_EQ(list.EntriesWithReference(), 6);
  EXPECT_EQ(list.EntriesWithoutReference(), 2);

  EXPECT_EQ(list.Text(),
            "National Archives microfilm to request: 4 rolls for 6 entries.\n"
            "Box 9, roll 400: 1 entry\n"
            "Box 12, roll 4: 1 entry\n"
            "Box 12, roll 34: 3 entries\n"
            "Box 150, roll 2: 1 entry\n"
            "2 entries have no microfilm reference.\n");
  EXPECT_EQ(list.Csv(),
            "microfilm_box,microfilm_roll,entries\r\n9,400,1\r\n12,4,1\r\n12,34,3\r\n150,2,1\r\n");
}

TEST(PullList, PartialAndOddReferences) {
  PullList list;
  list.Add(WithMicrofilm("A-7", "3"));
  list.Add(WithMicrofilm("007", "1"));
  list.Add(WithMicrofilm("7", "1"));
  list.Add(WithMicrofilm("", "5"));
  list.Add(WithMicrofilm("8", ""));
  list.Add(WithMicrofilm("99999999999999999999", "1"));  // longer than any integer type
  list.Add(WithMicrofilm("100000000000000000000", "1"));
  list.Add(WithMicrofilm("12,3", "1"));

  EXPECT_EQ(list.Text(),
            "National Archives microfilm to request: 8 rolls for 8 entries.\n"
            "Roll 5 (no box): 1 entry\n"
            "Box 007, roll 1: 1 entry\n"
            "Box 7, roll 1: 1 entry\n"
            "Box 8 (no roll): 1 entry\n"
            "Box 99999999999999999999, roll 1: 1 entry\n"
            "Box 100000000000000000000, roll 1: 1 entry\n"
            "Box 12,3, roll 1: 1 entry\n"
            "Box A-7, roll 3: 1 entry\n");
  EXPECT_EQ(list.Csv(),
            "microfilm_box,microfilm_roll,entries\r\n,5,1\r\n007,1,1\r\n7,1,1\r\n8,,1\r\n"
            "99999999999999999999,1,1\r\n100000000000000000000,1,1\r\n\"12,3\",1,1\r\nA-7,3,1\r\n");
}

TEST(PullList, AnEmptyList) {
  PullList list;
  EXPECT_EQ(list.Text(), "National Archives microfilm to request: none.\n");
  list.Add(EntryFromRoll("SMITH", "John", {}));
  EXPECT_EQ(list.Text(),
            "National Archives microfilm to request: none.\n1 entry has no microfilm reference.\n");
  EXPECT_EQ(list.Csv(), "microfilm_box,microfilm_roll,entries\r\n");
}
