// Daitch–Mokotoff Soundex: six digits for the sounds of a surname, coded by letter groups
// (CH, SCH, TSCH ...) rather than single letters, with a group's code depending on whether it
// starts the name, comes before a vowel, or stands elsewhere. Groups that are read two ways
// (C, CH, CK, J, RS, RZ) give the name one code for each reading, so a name has several codes;
// two names sound alike when any code of one equals any code of the other.
//
// A code is held as the number its six digits spell: 087930 is 87930.
#pragma once

#include <cstdint>
#include <string_view>

using DmCode = std::uint32_t;

// The most codes a name is given, and the most readings of it followed at once. Surnames have
// a few codes (of the 2,530 surnames of the Medal of Honor and battle-commander lists the most
// is 8, for Cicchetti). Only a text made to branch at nearly every letter (CJCJCJ...) reaches
// this bound; its readings past the bound are not followed, so the codes it is given are true
// codes of it, but not all of them.
inline constexpr int kMaxDmCodes = 32;

// Writes the distinct codes of the letters of `surname` (folded as store/name_folding.h says)
// to `codes` in ascending order and returns how many: 0 when it holds no letter.
int DaitchMokotoffCodes(std::string_view surname, DmCode codes[kMaxDmCodes]);

// The smallest code found in both ascending lists, or -1 when they share none.
std::int32_t CommonDmCode(const DmCode* a, int aCount, const DmCode* b, int bCount);

// Writes the six digits of `code` and a NUL ("087930") to `out`.
void FormatDmCode(DmCode code, char out[7]);
