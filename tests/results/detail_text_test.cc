#include "results/detail_text.h"

#include <gtest/gtest.h>

#include <cstring>

#include "results/result_list.h"

namespace {

const std::string kFF = "\xFF";
const std::string kLabel6 = "National Archives Microfilm Box, Roll, and Record:";
const std::string kLabel9 = "Fought for: (U = Union, C = Confederate)";

std::string Line(const std::vector<std::string>& fields) {
  std::string line;
  for (const std::string& f : fields) line += f + kFF;
  return line + "\n";
}

std::string Compose(const std::string& line, std::size_t size = kDetailTextSize, int number = 1) {
  std::vector<char> out(size + 8, '#');
  ComposeDetailText(line.c_str(), number, out.data(), size);
  EXPECT_EQ(out[size], '#') << "wrote past the buffer";
  return out.data();
}

// The text split at CR LF.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (std::size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2) {
    out.push_back(text.substr(start, at - start));
  }
  out.push_back(text.substr(start));
  return out;
}

std::vector<std::string> TenFields() {
  std::vector<std::string> f;
  for (int i = 0; i < 10; ++i) f.push_back("F" + std::to_string(i));
  return f;
}

}  // namespace

TEST(DetailText, LaysOutTheWorkedExample) {
  const std::vector<std::string> expected = {
      "Middle Initial: ", "F0", "", "Company: ", "F1", "", "Unit: ", "F2", "", "Rank In: ", "F3", "",
      "Rank Out: ", "F4", "", "Misc: ", "F5", "", kLabel6, "F6, F7, F8", "", kLabel9, "F9"};
  EXPECT_EQ(Lines(Compose(Line(TenFields()))), expected);
}

TEST(DetailText, LeavesOutFieldsThatBeginWithASpace) {
  auto fields = TenFields();
  fields[0] = " F0";
  auto lines = Lines(Compose(Line(fields)));
  EXPECT_EQ(lines[0], "Company: ");

  fields = TenFields();
  fields[8] = " F8";
  lines = Lines(Compose(Line(fields)));
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 18, lines.end()),
            (std::vector<std::string>{kLabel6, "F6, F7", "", kLabel9, "F9"}));

  fields = TenFields();
  fields[6] = " F6";
  lines = Lines(Compose(Line(fields)));
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 15, lines.end()),
            (std::vector<std::string>{"Misc: ", "F5", "", ", F7, F8", "", kLabel9, "F9"}));

  EXPECT_EQ(Compose(Line(std::vector<std::string>(10, " x"))), "");
}

TEST(DetailText, AnEmptyFieldKeepsItsLabel) {
  auto fields = TenFields();
  fields[5] = "";
  const auto lines = Lines(Compose(Line(fields)));
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 15, lines.begin() + 19),
            (std::vector<std::string>{"Misc: ", "", "", kLabel6}));
}

TEST(DetailText, WrapsOnlyAtASpaceAfterSixtyCharacters) {
  const std::string sixty(60, 'a'), fiftyNine(59, 'b'), twenty(20, 'c');
  EXPECT_EQ(Lines(Compose(Line({sixty + " " + twenty}))),
            (std::vector<std::string>{"Middle Initial: ", sixty, " " + twenty}));
  EXPECT_EQ(Lines(Compose(Line({fiftyNine + " " + twenty}))),
            (std::vector<std::string>{"Middle Initial: ", fiftyNine + " " + twenty}));

  // A joined field restarts the count at the comma and its space.
  auto fields = TenFields();
  const std::string seventy(70, 'j');
  fields[7] = seventy + " k";
  const auto lines = Lines(Compose(Line(fields)));
  EXPECT_EQ(lines[19], "F6, " + seventy);
  EXPECT_EQ(lines[20], " k, F8");
}

TEST(DetailText, ShortAndUnterminatedLinesEndAfterTheirLastField) {
  EXPECT_EQ(Lines(Compose(Line({"A", "B"}))),
            (std::vector<std::string>{"Middle Initial: ", "A", "", "Company: ", "B"}));
  EXPECT_EQ(Lines(Compose("A" + kFF + "B\n")),
            (std::vector<std::string>{"Middle Initial: ", "A", "", "Company: ", "B"}));
  EXPECT_EQ(Compose(""), "");
  EXPECT_EQ(Compose(Line({"A"}), kDetailTextSize, 2), "");  // no labels for other databases
}

TEST(DetailText, FieldsPastTheLabelTableAreLeftOut) {
  auto fields = TenFields();
  for (int i = 10; i < 40; ++i) fields.push_back("extra");
  const std::string text = Compose(Line(fields));
  EXPECT_EQ(text.find("extra"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 6), "F9\r\n\r\n");
}

TEST(DetailText, IsCutAtItsBuffer) {
  const std::string text = Compose(Line(TenFields()), 40);
  EXPECT_EQ(text.size(), 39u);
  EXPECT_EQ(text, std::string("Middle Initial: \r\nF0\r\n\r\nCompany: \r\nF1\r\n\r\nUnit: ").substr(0, 39));
}

TEST(FieldLabel, HasTwentyPlacesForDatabaseOne) {
  EXPECT_STREQ(FieldLabel(1, 0), "Middle Initial: ");
  EXPECT_STREQ(FieldLabel(1, 7), ",");
  EXPECT_STREQ(FieldLabel(1, 10), "");
  EXPECT_STREQ(FieldLabel(1, 19), "");
  EXPECT_STREQ(FieldLabel(1, 20), "");
  EXPECT_STREQ(FieldLabel(2, 0), "");
  EXPECT_STREQ(FieldLabel(0, 0), "");
}
