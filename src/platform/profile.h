// Read-only access to the product family's INI file, "brevik.ini".
//
// Where the file is: $BREVIK_INI when that is set (and only there); otherwise brevik.ini in the
// first of the platform's ProfileDirectories (platform/places.h) that holds one.
//
// How it is read: section and key names are matched case-insensitively; blanks around names and
// values are trimmed; one pair of enclosing double or single quotes is removed from a value;
// lines whose first non-blank character is ';' are comments; the first matching key of the first
// matching section wins; a UTF-8 byte-order mark at the start is passed over; a line is taken up
// to its first 4,096 bytes. Only a regular file is read, and never blocks. Nothing is ever
// written.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

inline constexpr const char* kProfileFileName = "brevik.ini";

// The path of the INI file as described above, or "" when none is found.
std::string FindProfilePath();

// Looks `key` up in `section` of the INI text `text` and copies the value (or `fallback` when
// there is none) into `out`, truncated to `size` - 1 bytes and NUL-terminated. Returns the number
// of bytes copied. `size` must be at least 1.
std::size_t ParseProfileString(std::string_view text, const char* section, const char* key,
                               const char* fallback, char* out, std::size_t size);

// The same, reading the file found by FindProfilePath a line at a time, whatever its size. A
// missing or unreadable file reads as empty text.
std::size_t ReadProfileString(const char* section, const char* key, const char* fallback,
                              char* out, std::size_t size);
