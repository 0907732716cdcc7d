#include "tools/rollkit/roll_text.h"

#include <cstdio>

#include "platform/cp1252.h"
#include "tools/rollkit/exit_status.h"

namespace {

// Decodes the UTF-8 sequence at `text`; false when it is malformed.
bool DecodeUtf8At(std::string_view text, char32_t* codePoint) {
  if (text.empty()) return false;
  const auto b0 = static_cast<unsigned char>(text[0]);
  int length;
  char32_t value;
  if (b0 < 0x80) {
    *codePoint = b0;
    return true;
  } else if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2;
    value = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3;
    value = b0 & 0x0F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4;
    value = b0 & 0x07;
  } else {
    return false;
  }
  if (text.size() < static_cast<std::size_t>(length)) return false;
  for (int i = 1; i < length; ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if ((b & 0xC0) != 0x80) return false;
    value = (value << 6) | (b & 0x3F);
  }
  *codePoint = value;
  return true;
}

}  // namespace

bool ToRollBytes(std::string_view utf8, std::string* out, std::string* error) {
  std::size_t offset = 0;
  if (Utf8ToCp1252(utf8, out, &offset)) return true;
  char32_t codePoint = 0;
  if (offset < utf8.size() && DecodeUtf8At(utf8.substr(offset), &codePoint)) {
    char text[64];
    std::snprintf(text, sizeof text, "character U+%04X is not in Windows-1252",
                  static_cast<unsigned>(codePoint));
    *error = text;
  } else {
    *error = "invalid UTF-8";
  }
  return false;
}

std::string ArgumentToRollBytes(const std::string& argument, const char* what) {
  std::string bytes;
  std::string error;
  if (ToRollBytes(argument, &bytes, &error)) return bytes;
  if (error == "invalid UTF-8") return argument;
  throw UsageError(std::string(what) + ": " + error);
}
