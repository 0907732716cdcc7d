#include "platform/temporary_name.h"

#include <algorithm>

namespace {
constexpr const char* kTemporarySuffix = ".tmp";
// A process number of more digits is none of ours (and would overflow).
constexpr std::size_t kMostProcessDigits = 9;
}  // namespace

std::string TemporaryName(const std::string& name, std::uint32_t process, const std::string& host) {
  // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on the same as one expression.
  std::string tail = ".";
  tail += std::to_string(process);
  tail += '@';
  tail += host;
  tail += kTemporarySuffix;
  const std::size_t room = kLongestFileName > tail.size() + 1 ? kLongestFileName - tail.size() - 1 : 0;
  std::string temporary = ".";
  temporary.append(name, 0, std::min(room, name.size()));
  temporary += tail;
  return temporary;
}

std::uint32_t OwnerOfTemporaryName(const std::string& name, const std::string& host) {
  const std::string suffix = "@" + host + kTemporarySuffix;
  if (name.size() <= suffix.size() + 2 || name[0] != '.' ||
      name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
    return 0;
  }
  const std::size_t end = name.size() - suffix.size();
  const std::size_t dot = name.rfind('.', end - 1);
  if (dot == std::string::npos || dot == 0 || dot + 1 >= end || end - dot - 1 > kMostProcessDigits) return 0;
  std::uint32_t process = 0;
  for (std::size_t i = dot + 1; i < end; ++i) {
    if (name[i] < '0' || name[i] > '9') return 0;
    process = process * 10 + static_cast<std::uint32_t>(name[i] - '0');
  }
  return process;
}
