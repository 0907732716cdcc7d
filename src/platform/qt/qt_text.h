// The one place where the roll's 8-bit Windows-1252 text meets Qt's Unicode strings.
#pragma once

#include <string>
#include <string_view>

#include <QString>

// Every byte maps to one character (platform/cp1252.h), so any byte string can be shown.
QString FromWindows1252(std::string_view bytes);
// NUL-terminated form; reads at most `capacity` bytes of `text`.
QString FromWindows1252(const char* text, std::size_t capacity);

// One byte per character. A character that Windows-1252 cannot hold, and NUL, become '?', so
// the result never carries UTF-8 or a hidden terminator into the engine.
std::string ToWindows1252(const QString& text);
