// Which surnames and given names the benchmark cases search, chosen from the roll itself so that
// they mean the same on any roll: a surname of one entry, the surname a soldier picked at random
// has, the most common surname, and given names among the latter's entries.
#pragma once

#include <cstdint>
#include <string>

#include "roll_catalog.h"

class DataLocation;

struct CasePicks {
  SurnameRun single;        // of one entry: the middle one in key order
  SurnameRun median;        // the median entry's, entries lined up by how common their surname is
  SurnameRun common;        // the most common (the last in key order among equals)
  std::string oneLetter;    // the most frequent first letter among the most common surname's names
  std::string commonGiven;  // the most frequent leading word (two letters or more) among them
  std::string noMatch;      // a given name that matches none of them
  // The largest unit of one side (its unit text as a roster reads it; the first in byte order
  // among equals) and its largest company, with their entries.
  char unitSide = 0;
  std::string unit;
  std::string company;
  std::int64_t unitEntries = 0;
  std::int64_t companyEntries = 0;
};

// Picks the cases from the roll at `location` (the largest unit from a read of every entry). False with
// *error when the roll cannot be read or has nothing to pick (no surname of one entry, no given names to
// filter by).
bool PickCases(const DataLocation& location, CasePicks* picks, std::string* error);
