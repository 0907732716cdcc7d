// Numbers given on rollkit's command line. Only plain decimal digits are a number: no sign, no
// blanks, no hexadecimal or octal prefix (the C library would read "-5" as a huge count and "010"
// as eight), and a value outside its range is refused with the range in the message.
#pragma once

#include <cstdint>
#include <string>

// The value of `text`, the argument `what` ("--entries", "INDEX"), when it is a whole number from
// `lowest` to `highest`; otherwise throws UsageError("--entries: -5 is not a whole number from 0
// to 2147483647").
std::uint64_t ParseWholeNumber(const std::string& text, const char* what, std::uint64_t lowest, std::uint64_t highest);
