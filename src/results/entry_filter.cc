#include "results/entry_filter.h"

#include <cstring>

#include "store/roll_format.h"

namespace {

constexpr int kCompanyField = 1;
constexpr int kUnitField = 2;
constexpr int kSideField = 9;

// Field `index` of a line, without splitting the rest; false when the line has fewer fields.
bool FieldOf(std::string_view line, int index, std::string_view* field) {
  const std::size_t end = line.find(static_cast<char>(kLineFeed));
  if (end != std::string_view::npos) line = line.substr(0, end);
  for (int i = 0; i < index; ++i) {
    const std::size_t separator = line.find(static_cast<char>(kFieldSeparator));
    if (separator == std::string_view::npos) return false;
    line.remove_prefix(separator + 1);
  }
  if (line.empty()) return false;  // nothing after the last separator is no field
  *field = line.substr(0, line.find(static_cast<char>(kFieldSeparator)));
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
  }
  return true;
}

bool ContainsIgnoringCase(std::string_view text, std::string_view part) {
  if (part.size() > text.size()) return false;
  for (std::size_t at = 0; at + part.size() <= text.size(); ++at) {
    if (EqualsIgnoringCase(text.substr(at, part.size()), part)) return true;
  }
  return false;
}

// Whether one of the blank-separated words of `unit` is `state`.
bool HasWord(std::string_view unit, std::string_view word) {
  while (!unit.empty()) {
    const std::size_t blank = unit.find(' ');
    if (EqualsIgnoringCase(unit.substr(0, blank), word)) return true;
    if (blank == std::string_view::npos) break;
    unit.remove_prefix(blank + 1);
  }
  return false;
}

}  // namespace

bool EntryFilter::Matches(std::string_view line) const {
  std::string_view field;
  if (side != 0) {
    if (!FieldOf(line, kSideField, &field)) return false;
    field = Trim(field);
    if (field.size() != 1 || UpperAscii(field[0]) != UpperAscii(side)) return false;
  }
  if (!company.empty()) {
    if (!FieldOf(line, kCompanyField, &field) || !EqualsIgnoringCase(Trim(field), Trim(company))) return false;
  }
  if (!state.empty() || !unit.empty()) {
    if (!FieldOf(line, kUnitField, &field)) return false;
    if (!state.empty() && !HasWord(field, Trim(state))) return false;
    if (!unit.empty() && !ContainsIgnoringCase(field, unit)) return false;
  }
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
