// One soldier's entry as it leaves the program: what the roll holds for him, in UTF-8.
//
// The roll keeps an entry in three places: the surname in the index key, the given name in the
// name text of the entry's slot, and the other facts as the fields of the entry's line, in the
// order of EntryField. Every output of records/ (the unit in plain words, export rows, citations,
// the pull list, GEDCOM) starts from a SoldierEntry, so that all of them read the roll alike.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

// The fields of an entry's line, in their order on the roll.
enum EntryField {
  kMiddleInitialField,
  kCompanyField,
  kUnitField,        // the short form, e.g. "18 ME INF"
  kRankInField,
  kRankOutField,
  kRemarksField,     // labelled "Misc" on the screen
  kMicrofilmBoxField,
  kMicrofilmRollField,
  kMicrofilmRecordField,
  kSideField,        // "U" Union, "C" Confederate
  kEntryFieldCount
};

struct SoldierEntry {
  std::string surname;    // as the index key has it, e.g. "O'BRIEN"
  std::string givenName;  // the slot's name text, e.g. "Patrick" or "John A"
  std::array<std::string, kEntryFieldCount> fields;

  const std::string& Field(EntryField field) const { return fields[field]; }
};

// Builds an entry from the roll's bytes (Windows-1252): the surname (the index key without its
// padding, SurnameOfKey), the slot's name text and the fields of the line (SplitFields). Each
// text is converted to UTF-8 and loses its leading and trailing blanks; a field the line does not
// have is empty, and fields past the last EntryField are not part of an entry. Control bytes and
// the five bytes Windows-1252 leaves undefined, which no roll text holds on purpose, become
// blanks, so that no output can carry a line break or a terminal control into its reader.
SoldierEntry EntryFromRoll(std::string_view surname, std::string_view nameText,
                           const std::vector<std::string_view>& fields);

// The given name with the middle initial after it, when the name text does not end in it already:
// "Patrick" and "G" give "Patrick G"; "John A" and "A" give "John A".
std::string GivenNames(const SoldierEntry& entry);

// The name as a reader writes it: given names, then the surname, one letter initials with a full
// stop: "Patrick G. KELLY". Empty parts are left out.
std::string FullName(const SoldierEntry& entry);
