// Paths between the program's UTF-8 text and the wide-character file API of Windows.
// Only the win32 files of the platform layer include this.
#pragma once

#include <string>

// The UTF-16 form of a UTF-8 path, ready for the wide file API: both separators become
// backslashes, and a path too long for the classic limit of 260 characters is made absolute and
// given the "\\?\" prefix that lifts it. Empty when `utf8` is not valid UTF-8 (or is empty); an
// empty path names no file, so every use then fails as for a missing file.
std::wstring WidePath(const char* utf8);

// UTF-8 from UTF-16 (a file name the system handed out); invalid halves become U+FFFD.
std::string Utf8FromWide(const wchar_t* wide, std::size_t length);
std::string Utf8FromWide(const std::wstring& wide);
