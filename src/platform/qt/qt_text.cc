#include "platform/qt/qt_text.h"

#include <cstring>

#include <QList>

#include "platform/cp1252.h"

QString FromWindows1252(std::string_view bytes) {
  QString out;
  out.reserve(static_cast<qsizetype>(bytes.size()));
  for (const char c : bytes) {
    out.append(QChar(static_cast<char16_t>(Cp1252ToUnicode(static_cast<unsigned char>(c)))));
  }
  return out;
}

QString FromWindows1252(const char* text, std::size_t capacity) {
  if (text == nullptr) return {};
  return FromWindows1252(std::string_view(text, strnlen(text, capacity)));
}

std::string ToWindows1252(const QString& text) {
  std::string out;
  out.reserve(static_cast<std::size_t>(text.size()));
  for (const char32_t cp : text.toUcs4()) {
    const int byte = cp == 0 ? -1 : UnicodeToCp1252(cp);
    out.push_back(byte < 0 ? '?' : static_cast<char>(byte));
  }
  return out;
}
