#include "store/daitch_mokotoff.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Codes(std::string_view surname) {
  DmCode codes[kMaxDmCodes];
  const int count = DaitchMokotoffCodes(surname, codes);
  std::vector<std::string> texts;
  for (int i = 0; i < count; ++i) {
    char text[7];
    FormatDmCode(codes[i], text);
    texts.push_back(text);
  }
  return texts;
}

}  // namespace

TEST(DaitchMokotoff, CodesThePublishedExamplesWithEveryAlternative) {
  // The examples of Avotaynu's and JewishGen's descriptions of the system.
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"Alpert", {"087930"}},
      {"Augsburg", {"054795"}},
      {"Breuer", {"791900"}},
      {"Freud", {"793000"}},
      {"Haber", {"579000"}},
      {"Halberstadt", {"587433", "587943"}},
      {"Mannheim", {"665600"}},
      {"Mintz", {"664000"}},
      {"Topf", {"370000"}},
      {"Chernowitz", {"496740", "596740"}},
      {"Cherkassy", {"495400", "595400"}},
      {"Kleinman", {"586660"}},
      {"Berlin", {"798600"}},
      {"Ceniow", {"467000", "567000"}},
      {"Tsenyuv", {"467000"}},
      {"Holubica", {"587400", "587500"}},
      {"Golubitsa", {"587400"}},
      {"Przemysl", {"746480", "794648"}},
      {"Pshemeshil", {"746480"}},
      {"Rosochowaciec", {"944744", "944745", "944754", "944755", "945744", "945745", "945754", "945755"}},
      {"Rosokhovatsets", {"945744"}},
      {"Peters", {"734000", "739400"}},
  };
  for (const auto& [name, codes] : cases) EXPECT_EQ(Codes(name), codes) << name;
}

TEST(DaitchMokotoff, ReadsJOneWayThroughEachCode) {
  // Worked through the chart by hand. J is a vowel (1 at the start, else not coded) or a
  // consonant (4); the C before it is coded for what follows on that branch only.
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"Jackson", {"145460", "154600", "445460", "454600"}},
      {"CJC", {"400000", "440000", "450000", "540000", "545000", "550000"}},
      {"BESST", {"743000"}},  // SS and then T: same digits side by side are coded once
  };
  for (const auto& [name, codes] : cases) EXPECT_EQ(Codes(name), codes) << name;
}

TEST(DaitchMokotoff, CodesLettersOnlyWithAccentsFolded) {
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"Nowy Targ", {"673950"}}, {"O'Brien", {"079600"}},
      {"M\xFCLLER", {"689000"}}, {"MULLER                ", {"689000"}},
      {"MUELLER", {"689000"}},   {"' -12", {}},
  };
  for (const auto& [name, codes] : cases) EXPECT_EQ(Codes(name), codes) << name;
}

TEST(DaitchMokotoff, BoundsTheCodesOfATextThatBranchesAtEveryLetter) {
  std::string text;
  for (int i = 0; i < 128; ++i) text += "CJ";
  DmCode codes[kMaxDmCodes + 1];
  codes[kMaxDmCodes] = 1234567;
  const int count = DaitchMokotoffCodes(text, codes);
  EXPECT_EQ(count, kMaxDmCodes);
  EXPECT_EQ(codes[kMaxDmCodes], 1234567u);
  for (int i = 0; i < count; ++i) {
    EXPECT_LT(codes[i], 1000000u) << i;
    if (i > 0) {
      EXPECT_LT(codes[i - 1], codes[i]) << i;
    }
  }
}

TEST(CommonDmCode, FindsTheSmallestSharedCode) {
  const DmCode jackson[] = {145460, 154600, 445460, 454600};
  const DmCode other[] = {154600, 454600};
  const DmCode none[] = {100000, 999999};
  EXPECT_EQ(CommonDmCode(jackson, 4, other, 2), 154600);
  EXPECT_EQ(CommonDmCode(other, 2, jackson, 4), 154600);
  EXPECT_EQ(CommonDmCode(jackson, 4, none, 2), -1);
  EXPECT_EQ(CommonDmCode(jackson, 4, none, 0), -1);
}
