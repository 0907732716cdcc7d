// A unit's roster: everyone of one side whose unit field names the same unit as a given text (the
// whole unit), or the same unit and company. RollDatabase::RunRoster answers it with a
// SearchAnswer like any search's, so it pages, walks, exports and prints as every result does.
//
// Sameness. A unit field and the asked text name the same unit when they are equal once each is
// read as a unit text (RosterUnitText): blanks and tabs trimmed from both ends, every run of them
// inside read as one blank, a-z upper-cased; every other byte compared as it stands. The side is
// the entry's side field as a filter reads it (one byte once trimmed, upper-cased): a Union and a
// Confederate unit of the same text are different regiments and never share a roster. A company
// is compared trimmed of blanks and tabs and upper-cased, as a company filter compares it.
//
// Order. By company, then surname, then given name, then slot:
//   - companies as their trimmed, upper-cased texts compared byte by byte (unsigned), so "A" <
//     "B" < "F&S" < "K"; an entry without a company comes after every company;
//   - surnames as the index keys the entries are filed under, compared byte by byte;
//   - given names as a given-name search sees them (store/name_order.h: a-z upper-cased, the
//     bytes from the first NUL read as blanks, unsigned bytes);
//   - entries equal in all three keep the order of their slots.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The longest unit text a roster is asked for (a unit field is never longer than a line).
inline constexpr std::size_t kMaxRosterUnitText = 255;

struct RosterRequest {
  std::string unit;       // as typed or as the soldier's field holds it
  char side = 0;          // 'U' or 'C'
  std::string company;    // "" with wholeUnit
  bool wholeUnit = true;  // false: only `company`
  int number = 1;         // the database number
};

// Why a roster cannot be asked for, or "" when it can: an empty unit text ("the unit text is
// empty"), one longer than kMaxRosterUnitText, one holding a control byte (never a field's text), a
// side other than U or C, or a company roster without a company.
std::string RosterRequestProblem(const RosterRequest& request);

// `text` read as a unit text (see Sameness above).
std::string RosterUnitText(std::string_view text);
// Whether unit field `field` names the unit whose unit text is `unitText` (RosterUnitText's),
// without making a copy of the field.
bool SameUnitText(std::string_view field, std::string_view unitText);
// `text` trimmed of blanks and tabs and upper-cased (a-z only).
std::string RosterCompany(std::string_view text);
// <0, 0, >0 as company `a` comes before, with or after company `b` (both RosterCompany's).
int CompareRosterCompanies(std::string_view a, std::string_view b);
