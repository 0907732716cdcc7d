#include "case_picks.h"

#include <algorithm>
#include <map>
#include <tuple>
#include <vector>

#include "search_screen.h"
#include "store/companion_format.h"
#include "store/data_location.h"
#include "store/roll_database.h"
#include "store/unit_roster.h"

namespace {

bool IsLetter(char ch) { return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z'); }

const std::string& Most(const std::map<std::string, int>& counts) {
  return std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) { return a.second < b.second; })
      ->first;
}

// The largest unit of one side and its largest company, from every entry the index files.
bool PickUnit(const DataLocation& location, CasePicks* p, std::string* error) {
  std::map<std::pair<char, std::string>, std::int64_t> units;
  std::map<std::tuple<char, std::string, std::string>, std::int64_t> companies;
  EntryAttributes attributes;
  const bool read = VisitRollEntries(
      location.dataDirectory,
      [&](const RollEntry& e) {
        AttributesOfLine(e.line, &attributes);
        if (attributes.side != 'U' && attributes.side != 'C') return true;
        std::string unit = RosterUnitText(attributes.unit);
        if (unit.empty()) return true;
        if (!attributes.company.empty()) ++companies[{attributes.side, unit, attributes.company}];
        ++units[{attributes.side, std::move(unit)}];
        return true;
      },
      error);
  if (!read) return false;
  if (units.empty()) return *error = "no entry names a unit and a side", false;
  const auto largest =
      std::max_element(units.begin(), units.end(), [](auto& a, auto& b) { return a.second < b.second; });
  p->unitSide = largest->first.first;
  p->unit = largest->first.second;
  p->unitEntries = largest->second;
  for (const auto& [group, n] : companies) {
    if (std::get<0>(group) == p->unitSide && std::get<1>(group) == p->unit && n > p->companyEntries) {
      p->company = std::get<2>(group);
      p->companyEntries = n;
    }
  }
  if (p->company.empty()) return *error = "the largest unit has no company", false;
  return true;
}

}  // namespace

bool PickCases(const DataLocation& location, CasePicks* p, std::string* error) {
  if (!PickUnit(location, p, error)) return false;
  RollDatabase db(location, NoPromptDialogue());
  if (!db.Open(1)) return *error = "no roll database in " + std::string(location.dataDirectory), false;
  std::vector<SurnameRun> runs;
  if (!ListSurnameRuns(*db.Index(), &runs) || runs.empty())
    return *error = "the index cannot be walked", false;

  std::vector<const SurnameRun*> singles;
  for (const SurnameRun& r : runs) {
    if (r.slotCount == 1) singles.push_back(&r);
  }
  if (singles.empty()) return *error = "no surname with exactly one entry", false;
  p->single = *singles[singles.size() / 2];

  std::vector<const SurnameRun*> byCount;
  for (const SurnameRun& r : runs) byCount.push_back(&r);
  std::stable_sort(byCount.begin(), byCount.end(),
                   [](const SurnameRun* a, const SurnameRun* b) { return a->slotCount < b->slotCount; });
  std::int64_t total = 0;
  for (const SurnameRun* r : byCount) total += r->slotCount;
  std::int64_t seen = 0;
  for (const SurnameRun* r : byCount) {
    seen += r->slotCount;
    if (seen * 2 >= total) {
      p->median = *r;
      break;
    }
  }
  p->common = *byCount.back();

  std::map<std::string, int> letters, words;
  for (std::int32_t s = p->common.firstSlot; s < p->common.firstSlot + p->common.slotCount; ++s) {
    db.ReadSlot(s);
    std::string name = db.CurrentName();
    UpperCaseAscii(&name);
    std::size_t n = 0;
    while (n < name.size() && IsLetter(name[n])) ++n;
    if (n >= 1) ++letters[name.substr(0, 1)];
    if (n >= 2) ++words[name.substr(0, n)];
  }
  if (letters.empty() || words.empty())
    return *error = "the most common surname has no given names to filter by", false;
  p->oneLetter = Most(letters);
  p->commonGiven = Most(words);
  p->noMatch.clear();
  for (const char* candidate : {"XQZY", "QQQQ", "ZZYZX"}) {
    const bool matched = std::any_of(words.begin(), words.end(),
                                     [candidate](const auto& w) { return w.first.rfind(candidate, 0) == 0; });
    if (!matched) {
      p->noMatch = candidate;
      return true;
    }
  }
  return *error = "every given name tried as matching nothing matches", false;
}
