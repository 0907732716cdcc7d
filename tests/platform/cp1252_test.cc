#include "platform/cp1252.h"

#include <gtest/gtest.h>

TEST(Cp1252, EveryByteSurvivesTheRoundTripThroughUtf8) {
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  std::string back;
  std::size_t at = 0;
  ASSERT_TRUE(Utf8ToCp1252(Cp1252ToUtf8(all), &back, &at)) << at;
  EXPECT_EQ(back, all);
}

TEST(Cp1252, MapsTheHighControlsToTheirCharacters) {
  EXPECT_EQ(Cp1252ToUtf8("\x80"), "\xE2\x82\xAC");       // euro sign
  EXPECT_EQ(Cp1252ToUtf8("\x92"), "\xE2\x80\x99");       // right single quote
  EXPECT_EQ(Cp1252ToUtf8("\xE9"), "\xC3\xA9");           // e acute
  EXPECT_EQ(Cp1252ToUtf8("\x81"), "\xC2\x81");           // undefined: same code point
  EXPECT_EQ(UnicodeToCp1252(U'\u0160'), 0x8A);
  EXPECT_EQ(UnicodeToCp1252(U'\u4E00'), -1);
}

TEST(Cp1252, RefusesWhatItCannotRepresentAndSaysWhere) {
  struct Case {
    std::string utf8;
    std::size_t offset;
  } cases[] = {
      {"ab\xE4\xB8\x80", 2},   // a CJK character
      {"abc\xC3", 3},          // truncated sequence
      {"\xC0\xAF", 0},         // overlong encoding
      {"ok\xED\xA0\x80", 2},   // surrogate
  };
  for (const Case& c : cases) {
    std::string out;
    std::size_t at = 99;
    EXPECT_FALSE(Utf8ToCp1252(c.utf8, &out, &at)) << c.utf8;
    EXPECT_EQ(at, c.offset) << c.utf8;
  }
}
