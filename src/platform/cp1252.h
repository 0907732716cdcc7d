// Windows-1252, the code page of every text on the roll disk, and its conversion to and from
// Unicode. The engine keeps bytes; front ends convert at their boundary with these functions.
// The five bytes the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the code
// point of the same value, so every byte string survives a round trip.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

char32_t Cp1252ToUnicode(unsigned char byte);

// The byte for `codePoint`, or -1 when Windows-1252 has none.
int UnicodeToCp1252(char32_t codePoint);

std::string Cp1252ToUtf8(std::string_view bytes);

// Converts UTF-8 text to Windows-1252. On failure returns false and sets *errorOffset to the
// byte offset of the first malformed sequence or unrepresentable character.
bool Utf8ToCp1252(std::string_view utf8, std::string* out, std::size_t* errorOffset);

// Decodes the UTF-8 character at `pos` of `s` into *codePoint: its length in bytes, or 0 when the
// bytes there are not a well-formed character (overlong forms and surrogates included).
std::size_t DecodeUtf8(std::string_view s, std::size_t pos, char32_t* codePoint);

// Appends the UTF-8 form of `codePoint` to `out`.
void AppendUtf8(char32_t codePoint, std::string* out);
