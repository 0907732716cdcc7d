// What a search may ask of an entry beyond its names: the side it fought for, the state of its
// unit, text in its unit, its company. Read from the entry's line (fields: 1 company, 2 unit,
// 9 side); an entry whose fields are missing or malformed simply does not match a filter that
// asks about them. Any combination of the four may be asked at once.
#pragma once

#include <string>
#include <string_view>

struct EntryFilter {
  char side = 0;        // 'U' (Union) or 'C' (Confederate); 0: either
  std::string state;    // the state's abbreviation as units write it ("ME", "OH"); "": any
  std::string unit;     // text the unit field must contain, case ignored; "": any
  std::string company;  // the company letter(s); "": any

  bool Active() const { return side != 0 || !state.empty() || !unit.empty() || !company.empty(); }
  // Whether the entry whose line is `line` (its bytes up to and including its LF) passes.
  bool Matches(std::string_view line) const;
  // "Confederate, state ME, unit "INF", company A" (for the screen and for rollkit); "" when not
  // active.
  std::string Describe() const;
};

// A filter made ready to test many entries: its texts upper-cased and trimmed once.
class EntryMatcher {
 public:
  explicit EntryMatcher(const EntryFilter& filter);
  bool Matches(std::string_view line) const;

 private:
  char side;
  std::string state;
  std::string unit;
  std::string company;
  int lastField;  // the highest field any test needs
};
