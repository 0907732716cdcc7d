// The facts the roll generator draws from: surnames and given names with their relative
// frequencies among soldiers of the 1860s, syllables for the long tail of rare surnames, ranks,
// remarks, and the unit names of both sides (derived from the park service's unit list, see
// DATA-SOURCES.md). Texts are UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>

struct WeightedName {
  const char* text;
  std::uint32_t weight;  // relative frequency; only ratios within one table matter
};

struct UnitName {
  const char* text;  // muster-roll short form, e.g. "5 IL INF"
  char side;         // 'U' or 'C'
};

extern const WeightedName kCommonSurnames[];
extern const std::size_t kCommonSurnameCount;

// Parts of the rare surnames: prefix + optional middle + suffix, sometimes with Mc or O'.
extern const char* const kSurnamePrefixes[];
extern const std::size_t kSurnamePrefixCount;
extern const char* const kSurnameMiddles[];
extern const std::size_t kSurnameMiddleCount;
extern const char* const kSurnameSuffixes[];
extern const std::size_t kSurnameSuffixCount;

extern const WeightedName kGivenNames[];
extern const std::size_t kGivenNameCount;

// Muster-roll abbreviations of common given names ("Wm" for William), used now and then.
struct GivenNameAbbreviation {
  const char* name;
  const char* abbreviation;
};
extern const GivenNameAbbreviation kGivenNameAbbreviations[];
extern const std::size_t kGivenNameAbbreviationCount;

extern const WeightedName kEnlistedRanks[];
extern const std::size_t kEnlistedRankCount;
extern const WeightedName kOfficerRanks[];
extern const std::size_t kOfficerRankCount;

extern const WeightedName kRemarks[];
extern const std::size_t kRemarkCount;

extern const UnitName kUnits[];
extern const std::size_t kUnitCount;
