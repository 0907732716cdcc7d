// Reading a row's display text ("surname\tgiven name\tsummary") back into its fields.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

inline constexpr int kRowFieldCount = 3;

// Up to three fields, split the way the C library's strtok splits at tabs: leading tabs are
// skipped and a run of tabs is one separator, so an empty field yields no field and the later
// ones move forward. Reads at most `capacity` bytes of `text` and stops at its NUL; a missing
// field is empty. The views point into `text`.
struct RowFields {
  std::string_view field[kRowFieldCount];
  int count = 0;
};
RowFields SplitRowText(const char* text, std::size_t capacity);

// The More Info caption of a row: the first field with trailing white space removed, ", ", the
// second field (or nothing), and trailing white space removed from the whole again.
std::string MoreInfoCaption(const char* rowText, std::size_t capacity);
