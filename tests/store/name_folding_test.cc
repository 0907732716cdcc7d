#include "store/name_folding.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Fold(std::string_view text) {
  char out[kMaxFoldedLetters];
  return std::string(out, FoldSurname(text, out, kMaxFoldedLetters));
}

}  // namespace

TEST(FoldSurname, FoldsEachAccentedLetterInBothCasesToItsPlainLetter) {
  const std::pair<const char*, const char*> cases[] = {
      {"\xC0\xC1\xC2\xC3\xC4\xC5\xE0\xE1\xE2\xE3\xE4\xE5", "AAAAAAAAAAAA"},
      {"\xC7\xE7\xD1\xF1", "CCNN"},
      {"\xC8\xC9\xCA\xCB\xE8\xE9\xEA\xEB", "EEEEEEEE"},
      {"\xCC\xCD\xCE\xCF\xEC\xED\xEE\xEF", "IIIIIIII"},
      {"\xD2\xD3\xD4\xD5\xD6\xD8\xF2\xF3\xF4\xF5\xF6\xF8", "OOOOOOOOOOOO"},
      {"\xD9\xDA\xDB\xDC\xF9\xFA\xFB\xFC", "UUUUUUUU"},
      {"\xDD\xFD\x9F\xFF", "YYYY"},
      {"\x8A\x9A\x8E\x9E", "SSZZ"},
      // Two sounds, two letters; eth as the D it is transcribed with.
      {"\xC6\xE6\x8C\x9C\xDF\xDE\xFE\xD0\xF0", "AEAEOEOESSTHTHDD"},
      {"M\xFCLLER", "MULLER"},  // a key keeps the lower-case ü it was typed with
      {"smith", "SMITH"},
  };
  for (const auto& [text, letters] : cases) EXPECT_EQ(Fold(text), letters) << text;
}

TEST(FoldSurname, DropsWhatIsNotALetter) {
  EXPECT_EQ(Fold("O'Brien-Smith 2d"), "OBRIENSMITHD");
  EXPECT_EQ(Fold("SMITH                 "), "SMITH");
  EXPECT_EQ(Fold("\xD7\xF7\x80\xA9\xB5\x83"), "");  // × ÷ € © µ ƒ
  for (int byte = 0; byte < 256; ++byte) {
    const char c = static_cast<char>(byte);
    const std::string letters = Fold(std::string_view(&c, 1));
    EXPECT_LE(letters.size(), 2u) << byte;
    for (const char letter : letters) EXPECT_TRUE(letter >= 'A' && letter <= 'Z') << byte;
  }
}

TEST(FoldSurname, WritesNoMoreThanItsCapacity) {
  char out[6] = {'-', '-', '-', '-', '-', '-'};
  EXPECT_EQ(FoldSurname("\xC6\xC6\xC6", out, 3), 3);  // the third letter is half of an Æ
  EXPECT_EQ(std::string(out, 6), "AEA---");
  EXPECT_EQ(FoldSurname("abc", out, 0), 0);
  EXPECT_EQ(out[0], 'A');
  const std::string longest(256, '\xDF');
  char all[kMaxFoldedLetters];
  EXPECT_EQ(FoldSurname(longest, all, kMaxFoldedLetters), kMaxFoldedLetters);
}

TEST(KeySurname, DropsOnlyThePadding) {
  EXPECT_EQ(KeySurname("SMITH                 "), "SMITH");
  EXPECT_EQ(KeySurname(" SMITH                "), " SMITH");
  EXPECT_EQ(KeySurname("VAN BUREN             "), "VAN BUREN");
  EXPECT_EQ(KeySurname("ABCDEFGHIJKLMNOPQ"), "ABCDEFGHIJKLMNOPQ");
  EXPECT_EQ(KeySurname("                      "), "");
}
