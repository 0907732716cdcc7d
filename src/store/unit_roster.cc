#include "store/unit_roster.h"

#include "store/roll_format.h"

namespace {

bool Blank(char c) { return c == ' ' || c == '\t'; }

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && Blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && Blank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

std::string RosterRequestProblem(const RosterRequest& request) {
  const std::string_view unit = Trimmed(request.unit);
  if (unit.empty()) return "the unit text is empty";
  if (request.unit.size() > kMaxRosterUnitText) {
    return "the unit text is longer than " + std::to_string(kMaxRosterUnitText) + " characters";
  }
  for (const char c : request.unit) {
    const auto b = static_cast<unsigned char>(c);
    if ((b < 0x20 && c != '\t') || b == 0x7f) return "the unit text holds a control character";
  }
  if (request.side != 'U' && request.side != 'C') return "the side is not U or C";
  if (!request.wholeUnit && Trimmed(request.company).empty()) return "no company was given";
  if (request.company.size() > kMaxRosterUnitText) return "the company is too long";
  return "";
}

std::string RosterUnitText(std::string_view text) {
  text = Trimmed(text);
  std::string out;
  out.reserve(text.size());
  bool blank = false;
  for (const char c : text) {
    if (Blank(c)) {
      blank = true;
      continue;
    }
    if (blank) out.push_back(' ');
    blank = false;
    out.push_back(Upper(c));
  }
  return out;
}

bool SameUnitText(std::string_view field, std::string_view unitText) {
  field = Trimmed(field);
  std::size_t at = 0;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (Blank(field[i])) {
      while (i + 1 < field.size() && Blank(field[i + 1])) ++i;
      if (at >= unitText.size() || unitText[at] != ' ') return false;
      ++at;
      continue;
    }
    if (at >= unitText.size() || unitText[at] != Upper(field[i])) return false;
    ++at;
  }
  return at == unitText.size();
}

std::string RosterCompany(std::string_view text) {
  std::string out(Trimmed(text));
  UpperCaseAscii(&out);
  return out;
}

int CompareRosterCompanies(std::string_view a, std::string_view b) {
  if (a.empty() != b.empty()) return a.empty() ? 1 : -1;
  const int c = a.compare(b);  // char_traits<char> compares as unsigned char
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}
