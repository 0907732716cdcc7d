// The rules are those of the National Archives' page "The Soundex Indexing System"
// (https://www.archives.gov/research/census/soundex), with its examples:
//   1 B F P V   2 C G J K Q S X Z   3 D T   4 L   5 M N   6 R; A E I O U Y H W are not coded.
//   Letters of the same code side by side are coded once (Pfister P236, Jackson J250), also when
//   the first letter is one of them. Consonants of the same code separated by H or W are coded
//   once (Ashcraft A261); separated by a vowel, twice (Tymczak T522).
//   A surname with a prefix such as Van, Con, De, Di, La or Le is coded with and without it;
//   Mc and Mac are not prefixes.
#include "store/soundex.h"

#include <cstring>

#include "store/name_folding.h"

namespace {

// The digit of each letter A..Z: 0 for the vowels, which separate letters of the same code, and
// '-' for H and W, which do not: the letters on either side of them count as side by side.
constexpr char kLetterDigits[] =
    "0123012-02245"   // A..M
    "501262301-202";  // N..Z
static_assert(sizeof kLetterDigits == 26 + 1);
constexpr int kTransparent = '-' - '0';

constexpr const char* kPrefixes[] = {"VAN", "CON", "DE", "DI", "LA", "LE"};
// A prefix counts only when a name of at least this many letters follows it. The Archives give
// Lee its one code, L000; and Dean, Lane, Vance or Dias are names of their own, not D-ean or
// Van-ce, which would share codes with Ann or Coe.
constexpr int kLettersAfterPrefix = 3;

int Digit(char letter) { return kLetterDigits[letter - 'A'] - '0'; }

int CodeLetters(const char* letters, int count) {
  if (count == 0) return -1;
  int code = (letters[0] - 'A') * 1000;
  int previous = Digit(letters[0]) == kTransparent ? 0 : Digit(letters[0]);
  int weight = 100;
  for (int i = 1; i < count && weight > 0; ++i) {
    const int digit = Digit(letters[i]);
    if (digit == kTransparent) continue;
    if (digit != 0 && digit != previous) {
      code += digit * weight;
      weight /= 10;
    }
    previous = digit;
  }
  return code;
}

int PrefixLength(const char* letters, int count) {
  for (const char* prefix : kPrefixes) {
    const int length = static_cast<int>(std::strlen(prefix));
    if (count >= length + kLettersAfterPrefix && std::memcmp(letters, prefix, length) == 0) return length;
  }
  return 0;
}

}  // namespace

int SoundexOf(std::string_view text) {
  char letters[kMaxFoldedLetters];
  return CodeLetters(letters, FoldSurname(text, letters, kMaxFoldedLetters));
}

int SurnameSoundexCodes(std::string_view surname, SoundexCode codes[kMaxSoundexCodes]) {
  char letters[kMaxFoldedLetters];
  const int count = FoldSurname(surname, letters, kMaxFoldedLetters);
  if (count == 0) return 0;
  codes[0] = static_cast<SoundexCode>(CodeLetters(letters, count));
  const int prefix = PrefixLength(letters, count);
  if (prefix == 0) return 1;
  const auto rest = static_cast<SoundexCode>(CodeLetters(letters + prefix, count - prefix));
  if (rest == codes[0]) return 1;
  codes[1] = rest;
  return 2;
}

void FormatSoundex(SoundexCode code, char out[5]) {
  out[0] = static_cast<char>('A' + code / 1000);
  out[1] = static_cast<char>('0' + code / 100 % 10);
  out[2] = static_cast<char>('0' + code / 10 % 10);
  out[3] = static_cast<char>('0' + code % 10);
  out[4] = '\0';
}
