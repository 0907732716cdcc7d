// Entries as a GEDCOM 5.5.1 file (lineage-linked, UTF-8), for genealogy programs to import:
//
//   HEAD (this program, GEDCOM 5.5.1, UTF-8, the submitter), one SUBM record, one SOUR record for
//   the roll database, then per entry an INDI with its NAME ("Given /Surname/", GIVN, SURN) and a
//   military service event: its TYPE gives the unit in plain words, its NOTE unit, company, ranks,
//   side and remarks, its SOUR citation the microfilm box, roll and record as PAGE, and the
//   person's own NOTE when GedcomOptions gives one. TRLR ends the
//   file. The event's tag is _MILT, which Gramps reads as its own Military Service event (and
//   writes back as _MILT); the standard's generic EVEN with TYPE "Military Service" would arrive
//   there as a custom event type of the same name.
//
// Lines end in CR LF and are at most 255 bytes long; longer texts go on CONC lines and line breaks
// within a text on CONT lines. An "@" in a text is doubled, control characters become blanks.
// Cross-references are @I1@, @I2@, ... per entry, @S1@ and @SUBM1@.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "records/soldier_entry.h"

struct GedcomOptions {
  std::string date;                       // the file's date (GedcomDate); empty: no date
  std::string submitter = "Dravenholt user";
  // A note of the person's own for each entry, in the entries' order (the research log's status
  // and notes), written as the individual's NOTE; an empty or missing one writes none.
  std::vector<std::string> notes;
};

// "8 DEC 2025"; empty for a date that does not exist.
std::string GedcomDate(int year, int month, int day);

std::string WriteGedcom(std::span<const SoldierEntry> entries, const GedcomOptions& options);

inline constexpr std::size_t kGedcomMaxLine = 255;  // bytes, CR LF included
