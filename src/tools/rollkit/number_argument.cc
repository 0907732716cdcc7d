#include "tools/rollkit/number_argument.h"

#include <limits>

#include "tools/rollkit/exit_status.h"

std::uint64_t ParseWholeNumber(const std::string& text, const char* what, std::uint64_t lowest, std::uint64_t highest) {
  constexpr std::uint64_t kMost = std::numeric_limits<std::uint64_t>::max();
  std::uint64_t value = 0;
  bool ok = !text.empty();
  for (char c : text) {
    const unsigned digit = static_cast<unsigned char>(c) - '0';
    if (digit > 9 || value > (kMost - digit) / 10) {
      ok = false;
      break;
    }
    value = value * 10 + digit;
  }
  if (!ok || value < lowest || value > highest) {
    throw UsageError(std::string(what) + ": " + (text.empty() ? std::string("\"\"") : text) +
                     " is not a whole number from " + std::to_string(lowest) + " to " + std::to_string(highest));
  }
  return value;
}
