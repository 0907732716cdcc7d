// The coding chart and rules are Gary Mokotoff's and Randy Daitch's as published by Avotaynu
// ("Soundexing and Genealogy", https://www.avotaynu.com/soundex.htm) and JewishGen ("Soundex
// Coding", https://www.jewishgen.org/InfoFiles/soundex.html):
//   - a name is coded to six digits, padded with zeros;
//   - the longest letter group of the chart that starts at a letter is coded as one sound
//     (Mintz is M-I-N-TZ, 664000);
//   - a group has a code for the start of the name, one for before a vowel (the next group is
//     A, E, I, O, U, Y or one of their pairs) and one for any other place; vowels are coded only
//     at the start, or as a pair before a vowel (Breuer 791900 but Freud 793000), H only at the
//     start or before a vowel (Haber 579000);
//   - a group coded with the same digit as the group just before it is not coded again
//     (Cherkassy 595400), except MN and NM, whose letters are coded apart (Kleinman 586660);
//   - a group read two ways is coded both ways (Chernowitz 596740 and 496740).
// The chart's Polish letters Ą, Ę and Ţ are not in the roll's code page and are left out.
//
// J is read either as the vowel Y or as the consonant of "jam". The group before it is coded
// for a following vowel only on the branch where J is the vowel, and for a consonant only on
// the branch where J is the consonant, so every code reads each letter one way throughout.
#include "store/daitch_mokotoff.h"

#include <algorithm>
#include <array>

#include "store/name_folding.h"

namespace {

constexpr int kCodeDigits = 6;

// One reading of a letter group; "" where the chart says "not coded".
struct Reading {
  const char* atStart = nullptr;
  const char* beforeVowel = nullptr;
  const char* elsewhere = nullptr;
};

struct Group {
  constexpr Group(const char* groupLetters, Reading first, Reading second = {})
      : letters(groupLetters), reading(first), other(second) {}

  const char* letters;
  Reading reading;
  Reading other;  // the second reading of a group read two ways; atStart is null otherwise
};

constexpr Reading kSingleVowel{"0", "", ""};  // A, E, I, O, U
constexpr Reading kVowelPair{"0", "1", ""};   // AI, EY, OJ, UI ...

constexpr Group kChart[] = {
    {"AI", kVowelPair},
    {"AJ", kVowelPair},
    {"AY", kVowelPair},
    {"AU", {"0", "7", ""}},
    {"A", kSingleVowel},
    {"B", {"7", "7", "7"}},
    {"CHS", {"5", "54", "54"}},
    {"CH", {"5", "5", "5"}, {"4", "4", "4"}},
    {"CK", {"5", "5", "5"}, {"45", "45", "45"}},
    {"CZ", {"4", "4", "4"}},
    {"CS", {"4", "4", "4"}},
    {"CSZ", {"4", "4", "4"}},
    {"CZS", {"4", "4", "4"}},
    {"C", {"5", "5", "5"}, {"4", "4", "4"}},
    {"DRZ", {"4", "4", "4"}},
    {"DRS", {"4", "4", "4"}},
    {"DS", {"4", "4", "4"}},
    {"DSH", {"4", "4", "4"}},
    {"DSZ", {"4", "4", "4"}},
    {"DZ", {"4", "4", "4"}},
    {"DZH", {"4", "4", "4"}},
    {"DZS", {"4", "4", "4"}},
    {"D", {"3", "3", "3"}},
    {"DT", {"3", "3", "3"}},
    {"EI", kVowelPair},
    {"EJ", kVowelPair},
    {"EY", kVowelPair},
    {"EU", {"1", "1", ""}},
    {"E", kSingleVowel},
    {"FB", {"7", "7", "7"}},
    {"F", {"7", "7", "7"}},
    {"G", {"5", "5", "5"}},
    {"H", {"5", "5", ""}},
    {"IA", {"1", "", ""}},
    {"IE", {"1", "", ""}},
    {"IO", {"1", "", ""}},
    {"IU", {"1", "", ""}},
    {"I", kSingleVowel},
    {"J", {"1", "", ""}, {"4", "4", "4"}},
    {"KS", {"5", "54", "54"}},
    {"KH", {"5", "5", "5"}},
    {"K", {"5", "5", "5"}},
    {"L", {"8", "8", "8"}},
    {"MN", {"66", "66", "66"}},
    {"M", {"6", "6", "6"}},
    {"NM", {"66", "66", "66"}},
    {"N", {"6", "6", "6"}},
    {"OI", kVowelPair},
    {"OJ", kVowelPair},
    {"OY", kVowelPair},
    {"O", kSingleVowel},
    {"P", {"7", "7", "7"}},
    {"PF", {"7", "7", "7"}},
    {"PH", {"7", "7", "7"}},
    {"Q", {"5", "5", "5"}},
    {"RZ", {"94", "94", "94"}, {"4", "4", "4"}},
    {"RS", {"94", "94", "94"}, {"4", "4", "4"}},
    {"R", {"9", "9", "9"}},
    {"SCHTSCH", {"2", "4", "4"}},
    {"SCHTSH", {"2", "4", "4"}},
    {"SCHTCH", {"2", "4", "4"}},
    {"SCH", {"4", "4", "4"}},
    {"SHTCH", {"2", "4", "4"}},
    {"SHCH", {"2", "4", "4"}},
    {"SHTSH", {"2", "4", "4"}},
    {"SHT", {"2", "43", "43"}},
    {"SCHT", {"2", "43", "43"}},
    {"SCHD", {"2", "43", "43"}},
    {"SH", {"4", "4", "4"}},
    {"STCH", {"2", "4", "4"}},
    {"STSCH", {"2", "4", "4"}},
    {"SC", {"2", "4", "4"}},
    {"STRZ", {"2", "4", "4"}},
    {"STRS", {"2", "4", "4"}},
    {"STSH", {"2", "4", "4"}},
    {"ST", {"2", "43", "43"}},
    {"SZCZ", {"2", "4", "4"}},
    {"SZCS", {"2", "4", "4"}},
    {"SZT", {"2", "43", "43"}},
    {"SHD", {"2", "43", "43"}},
    {"SZD", {"2", "43", "43"}},
    {"SD", {"2", "43", "43"}},
    {"SZ", {"4", "4", "4"}},
    {"S", {"4", "4", "4"}},
    {"TCH", {"4", "4", "4"}},
    {"TTCH", {"4", "4", "4"}},
    {"TTSCH", {"4", "4", "4"}},
    {"TH", {"3", "3", "3"}},
    {"TRZ", {"4", "4", "4"}},
    {"TRS", {"4", "4", "4"}},
    {"TSCH", {"4", "4", "4"}},
    {"TSH", {"4", "4", "4"}},
    {"TS", {"4", "4", "4"}},
    {"TTS", {"4", "4", "4"}},
    {"TTSZ", {"4", "4", "4"}},
    {"TC", {"4", "4", "4"}},
    {"TZ", {"4", "4", "4"}},
    {"TTZ", {"4", "4", "4"}},
    {"TZS", {"4", "4", "4"}},
    {"TSZ", {"4", "4", "4"}},
    {"T", {"3", "3", "3"}},
    {"UI", kVowelPair},
    {"UJ", kVowelPair},
    {"UY", kVowelPair},
    {"U", kSingleVowel},
    {"V", {"7", "7", "7"}},
    {"W", {"7", "7", "7"}},
    {"X", {"5", "54", "54"}},
    {"Y", {"1", "", ""}},
    {"ZDZ", {"2", "4", "4"}},
    {"ZDZH", {"2", "4", "4"}},
    {"ZHDZH", {"2", "4", "4"}},
    {"ZD", {"2", "43", "43"}},
    {"ZHD", {"2", "43", "43"}},
    {"ZH", {"4", "4", "4"}},
    {"ZS", {"4", "4", "4"}},
    {"ZSCH", {"4", "4", "4"}},
    {"ZSH", {"4", "4", "4"}},
    {"Z", {"4", "4", "4"}},
};
constexpr int kGroupCount = static_cast<int>(std::size(kChart));

// The chart's groups by first letter, longest first, so the first that fits is the longest.
struct GroupsByLetter {
  std::array<std::uint8_t, kGroupCount> order{};
  std::array<std::uint8_t, kGroupCount> length{};  // of kChart[order[i]].letters
  std::array<std::uint8_t, 27> begin{};  // groups of letter L: order[begin[L - 'A'] .. begin[L - 'A' + 1])
};

constexpr int Length(const char* letters) {
  int length = 0;
  while (letters[length] != '\0') ++length;
  return length;
}

constexpr GroupsByLetter SortChart() {
  GroupsByLetter byLetter;
  for (int i = 0; i < kGroupCount; ++i) byLetter.order[i] = static_cast<std::uint8_t>(i);
  std::sort(byLetter.order.begin(), byLetter.order.end(), [](std::uint8_t a, std::uint8_t b) {
    if (kChart[a].letters[0] != kChart[b].letters[0]) return kChart[a].letters[0] < kChart[b].letters[0];
    if (Length(kChart[a].letters) != Length(kChart[b].letters)) {
      return Length(kChart[a].letters) > Length(kChart[b].letters);
    }
    return a < b;
  });
  for (int i = 0; i < kGroupCount; ++i) {
    byLetter.length[i] = static_cast<std::uint8_t>(Length(kChart[byLetter.order[i]].letters));
  }
  int next = 0;
  for (int letter = 0; letter <= 26; ++letter) {
    while (next < kGroupCount && kChart[byLetter.order[next]].letters[0] - 'A' < letter) ++next;
    byLetter.begin[letter] = static_cast<std::uint8_t>(next);
  }
  return byLetter;
}

constexpr GroupsByLetter kGroups = SortChart();

constexpr bool EveryLetterEndsItsList() {
  for (int letter = 0; letter < 26; ++letter) {
    const int last = kGroups.begin[letter + 1] - 1;
    if (last < kGroups.begin[letter] || kGroups.length[last] != 1) return false;
  }
  return kGroups.begin[26] == kGroupCount;
}
static_assert(EveryLetterEndsItsList(), "GroupAt relies on a group of one letter for every letter");

// The longest group of the chart at letters[at..count); every letter A-Z is a group itself, the
// last of its letter's list.
const Group* GroupAt(const char* letters, int at, int count, int* length) {
  const int letter = letters[at] - 'A';
  const int last = kGroups.begin[letter + 1] - 1;
  int i = kGroups.begin[letter];
  for (; i < last; ++i) {
    const int size = kGroups.length[i];
    if (size > count - at) continue;
    const char* group = kChart[kGroups.order[i]].letters;
    int k = 1;
    while (k < size && group[k] == letters[at + k]) ++k;
    if (k == size) break;
  }
  *length = kGroups.length[i];
  return &kChart[kGroups.order[i]];
}

enum Sound : std::uint8_t { kEither = 0, kVowel = 1, kConsonant = 2 };

// A reading is a vowel's when it codes the start of a name as 0 or 1.
Sound SoundOf(const Reading& reading) { return reading.atStart[0] <= '1' ? kVowel : kConsonant; }

// One way of reading the name so far.
struct Branch {
  DmCode code;
  std::uint8_t digits;
  char lastDigit;  // the last digit coded for the group before; 0 when that group was not coded
  Sound next;      // how this branch has already read the group that comes next

  bool operator==(const Branch&) const = default;
};

constexpr int kMaxBranches = kMaxDmCodes;

class Coder {
 public:
  explicit Coder(DmCode* out) : codes(out) {}

  int Code(const char* letters, int count) {
    int branchCount = 1;
    branches[0] = Branch{0, 0, 0, kEither};
    int groupLength = 0;
    const Group* group = GroupAt(letters, 0, count, &groupLength);
    for (int at = 0; at < count && branchCount > 0;) {
      const int nextAt = at + groupLength;
      int nextLength = 0;
      const Group* next = nextAt < count ? GroupAt(letters, nextAt, count, &nextLength) : nullptr;
      nextCount = 0;
      for (int b = 0; b < branchCount; ++b) {
        for (const Reading* reading : {&group->reading, &group->other}) {
          if (reading->atStart == nullptr) continue;
          if (branches[b].next != kEither && SoundOf(*reading) != branches[b].next) continue;
          if (at == 0) {
            Extend(branches[b], reading->atStart, kEither);
          } else if (next == nullptr) {
            Extend(branches[b], reading->elsewhere, kEither);
          } else {
            // Code this group once for each way the next group can be read.
            const Sound first = SoundOf(next->reading);
            Extend(branches[b], first == kVowel ? reading->beforeVowel : reading->elsewhere, first);
            if (next->other.atStart != nullptr && SoundOf(next->other) != first) {
              Extend(branches[b], first == kVowel ? reading->elsewhere : reading->beforeVowel,
                     first == kVowel ? kConsonant : kVowel);
            }
          }
        }
      }
      std::swap(branches, nextBranches);
      branchCount = nextCount;
      at = nextAt;
      group = next;
      groupLength = nextLength;
    }
    for (int b = 0; b < branchCount; ++b) {
      DmCode code = branches[b].code;
      for (int d = branches[b].digits; d < kCodeDigits; ++d) code *= 10;
      Keep(code);
    }
    return codeCount;
  }

 private:
  // Adds `branch` coded with `digits` to the next branches, or its code to the finished ones.
  void Extend(Branch branch, const char* digits, Sound next) {
    char last = 0;
    for (int i = 0; digits[i] != '\0'; ++i) {
      last = digits[i];
      if (i == 0 && last == branch.lastDigit) continue;
      if (branch.digits == kCodeDigits) continue;
      branch.code = branch.code * 10 + static_cast<DmCode>(last - '0');
      ++branch.digits;
    }
    branch.lastDigit = last;
    branch.next = next;
    if (branch.digits == kCodeDigits) {
      Keep(branch.code);
      return;
    }
    if (std::find(nextBranches, nextBranches + nextCount, branch) != nextBranches + nextCount) return;
    if (nextCount < kMaxBranches) nextBranches[nextCount++] = branch;
  }

  // Adds `code` to the ascending list of codes unless it is there or the list is full.
  void Keep(DmCode code) {
    DmCode* end = codes + codeCount;
    DmCode* at = std::lower_bound(codes, end, code);
    if (at != end && *at == code) return;
    if (codeCount == kMaxDmCodes) return;
    std::copy_backward(at, end, end + 1);
    *at = code;
    ++codeCount;
  }

  DmCode* codes;
  int codeCount = 0;
  Branch branchStore[2][kMaxBranches];
  Branch* branches = branchStore[0];
  Branch* nextBranches = branchStore[1];
  int nextCount = 0;
};

}  // namespace

int DaitchMokotoffCodes(std::string_view surname, DmCode codes[kMaxDmCodes]) {
  char letters[kMaxFoldedLetters];
  const int count = FoldSurname(surname, letters, kMaxFoldedLetters);
  if (count == 0) return 0;
  Coder coder(codes);
  return coder.Code(letters, count);
}

std::int32_t CommonDmCode(const DmCode* a, int aCount, const DmCode* b, int bCount) {
  int i = 0;
  int j = 0;
  while (i < aCount && j < bCount) {
    if (a[i] == b[j]) return static_cast<std::int32_t>(a[i]);
    if (a[i] < b[j]) {
      ++i;
    } else {
      ++j;
    }
  }
  return -1;
}

void FormatDmCode(DmCode code, char out[7]) {
  for (int i = kCodeDigits - 1; i >= 0; --i) {
    out[i] = static_cast<char>('0' + code % 10);
    code /= 10;
  }
  out[kCodeDigits] = '\0';
}
