#include "research/research_types.h"

#include <chrono>
#include <cstdio>
#include <vector>

#include "platform/cp1252.h"
#include "store/roll_format.h"

namespace {

constexpr const char* kStatusNames[kResearchStatusCount] = {"to do", "found", "not this man",
                                                            "records ordered", "done"};

const char* ModeWords(std::string_view mode) {
  if (mode == "exact") return "exact spelling";
  if (mode == "wildcard") return "wildcards";
  if (mode == "soundex") return "sounds like (Soundex)";
  if (mode == "dm") return "sounds like (Daitch-Mokotoff)";
  if (mode == "similar") return "similar spelling";
  return nullptr;
}

}  // namespace

const char* StatusName(ResearchStatus status) { return kStatusNames[static_cast<int>(status)]; }

bool ParseStatus(std::string_view text, ResearchStatus* status) {
  std::string words;
  for (char c : text) {
    if (c == '-' || c == '_') c = ' ';
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    words.push_back(c);
  }
  for (int i = 0; i < kResearchStatusCount; ++i) {
    if (words == kStatusNames[i]) {
      *status = static_cast<ResearchStatus>(i);
      return true;
    }
  }
  return false;
}

std::string StatusChoices() {
  std::string text;
  for (const char* name : kStatusNames) {
    if (!text.empty()) text += ", ";
    for (const char* c = name; *c; ++c) text.push_back(*c == ' ' ? '-' : *c);
  }
  return text;
}

std::string RollIdentity::ShortName() const {
  const std::string digits = hash.substr(0, 8);
  if (label.empty()) return digits.empty() ? "unknown roll" : digits;
  return digits.empty() ? label : label + " " + digits;
}

SoldierEntry EntryOf(const SavedSoldier& soldier) {
  return EntryFromRoll(soldier.surname, soldier.nameText, SplitFields(soldier.line));
}

std::string DescribeMode(std::string_view mode) {
  const char* words = ModeWords(mode);
  return words ? words : std::string(mode);
}

std::string DescribeFilters(const LoggedSearch& search) {
  std::string text;
  auto add = [&](const std::string& part) {
    if (!text.empty()) text += ", ";
    text += part;
  };
  if (search.side == "U") add("Union");
  if (search.side == "C") add("Confederate");
  if (!search.state.empty()) add("state " + search.state);
  if (!search.unit.empty()) add("unit \"" + search.unit + "\"");
  if (!search.company.empty()) add("company " + search.company);
  return text;
}

std::string DescribeSearch(const LoggedSearch& search) {
  std::string text = search.surname;
  if (!search.givenName.empty()) text += ", given name " + search.givenName;
  text += ", " + DescribeMode(search.mode);
  if (const std::string filters = DescribeFilters(search); !filters.empty()) text += ", " + filters;
  return text;
}

std::string IsoUtc(std::int64_t seconds) {
  using namespace std::chrono;
  const sys_seconds at{std::chrono::seconds(seconds)};
  const auto day = floor<days>(at);
  const year_month_day date{day};
  const hh_mm_ss time{at - day};
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                static_cast<int>(time.seconds().count()));
  return text;
}

std::string IsoUtcNow() {
  const auto now = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
  return IsoUtc(now.time_since_epoch().count());
}

std::string ReadableTime(std::string_view iso) {
  // 2025-03-01T14:02:11Z
  if (iso.size() != 20 || iso[10] != 'T' || iso[19] != 'Z') return std::string(iso);
  return std::string(iso.substr(0, 10)) + " " + std::string(iso.substr(11, 5)) + " UTC";
}
