#include <gtest/gtest.h>

#include <cstring>

#include "store/roll_database.h"
#include "store/search_request.h"
#include "support/scripted_message_box.h"
#include "support/test_roll.h"

namespace {

std::string Key(const std::string& surname) {
  char key[kIndexKeySize] = {};
  std::memcpy(key, surname.data(), surname.size());
  RollDatabase::NormaliseKey(key);
  return key;
}

}  // namespace

TEST(NormaliseKey, PadsShortSurnamesAndUpperCasesAll) {
  EXPECT_EQ(Key("Smith"), "SMITH" + std::string(17, ' '));
  EXPECT_EQ(Key("abcdefghijklmnop"), "ABCDEFGHIJKLMNOP" + std::string(6, ' '));  // 16: padded
  EXPECT_EQ(Key("abcdefghijklmnopq"), "ABCDEFGHIJKLMNOPQ");                    // 17: not padded
  EXPECT_EQ(Key(std::string(22, 'z')), std::string(22, 'Z'));
  EXPECT_EQ(Key(std::string(23, 'z')), std::string(23, 'Z'));
  EXPECT_EQ(Key("m\xE9ndez"), "M\xE9NDEZ" + std::string(16, ' '));  // bytes above 0x7F kept
  EXPECT_EQ(Key(""), std::string(22, ' '));
}

TEST(SearchRequest, FillsAndRefusesAsTheScreenExpects) {
  ScriptedMessageBox boxes;
  // The screen shows a refusal in a box.
  const QueryErrorReport report = [](const std::string& text) { ShowMessageBox(text.c_str(), kMbOk); };
  SearchRequest request;
  request.SetSurname("Smith");
  request.SetGivenName("jo");
  EXPECT_EQ(request.hasGivenName, 1);
  EXPECT_EQ(std::string(request.givenName), "JO" + std::string(253, ' '));
  request.SetDatabase(1);
  EXPECT_EQ(request.number, 1);

  request.SetSurname("Jones");
  EXPECT_EQ(request.hasGivenName, 0);  // a new surname drops the given name

  request.SetGivenName("anna");
  request.SetSurname(std::string(256, 'x').c_str(), report);
  request.SetGivenName(std::string(256, 'y').c_str(), report);
  EXPECT_STREQ(request.surname, "Jones");
  EXPECT_EQ(request.hasGivenName, 1);
  EXPECT_EQ(std::string(request.givenName, 4), "ANNA");
  EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{"query error: last name is too long.\n",
                                                     "query error: first name is too long.\n"}));
  request.SetSurname(std::string(255, 'x').c_str());
  EXPECT_EQ(std::strlen(request.surname), 255u);
}

class SearchRun : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 25; ++i) roll.Add("Smith", "NAME" + std::to_string(100 + i));
    roll.Add("Smyth", "JOHN");
    roll.Add("Abernathy-Wolcott-Ray", "ANN");  // 21 characters: a key without padding
    roll.Build();
  }
  TestRoll roll;
  ScriptedMessageBox boxes;
};

TEST_F(SearchRun, FindsTheSurnameInAnyCase) {
  SearchSession s(roll.location);
  s.Search("smith");
  EXPECT_EQ(s.list.ResultCount(), 25);
  EXPECT_EQ(s.list.RowCount(), 10);
  EXPECT_EQ(s.PageRows()[0], "SMITH\tNAME100\tJ, A, 5 IL INF, PVT, ...");
  s.Search("abernathy-wolcott-ray");
  EXPECT_EQ(s.list.ResultCount(), 1);
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(SearchRun, MissesLeaveTheListEmpty) {
  SearchSession s(roll.location);
  for (const char* surname : {"Smithe", "Smit", "Nobody", "Abernathy-Wolcott-Ray-Longer-Than-23"}) {
    s.Search("Smith");
    s.Search(surname);
    EXPECT_EQ(s.list.ResultCount(), 0) << surname;
    EXPECT_EQ(s.list.RowCount(), 0) << surname;
    EXPECT_FALSE(s.list.HasNextPage());
  }
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(SearchRun, AGivenNameSearchThenASurnameOnlySearch) {
  SearchSession s(roll.location);
  s.Search("Smith", "name11");
  EXPECT_TRUE(s.list.IsFiltered());
  EXPECT_EQ(s.list.ResultCount(), 25);  // the filter compares leading letters only: NAME
  s.Search("Smyth", "jo");
  EXPECT_EQ(s.list.ResultCount(), 1);
  s.Search("Smith");
  EXPECT_FALSE(s.list.IsFiltered());
  EXPECT_EQ(s.list.ResultCount(), 25);
}

TEST_F(SearchRun, CancelledDiskPromptOpensNothing) {
  std::remove((roll.dataDir + "mrdb.id").c_str());
  std::remove((roll.dataDir + "mroll.tre").c_str());
  SearchSession s(roll.location);
  boxes.Answer({kIdCancel});
  s.Search("Smith");
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{kDiskPrompt});
  EXPECT_EQ(s.list.ResultCount(), 0);
  EXPECT_EQ(s.database.Index(), nullptr);
  EXPECT_FALSE(FileExists(roll.dataDir + "mroll.tre"));
}

TEST_F(SearchRun, MissingFilesAreReportedAndGiveNoResult) {
  std::remove((roll.dataDir + "mroll.cor").c_str());
  SearchSession s(roll.location);
  s.Search("Smith");
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"cor"});
  EXPECT_EQ(s.list.ResultCount(), 0);
}

TEST_F(SearchRun, AnIndexPromisingMoreSlotsThanTheNameFileHoldsIsCut) {
  // Smith's entry: first slot 0, count 25; make the count enormous and the other entry start
  // beyond the name file.
  SearchSession s(roll.location);
  const std::string tre = roll.dataDir + "mroll.tre";
  std::string bytes = ReadFileBytes(tre);
  const std::string smith = "SMITH" + std::string(17, ' ');
  const std::size_t at = bytes.find(smith);
  ASSERT_NE(at, std::string::npos);
  bytes.replace(at - 4, 4, Le32(0x7FFFFFF0));
  const std::string smyth = "SMYTH" + std::string(17, ' ');
  const std::size_t at2 = bytes.find(smyth);
  bytes.replace(at2 - 8, 4, Le32(1000));
  WriteFileBytes(tre, bytes);

  // Smith starts at slot 1 (after Abernathy-Wolcott-Ray); the cut range ends with the file.
  s.Search("Smith");
  EXPECT_EQ(s.list.ResultCount(), 26);
  s.Search("Smith", "n");
  EXPECT_EQ(s.list.ResultCount(), 25);
  s.Search("Smyth");
  EXPECT_EQ(s.list.ResultCount(), 0);
  EXPECT_EQ(s.list.RowCount(), 0);
}

// The count line has its own words for a negative total ("No records found."); the range itself
// is empty, so nothing is read.
TEST_F(SearchRun, ANegativeSlotCountReachesTheCountLineWithNothingToRead) {
  const std::string tre = roll.dataDir + "mroll.tre";
  std::string bytes = ReadFileBytes(tre);
  const std::size_t at = bytes.find("SMITH" + std::string(17, ' '));
  ASSERT_NE(at, std::string::npos);
  for (int count : {-3, -30, INT32_MIN}) {
    bytes.replace(at - 4, 4, Le32(count));
    WriteFileBytes(tre, bytes);
    SearchSession s(roll.location);
    for (const char* given : {"", "n"}) {
      s.Search("Smith", given);
      EXPECT_EQ(s.list.ResultCount(), *given ? 0 : count) << count << given;
      EXPECT_EQ(s.list.RowCount(), 0) << count << given;
      EXPECT_FALSE(s.list.HasNextPage());
      EXPECT_FALSE(s.list.HasPreviousPage());
    }
  }
}
