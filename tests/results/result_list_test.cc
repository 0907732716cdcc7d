#include "results/result_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/message_box.h"
#include "support/environment.h"
#include "support/full_disk.h"
#include "support/scoped_env.h"
#include "support/scripted_message_box.h"
#include "support/test_roll.h"

namespace {

const std::string kFF = "\xFF";

// Numbers of the names (NAME100 -> 0) on the current page.
std::vector<int> Numbers(const SearchSession& s) {
  std::vector<int> out;
  for (const std::string& name : s.PageNames()) out.push_back(std::stoi(name.substr(name.size() - 3)) - 100);
  return out;
}

std::vector<int> Range(int from, int to) {
  std::vector<int> out;
  for (int i = from; i < to; ++i) out.push_back(i);
  return out;
}

class Paging : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    for (int i = 0; i < 25; ++i) roll.Add("Smith", "NAME" + std::to_string(100 + i));
    roll.Add("Solo", "ONLY");
    roll.Build();
  }
  TestRoll roll;
  ScriptedMessageBox boxes;
};

}  // namespace

// Range mode (false) and filtered mode with a name matching everything (true) page alike.
TEST_P(Paging, TwentyFiveByTenAndByEight) {
  const bool filtered = GetParam();
  for (bool large : {false, true}) {
    const int per = large ? 8 : 10;
    SearchSession s(roll.location);
    s.Search("Smith", filtered ? "n" : "", large);
    ASSERT_EQ(s.list.IsFiltered(), filtered);
    EXPECT_EQ(s.list.ResultCount(), 25);

    std::vector<std::vector<int>> pages;
    std::vector<std::pair<int, int>> flags;
    pages.push_back(Numbers(s));
    flags.push_back({s.list.HasPreviousPage(), s.list.HasNextPage()});
    while (s.list.HasNextPage()) {
      s.list.NextPage();
      pages.push_back(Numbers(s));
      flags.push_back({s.list.HasPreviousPage(), s.list.HasNextPage()});
    }
    const int count = (25 + per - 1) / per;
    ASSERT_EQ(static_cast<int>(pages.size()), count) << per;
    for (int p = 0; p < count; ++p) {
      EXPECT_EQ(pages[p], Range(p * per, std::min(25, (p + 1) * per))) << per << " page " << p;
      EXPECT_EQ(flags[p], std::make_pair(p > 0 ? 1 : 0, p < count - 1 ? 1 : 0)) << per << " page " << p;
    }
    // Back from the last page to the first, and once more: the first page again.
    for (int p = count - 2; p >= 0; --p) {
      s.list.PreviousPage();
      EXPECT_EQ(Numbers(s), Range(p * per, (p + 1) * per)) << per << " back to " << p;
    }
    EXPECT_EQ(s.list.HasPreviousPage(), 0);
    s.list.PreviousPage();
    EXPECT_EQ(Numbers(s), Range(0, per));
  }
}

INSTANTIATE_TEST_SUITE_P(BothModes, Paging, ::testing::Bool());

TEST_F(Paging, OnePageWhenTheRangeFits) {
  SearchSession s(roll.location);
  s.Search("Solo");
  EXPECT_EQ(s.list.RowCount(), 1);
  EXPECT_FALSE(s.list.HasNextPage());
  EXPECT_FALSE(s.list.HasPreviousPage());
}

TEST(GivenNameFilter, MatchesTheLeadingLettersAsAPrefix) {
  TestRoll roll;
  for (const char* name :
       {"john", "JOHNSTON", "JON", "John W", "J. W.", "MARY ANN", "MARYLAND", "Mar", "", "7TH"}) {
    roll.Add("Smith", name);
  }
  roll.Build();
  ScriptedMessageBox boxes;
  SearchSession s(roll.location);
  struct Case {
    const char* given;
    std::vector<std::string> names;
  } cases[] = {
      {"JOHN", {"john", "John W", "JOHNSTON"}},
      {"john w", {"john", "John W", "JOHNSTON"}},  // only the first word counts
      {"J. W.", {"J. W.", "john", "John W", "JOHNSTON", "JON"}},
      {"Mary Ann", {"MARY ANN", "MARYLAND"}},
      {"7", {"7TH"}},  // no leading letter: one character compared
      {"Zeke", {}},
  };
  for (const Case& c : cases) {
    s.Search("Smith", c.given);
    EXPECT_EQ(s.PageNames(), c.names) << c.given;  // names as stored, not normalised
    EXPECT_EQ(s.list.ResultCount(), static_cast<int>(c.names.size())) << c.given;
    EXPECT_FALSE(s.list.HasNextPage());
  }
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(Summaries, AreConvertedForTheRow) {
  TestRoll roll;
  roll.Add("Smith", "A", {"J", "CO A"});
  roll.Add("Smith", "B", {" ", ""});
  roll.Add("Smith", "C", {"X"});
  roll.Add("Smith", "D", {std::string(30, 'z')});
  roll.Add("Smith", "E", {});
  roll.Build();
  SearchSession s(roll.location);
  s.Search("Smith");
  EXPECT_EQ(s.PageRows(), (std::vector<std::string>{
                              "SMITH\tA\tJ, CO A,  ",  // the line feed kept as a space
                              "SMITH\tB\t ",           // nothing but empty fields
                              "SMITH\tC\tX,  ",
                              "SMITH\tD\t" + std::string(30, 'z') + "...",  // cut at 30 bytes
                              "SMITH\tE\t ",
                          }));
}

TEST(Summaries, TheLongestSummaryFitsTheRow) {
  TestRoll roll;
  roll.Add("Smith", "A", {});
  roll.Build();
  // Twenty-nine bytes, a separator, one more field: 34 bytes before the conversion.
  WriteFileBytes(roll.dataDir + "mroll.ext", std::string(29, 'q') + kFF + "Y" + kFF + "\n");
  SearchSession s(roll.location);
  s.Search("Smith");
  ASSERT_EQ(s.list.RowCount(), 1);
  EXPECT_STREQ(s.list.Row(0).summaryText, (std::string(29, 'q') + ", ...").c_str());
}

TEST(FormatRow, JoinsTheThreeColumnsWithTabs) {
  TestRoll roll;
  roll.Add("smith", "JOHN", {"A", "B"});
  roll.Build();
  SearchSession s(roll.location);
  s.Search("smith");
  char out[500];
  EXPECT_EQ(s.list.FormatRow(0, out), 18);
  EXPECT_STREQ(out, "SMITH\tJOHN\tA, B,  ");
  EXPECT_EQ(s.list.FormatRow(1, out), 0);
  EXPECT_STREQ(out, "");
}

// A family directory that cannot hold history.buf costs nothing: the matches go to a private file.
// Only when no file can be had at all is the user told, instead of being shown zero matches.
TEST(FilterBufferTrouble, AnUnusableFamilyDirectoryStillGivesTheMatches) {
  TestRoll roll;
  roll.Add("Smith", "JOHN");
  roll.Build();
  DataLocation elsewhere;
  elsewhere.SetDirectories((roll.familyDir + "gone").c_str(), roll.dataDir.c_str());
  ScriptedMessageBox boxes;
  SearchSession s(elsewhere);
  s.Search("Smith", "John");
  EXPECT_EQ(s.list.ResultCount(), 1);
  EXPECT_EQ(s.list.RowCount(), 1);
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(FilterBufferTrouble, IsToldInsteadOfAnsweringZero) {
  TestRoll roll;
  roll.Add("Smith", "JOHN");
  roll.Build();
  ScopedEnv env;
  env.Set("XDG_RUNTIME_DIR", nullptr);
  env.Set(kTempDirectoryVariable, (roll.familyDir + "none").c_str());
  DataLocation elsewhere;
  elsewhere.SetDirectories((roll.familyDir + "gone").c_str(), roll.dataDir.c_str());
  ScriptedMessageBox boxes;
  SearchSession s(elsewhere);
  s.Search("Smith");
  EXPECT_EQ(s.list.ResultCount(), 1);  // a surname-only search does not need the file
  EXPECT_TRUE(boxes.Boxes().empty());
  s.Search("Smith", "John");
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, FormatMessage(kFilterBufferOpenMessage,
                                                 roll.familyDir + "gone" + kPathSeparator + "history.buf"));
  EXPECT_EQ(s.list.RowCount(), 0);
}

TEST(ResetState, IsEmptyInRangeMode) {
  TestRoll roll;
  roll.Add("Smith", "JOHN");
  roll.Build();
  SearchSession s(roll.location);
  s.Search("Smith", "j");
  s.list.Reset();
  EXPECT_FALSE(s.list.IsFiltered());
  EXPECT_EQ(s.list.ResultCount(), 0);
  EXPECT_EQ(s.list.RowCount(), 0);
  EXPECT_FALSE(s.list.HasNextPage());
  EXPECT_FALSE(s.list.HasPreviousPage());
  // The file is cut once the screen is drawn, as a search's records are written then.
  EXPECT_FALSE(s.list.FinishPendingWrites());
  EXPECT_EQ(ReadFileBytes(roll.familyDir + "history.buf"), "");
}

// The last match sits in the stream's buffer until the recount writes it out; a full disk loses
// it there, and the user must hear of it.
TEST(FilterBufferTrouble, AMatchLostWhenTheBufferIsWrittenOutIsTold) {
  TestRoll roll;
  for (int i = 0; i < 12; ++i) roll.Add("Brown", "BOB" + std::to_string(i));
  roll.Build();
  const std::string report = RunWithFullDisk(roll.familyDir + "history.buf", 11 * kFilterRecordSize, [&] {
    ScriptedMessageBox boxes;
    SearchSession s(roll.location);
    s.Search("Brown", "bob");
    std::string text = std::to_string(s.list.ResultCount()) + "\n";
    for (const std::string& box : boxes.Texts()) text += box + "\n";
    return text;
  });
  if (report == kNoFullDiskHere) GTEST_SKIP() << report;
  EXPECT_EQ(report.substr(0, 3), "11\n") << report;
  EXPECT_NE(report.find("The list of results is incomplete."), std::string::npos) << report;
}

TEST(ResetState, ANewListIsTheEmptyRange) {
  TestRoll roll;
  roll.Build();
  SearchSession s(roll.location);
  EXPECT_EQ(s.list.ResultCount(), 0);
  EXPECT_EQ(s.list.RowCount(), 0);
  EXPECT_FALSE(s.list.HasNextPage());
  EXPECT_FALSE(s.list.HasPreviousPage());
}

namespace {

// A roll of `n` SMITHs, JOHN and MARY by turns, built; and the search for SMITH JOHN.
void BuildSmiths(TestRoll* roll, int n) {
  for (int i = 0; i < n; ++i) roll->Add("Smith", (i % 2 ? "JOHN" : "MARY") + std::to_string(i));
  roll->Build();
}
SearchRequest SmithJohn() {
  SearchRequest request;
  request.SetSurname("Smith");
  request.SetDatabase(1);
  request.SetGivenName("john");
  return request;
}

}  // namespace

// A given-name search shows its first page before its matches are written; the file then holds
// the records the one-by-one appends would have made, in the same order, and nothing read depends
// on when they were written.
TEST(GivenNameSearch, ShowsTheFirstPageFromMemoryAndWritesTheSameRecordsAfter) {
  TestRoll roll;
  BuildSmiths(&roll, 25);
  RollDatabase database(roll.location, BoxAnswers());
  ResultList list(database, roll.familyDir.c_str());
  const SearchRequest request = SmithJohn();
  list.Show(database.RunSearch(request));
  EXPECT_EQ(ReadFileBytes(roll.familyDir + "history.buf"), "") << "nothing written yet";
  EXPECT_EQ(list.ResultCount(), 12);
  ASSERT_EQ(list.RowCount(), 10);
  EXPECT_STREQ(list.Row(0).nameText, "JOHN1");
  EXPECT_TRUE(list.HasNextPage());
  EXPECT_FALSE(list.FinishPendingWrites());

  // What appending each match in slot order makes.
  std::string expected;
  for (int slot = 0; slot < 25; ++slot) {
    database.ReadSlot(slot);
    if (std::string(database.CurrentName()).rfind("JOHN", 0) != 0) continue;
    unsigned char record[kFilterRecordSize];
    EncodeFilterRecord(record, database.LineOffset(), database.CurrentName(), nullptr);
    expected.append(reinterpret_cast<char*>(record), sizeof record);
  }
  ASSERT_EQ(expected.size(), 12u * kFilterRecordSize);
  EXPECT_TRUE(ReadFileBytes(roll.familyDir + "history.buf") == expected);

  // A page turn before the write writes first, and reads the file.
  list.Show(database.RunSearch(request));
  list.NextPage();
  EXPECT_TRUE(ReadFileBytes(roll.familyDir + "history.buf") == expected);
  ASSERT_EQ(list.RowCount(), 2);
  EXPECT_STREQ(list.Row(1).nameText, "JOHN9");
}

// The matches after the first page are read only when they are written: a name file cut short in
// between loses them, and the list is then what the file holds, told as a record lost on the way.
TEST(GivenNameSearch, MatchesThatCannotBeReadWhenTheyAreWrittenAreTold) {
  TestRoll roll;
  BuildSmiths(&roll, 3000);
  RollDatabase database(roll.location, BoxAnswers());
  ResultList list(database, roll.familyDir.c_str());
  const SearchRequest request = SmithJohn();
  list.Show(database.RunSearch(request));
  ASSERT_EQ(list.ResultCount(), 1500);
  ASSERT_EQ(list.RowCount(), 10);

  std::error_code error;
  std::filesystem::resize_file(roll.dataDir + kNameFileName,
                               static_cast<std::uintmax_t>(database.SlotSize()) * 100, error);
  // Windows refuses to cut a file another handle holds open.
  if (error) GTEST_SKIP() << "the name file cannot be cut while open: " << error.message();
  // The roll keeps each surname's names in order: the JOHNs are its first 1,500 slots.
  EXPECT_TRUE(list.FinishPendingWrites());
  EXPECT_EQ(list.ResultCount(), 100);
  EXPECT_EQ(ReadFileBytes(roll.familyDir + "history.buf").size(), 100u * kFilterRecordSize);
  const std::vector<std::string> notices = list.TakeNotices();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_NE(notices[0].find("The list of results is incomplete."), std::string::npos) << notices[0];
}

// A list destroyed before its records were written (the viewer closed right after a search) still
// leaves every record in the file, read while the list was whole.
TEST(GivenNameSearch, AListDestroyedBeforeItsWritesStillWritesEveryRecord) {
  TestRoll roll;
  BuildSmiths(&roll, 300);
  RollDatabase database(roll.location, BoxAnswers());
  const SearchRequest request = SmithJohn();
  {
    ResultList list(database, roll.familyDir.c_str());
    list.Show(database.RunSearch(request));
    ASSERT_EQ(list.ResultCount(), 150);
  }
  EXPECT_EQ(ReadFileBytes(roll.familyDir + "history.buf").size(), 150u * kFilterRecordSize);
}
