// Texts between the roll's bytes (Windows-1252, fields ended by 0xFF) and the UTF-8 of the
// command line, CSV files and terminals.
#pragma once

#include <string>
#include <string_view>

// Converts a UTF-8 text to the roll's code page. Returns false with *error describing the first
// character that cannot be converted ("character U+0100 is not in Windows-1252", "invalid UTF-8").
bool ToRollBytes(std::string_view utf8, std::string* out, std::string* error);

// A command-line argument as roll bytes; text that cannot be converted is a UsageError naming
// `what`. Bytes that are not UTF-8 at all are taken as they are (a Windows-1252 terminal).
std::string ArgumentToRollBytes(const std::string& argument, const char* what);
