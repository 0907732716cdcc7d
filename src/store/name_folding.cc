#include "store/name_folding.h"

#include <array>

namespace {

struct Folded {
  char first = 0;  // 0: the byte is not a letter
  char second = 0;
};

constexpr std::array<Folded, 256> MakeFoldTable() {
  std::array<Folded, 256> table{};
  for (int c = 'A'; c <= 'Z'; ++c) {
    table[c] = {static_cast<char>(c), 0};
    table[c + ('a' - 'A')] = {static_cast<char>(c), 0};
  }
  // In the Latin-1 half of the code page a small letter sits 0x20 above its capital.
  const auto both = [&table](int capital, char first, char second = 0) {
    table[capital] = {first, second};
    table[capital + 0x20] = {first, second};
  };
  for (int b = 0xC0; b <= 0xC5; ++b) both(b, 'A');
  both(0xC6, 'A', 'E');
  both(0xC7, 'C');
  for (int b = 0xC8; b <= 0xCB; ++b) both(b, 'E');
  for (int b = 0xCC; b <= 0xCF; ++b) both(b, 'I');
  both(0xD0, 'D');
  both(0xD1, 'N');
  for (int b = 0xD2; b <= 0xD6; ++b) both(b, 'O');  // 0xD7 and 0xF7 are the signs × and ÷
  both(0xD8, 'O');
  for (int b = 0xD9; b <= 0xDC; ++b) both(b, 'U');
  both(0xDD, 'Y');
  both(0xDE, 'T', 'H');
  table[0xDF] = {'S', 'S'};  // ß has no capital here; 0xFF is ÿ
  table[0xFF] = {'Y', 0};
  // The letters Windows-1252 adds in 0x80..0x9F, capital and small 0x10 apart.
  table[0x8A] = table[0x9A] = {'S', 0};
  table[0x8C] = table[0x9C] = {'O', 'E'};
  table[0x8E] = table[0x9E] = {'Z', 0};
  table[0x9F] = {'Y', 0};
  return table;
}

constexpr std::array<Folded, 256> kFoldTable = MakeFoldTable();

}  // namespace

int FoldSurname(std::string_view text, char* out, int capacity) {
  int length = 0;
  if (static_cast<std::size_t>(capacity) / 2 >= text.size()) {
    // Room for two letters a byte: no check per letter.
    for (const char byte : text) {
      const Folded folded = kFoldTable[static_cast<unsigned char>(byte)];
      out[length] = folded.first;
      out[length + 1] = folded.second;
      length += (folded.first != 0) + (folded.second != 0);
    }
    return length;
  }
  for (const char byte : text) {
    const Folded folded = kFoldTable[static_cast<unsigned char>(byte)];
    if (folded.first == 0) continue;
    if (length == capacity) break;
    out[length++] = folded.first;
    if (folded.second == 0) continue;
    if (length == capacity) break;
    out[length++] = folded.second;
  }
  return length;
}

std::string_view KeySurname(std::string_view key) {
  std::size_t length = key.size();
  while (length > 0 && key[length - 1] == ' ') --length;
  return key.substr(0, length);
}
