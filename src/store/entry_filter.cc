#include "store/entry_filter.h"

#include <cstring>

#include "store/roll_format.h"

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::string UpperTrimmed(std::string_view text) {
  std::string out(Trim(text));
  UpperCaseAscii(&out);
  return out;
}

// Whether `text` equals `upper` (already upper case) with case ignored.
bool EqualsUpper(std::string_view text, std::string_view upper) {
  if (text.size() != upper.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (UpperAscii(text[i]) != upper[i]) return false;
  }
  return true;
}

bool ContainsUpper(std::string_view text, std::string_view upper) {
  if (upper.empty()) return true;
  const char first = upper[0];
  const char firstLower = (first >= 'A' && first <= 'Z') ? static_cast<char>(first - 'A' + 'a') : first;
  for (std::size_t at = 0; at + upper.size() <= text.size(); ++at) {
    if ((text[at] == first || text[at] == firstLower) && EqualsUpper(text.substr(at, upper.size()), upper)) return true;
  }
  return false;
}

// Whether one of the blank-separated words of `unit` is `upper`.
bool HasWord(std::string_view unit, std::string_view upper) {
  while (!unit.empty()) {
    const std::size_t blank = unit.find(' ');
    if (EqualsUpper(unit.substr(0, blank), upper)) return true;
    if (blank == std::string_view::npos) break;
    unit.remove_prefix(blank + 1);
  }
  return false;
}

}  // namespace

bool EntryFilter::Matches(std::string_view line) const { return EntryMatcher(*this).Matches(line); }

EntryMatcher::EntryMatcher(const EntryFilter& filter)
    : side(UpperAscii(filter.side)),
      state(UpperTrimmed(filter.state)),
      unit(filter.unit),
      company(UpperTrimmed(filter.company)),
      lastField(-1) {
  UpperCaseAscii(&unit);
  if (!company.empty()) lastField = kLineCompanyField;
  if (!state.empty() || !unit.empty()) lastField = kLineUnitField;
  if (side != 0) lastField = kLineSideField;
}

bool EntryMatcher::Matches(std::string_view line) const {
  if (lastField < 0) return true;
  // The fields up to the last one asked about, split in one pass; nothing after the last 0xFF
  // and nothing after the LF is a field.
  std::string_view fields[kLineSideField + 1];
  int count = 0;
  const std::size_t end = line.find(static_cast<char>(kLineFeed));
  if (end != std::string_view::npos) line = line.substr(0, end);
  while (count <= lastField && !line.empty()) {
    const std::size_t separator = line.find(static_cast<char>(kFieldSeparator));
    fields[count++] = line.substr(0, separator);
    if (separator == std::string_view::npos) break;
    line.remove_prefix(separator + 1);
  }
  if (count <= lastField) return false;
  if (side != 0) {
    const std::string_view field = Trim(fields[kLineSideField]);
    if (field.size() != 1 || UpperAscii(field[0]) != side) return false;
  }
  if (!company.empty() && !EqualsUpper(Trim(fields[kLineCompanyField]), company)) return false;
  if (!state.empty() && !HasWord(fields[kLineUnitField], state)) return false;
  if (!unit.empty() && !ContainsUpper(fields[kLineUnitField], unit)) return false;
  return true;
}

std::string EntryFilter::Describe() const {
  std::string text;
  auto add = [&](const std::string& part) {
    if (!text.empty()) text += ", ";
    text += part;
  };
  if (side == 'U' || side == 'u') add("Union");
  if (side == 'C' || side == 'c') add("Confederate");
  if (!state.empty()) add("state " + state);
  if (!unit.empty()) add("unit \"" + unit + "\"");
  if (!company.empty()) add("company " + company);
  return text;
}
