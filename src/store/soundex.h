// American Soundex as the U.S. National Archives codes surnames for its census and passenger
// indexes: the first letter kept, then three digits for the consonants that follow, padded with
// zeros or cut to three.
//
// A code is held as one number, (letter - 'A') * 1000 + digits: W252 is 22252, A000 is 0.
#pragma once

#include <cstdint>
#include <string_view>

using SoundexCode = std::uint16_t;

inline constexpr int kMaxSoundexCodes = 2;

// The code of the letters of `text` (folded as store/name_folding.h says), or -1 when it holds
// no letter.
int SoundexOf(std::string_view text);

// Every code a surname is filed under: its own, and for a surname that begins with one of the
// prefixes Van, Con, De, Di, La or Le followed by at least three more letters, also the code of
// the rest (VanDeusen: V532 and D250). Mc and Mac are not prefixes. Writes the distinct codes to
// `codes` and returns how many: 0 (no letter), 1 or 2.
int SurnameSoundexCodes(std::string_view surname, SoundexCode codes[kMaxSoundexCodes]);

// Writes the four characters of `code` and a NUL ("W252") to `out`.
void FormatSoundex(SoundexCode code, char out[5]);
