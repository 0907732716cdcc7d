#include "ui/row_fields.h"

#include "ui/row_words.h"

#include <cstring>
#include <string>

#include <gtest/gtest.h>

namespace {

struct SplitCase {
  const char* text;
  int count;
  const char* fields[3];
};

TEST(RowFieldsTest, SplitsAtTabRunsLikeStrtok) {
  const SplitCase cases[] = {
      {"ABBOTT\tJOHN\tB,5 IL INF", 3, {"ABBOTT", "JOHN", "B,5 IL INF"}},
      // An empty name text: the summary moves into the second column.
      {"BAKER\t\tC,5 IL INF", 2, {"BAKER", "C,5 IL INF", ""}},
      {"\t\tLEADING\tX", 2, {"LEADING", "X", ""}},
      {"ONLY", 1, {"ONLY", "", ""}},
      {"", 0, {"", "", ""}},
      {"\t\t\t", 0, {"", "", ""}},
      // A fourth field is never shown.
      {"A\tB\tC\tD", 3, {"A", "B", "C"}},
      {"A\tB\t", 2, {"A", "B", ""}},
  };
  for (const SplitCase& c : cases) {
    const RowFields f = SplitRowText(c.text, 500);
    EXPECT_EQ(f.count, c.count) << c.text;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(f.field[i], c.fields[i]) << c.text << " field " << i;
  }
}

TEST(RowFieldsTest, NeverReadsPastTheBuffer) {
  char buffer[8];
  std::memset(buffer, 'X', sizeof buffer);  // no terminator anywhere
  buffer[2] = '\t';
  const RowFields f = SplitRowText(buffer, sizeof buffer);
  ASSERT_EQ(f.count, 2);
  EXPECT_EQ(f.field[0], "XX");
  EXPECT_EQ(f.field[1], "XXXXX");
  EXPECT_EQ(SplitRowText(nullptr, 10).count, 0);
}

TEST(RowFieldsTest, MoreInfoCaptionTrimsAndJoins) {
  const std::pair<const char*, const char*> cases[] = {
      {"ABBOTT\tJOHN\tB,5 IL INF", "ABBOTT, JOHN"},
      {"CARTER  \tWILLIAM   \tD", "CARTER, WILLIAM"},
      // No second field: ", " is added and its blank trimmed away again.
      {"ABBOTT", "ABBOTT,"},
      // An empty second field takes the summary.
      {"BAKER\t\tC,5 IL INF", "BAKER, C,5 IL INF"},
      // Leading blanks stay; every kind of trailing white space goes.
      {"  ABBOTT \r\n\tJOHN \v\f", "  ABBOTT, JOHN"},
  };
  for (const auto& [row, caption] : cases) EXPECT_EQ(MoreInfoCaption(row, 500), caption) << row;
}

TEST(RowWordsTest, LeavesOutWhatTheEntryDoesNotHaveAndKeepsAnUnknownUnitAsWritten) {
  SoldierEntry entry;
  entry.fields[kUnitField] = "99 ZZ INF";
  entry.fields[kRankOutField] = "SGT";
  EXPECT_EQ(RowInWords(entry), "99 ZZ INF; rank out SGT");
  entry.fields[kCompanyField] = "K";
  entry.fields[kRankInField] = "2D LIEUT";
  entry.fields[kSideField] = "C";
  EXPECT_EQ(RowInWords(entry), "Company K; 99 ZZ INF (Confederate); rank in 2D LIEUT, rank out SGT");
  EXPECT_EQ(RowInWords(SoldierEntry()), "");
}

}  // namespace
