// Texts between the roll's bytes (Windows-1252, fields ended by 0xFF) and the UTF-8 of the
// command line, CSV files and terminals.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Converts a UTF-8 text to the roll's code page. Returns false with *error describing the first
// character that cannot be converted ("character U+0100 is not in Windows-1252", "invalid UTF-8").
bool ToRollBytes(std::string_view utf8, std::string* out, std::string* error);

// A command-line argument as roll bytes; text that cannot be converted is a UsageError naming
// `what`. Bytes that are not UTF-8 at all are taken as they are (a Windows-1252 terminal).
std::string ArgumentToRollBytes(const std::string& argument, const char* what);

// The fields of an entry line: split at each 0xFF, up to the LF (or the end). A last field
// without its 0xFF counts; nothing after the last 0xFF does.
std::vector<std::string_view> SplitFields(std::string_view line);

// The surname an index key was made from: the key without the padding spaces that normalising
// added (only a 22-character key whose text is at most 16 characters was padded).
std::string_view SurnameOfKey(std::string_view key);
