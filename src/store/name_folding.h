// Surname text as the roll stores it (Windows-1252 bytes, upper case for a-z only, accents as
// typed) folded to the plain letters A-Z that the sound-alike and similar-spelling matchers
// compare, so that MULLER, MüLLER and MÜLLER are one name to them.
//
// The fold: a-z upper-cased; the accented letters of the code page in both cases to their plain
// letter (À..Å A, Ç C, È..Ë E, Ì..Ï I, Ñ N, Ò..Ö and Ø O, Ù..Ü U, Ý and Ÿ Y, Š S, Ž Z). The
// letters that stand for two sounds become two letters as they are usually transcribed: Æ AE,
// Œ OE, ß SS, Þ TH; Ð becomes D. Every other byte (blanks, apostrophes, hyphens, digits, signs,
// a key's padding) is dropped: none of the matchers' rules codes it.
#pragma once

#include <string_view>

// Every letter of a 256-byte text, each byte folding to at most two letters. The matchers read
// this many letters of a text: all of any key or typed surname.
inline constexpr int kMaxFoldedLetters = 512;

// Writes the folded letters of `text` to `out` (no NUL) and returns how many, at most
// `capacity`; letters past `capacity` are dropped. Bytes of `out` past the letters returned may
// be overwritten, within `capacity`.
int FoldSurname(std::string_view text, char* out, int capacity);

// The surname text of an index key: the key without the blanks that pad it.
std::string_view KeySurname(std::string_view key);
