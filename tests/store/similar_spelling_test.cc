#include "store/similar_spelling.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

// The whole table of the optimal string alignment distance, as the textbook writes it.
int FullDistance(const std::string& a, const std::string& b) {
  std::vector<std::vector<int>> d(a.size() + 1, std::vector<int>(b.size() + 1));
  for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = static_cast<int>(i);
  for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = static_cast<int>(j);
  for (std::size_t i = 1; i <= a.size(); ++i) {
    for (std::size_t j = 1; j <= b.size(); ++j) {
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] != b[j - 1])});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
      }
    }
  }
  return d[a.size()][b.size()];
}

}  // namespace

TEST(BoundedEditDistance, CountsEditsUpToTheBound) {
  struct Case {
    const char* a;
    const char* b;
    int bound;
    int distance;
  } cases[] = {
      {"SMITH", "SMITH", 1, 0},
      {"SMITH", "SMYTH", 1, 1},
      {"SMITH", "SMIHT", 1, 1},
      {"SMITH", "SMITHE", 1, 1},
      {"SMITH", "MITH", 1, 1},
      {"SMITH", "SMYTHE", 1, 2},
      {"SMITH", "SMYTHE", 2, 2},
      {"SMITH", "SCHMIDT", 2, 3},
      {"SMITH", "SCHMIDT", 4, 4},
      {"CA", "ABC", 4, 3},  // each letter edited once: not 2, as a free reordering would give
      {"", "", 1, 0},
      {"", "AB", 2, 2},
      {"AB", "", 1, 2},
      {"ABCDEFGH", "HGFEDCBA", 2, 3},
      {"MCDONALD", "MACDONALD", 2, 1},
      {"ABC", "ABC", 9, 0},  // the bound is capped, the answer is not changed by it
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BoundedEditDistance(c.a, c.b, c.bound), c.distance) << c.a << " " << c.b << " " << c.bound;
  }
}

TEST(BoundedEditDistance, AgreesWithTheWholeTable) {
  std::mt19937 random(15);
  const std::string letters = "ABCR";
  for (int round = 0; round < 20000; ++round) {
    std::string a(random() % 9, ' ');
    std::string b(random() % 9, ' ');
    for (char& c : a) c = letters[random() % letters.size()];
    for (char& c : b) c = letters[random() % letters.size()];
    const int bound = static_cast<int>(random() % (kMaxEditBound + 1));
    const int expected = std::min(FullDistance(a, b), bound + 1);
    ASSERT_EQ(BoundedEditDistance(a, b, bound), expected) << a << " " << b << " " << bound;
  }
}

TEST(SimilarSpelling, AllowsOneEditUpToFiveLettersAndTwoAbove) {
  EXPECT_EQ(AllowedEdits(1), 1);
  EXPECT_EQ(AllowedEdits(5), 1);
  EXPECT_EQ(AllowedEdits(6), 2);
  struct Case {
    const char* typed;
    const char* key;
    int distance;  // -1: not similar
  } cases[] = {
      {"SMITH", "SMITH                 ", 0},     {"SMITH", "SMYTH                 ", 1},
      {"SMITH", "SMIHT                 ", 1},     {"SMITH", "SMYTHE                ", -1},
      {"Smith", "SMITHE                ", 1},     {"SMYTHE", "SMITH                 ", 2},
      {"MULLER", "M\xFCLLER                ", 0}, {"MULLER", "MUELLER               ", 1},
      {"MCDONALD", "MCDANIEL              ", -1}, {"MCDONALD", "MACDONNALD            ", 2},
      {"O'BRIEN", "OBRIEN                ", 0},   {"A", "B                     ", 1},
      {"A", "--                    ", -1},   // a key without a letter
      {"--", "--                    ", -1},  // a typed surname without one
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SimilarSpelling(c.typed).Distance(c.key), c.distance) << c.typed << " " << c.key;
  }
}
