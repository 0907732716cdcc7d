#include "tools/rollkit/terminal_text.h"

#include "platform/cp1252.h"

namespace {

bool IsControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

void AppendShown(unsigned code, std::string* out) {
  static constexpr char kDigits[] = "0123456789abcdef";
  out->append("\\x");
  out->push_back(kDigits[(code >> 4) & 0xF]);
  out->push_back(kDigits[code & 0xF]);
}

void AppendVisible(unsigned char byte, std::string* out) {
  const char32_t c = Cp1252ToUnicode(byte);
  if (IsControl(c)) {
    AppendShown(static_cast<unsigned>(c), out);
  } else {
    AppendUtf8(c, out);
  }
}

}  // namespace

std::string VisibleText(std::string_view rollBytes) {
  std::string out;
  out.reserve(rollBytes.size() + rollBytes.size() / 8);
  for (char byte : rollBytes) AppendVisible(static_cast<unsigned char>(byte), &out);
  return out;
}

std::string VisibleDetailText(std::string_view detailText) {
  std::string out;
  out.reserve(detailText.size());
  for (std::size_t i = 0; i < detailText.size(); ++i) {
    if (detailText[i] == '\r' && i + 1 < detailText.size() && detailText[i + 1] == '\n') {
      out.push_back('\n');
      ++i;
    } else {
      AppendVisible(static_cast<unsigned char>(detailText[i]), &out);
    }
  }
  return out;
}

std::string VisibleUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    char32_t c = 0;
    const std::size_t length = DecodeUtf8(text, 0, &c);
    if (length == 0) {
      AppendShown(static_cast<unsigned char>(text[0]), &out);
      text.remove_prefix(1);
      continue;
    }
    if (IsControl(c)) {
      AppendShown(static_cast<unsigned>(c), &out);
    } else {
      out.append(text.substr(0, length));
    }
    text.remove_prefix(length);
  }
  return out;
}

std::string JsonWithEscapedControls(std::string_view json) {
  std::string out;
  out.reserve(json.size());
  for (std::size_t i = 0; i < json.size(); ++i) {
    const auto b = static_cast<unsigned char>(json[i]);
    // Outside its strings JSON is ASCII without controls, so these bytes can only be inside one.
    if (b == 0x7F) {
      out.append("\\u007f");
    } else if (b == 0xC2 && i + 1 < json.size() && static_cast<unsigned char>(json[i + 1]) >= 0x80 &&
               static_cast<unsigned char>(json[i + 1]) <= 0x9F) {
      static constexpr char kDigits[] = "0123456789abcdef";
      const auto code = static_cast<unsigned char>(json[++i]);
      out.append("\\u00");
      out.push_back(kDigits[code >> 4]);
      out.push_back(kDigits[code & 0xF]);
    } else {
      out.push_back(static_cast<char>(b));
    }
  }
  return out;
}
