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
// With battles asked for, a soldier whose unit is known also gets his unit's battles as events of
// his service: per battle an EVEN with TYPE Battle, the day (DATE 21 JUL 1861) or the days as a
// period (DATE FROM 31 DEC 1862 TO 2 JAN 1863: a battle went on over all of its days, which is what
// the standard's FROM/TO says; its BET/AND would say it happened on one unknown day between
// them), the place (PLAC "Barbour County, West Virginia, USA" with MAP LATI/LONG), a NOTE that the
// battle is the unit's and no proof of his presence, and a citation of a second SOUR record for
// the park service's battle data (PAGE: the battle's and the unit's codes). A soldier whose unit
// text names several units and no unit was chosen for him gets no battles, and his service note
// says why.
//
// With comrades, the soldier `comradesOf` gets an association with every other soldier of the
// file: ASSO @In@ with RELA Comrade (one per comrade, so the file grows with the roster, not with
// its square).
//
// With company comrades (a roster, which lists a company's men together), each man is linked the
// same way with every other man of his company: the men next to each other in the file with the
// same side, unit text and company, compared as a roster compares them (store/unit_roster.h). A
// man without a company is linked with no one. A company of more than kMaxComradeCompany men is
// linked not at all, and each of its men gets a note that says why: so a man has at most
// kMaxComradeCompany - 1 associations and the file grows with the roster, never with its square.
// The document holds back one company's men (their INDI records, at most kMaxComradeCompany of
// them) until the company ends, to know whom to link them with.
//
// Lines end in CR LF and are at most 255 bytes long; longer texts go on CONC lines and line breaks
// within a text on CONT lines. An "@" in a text is doubled, control characters become blanks.
// Cross-references are @I1@, @I2@, ... per entry, @S1@ and @SUBM1@.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "records/soldier_entry.h"

struct GedcomOptions {
  std::string date;  // the file's date (GedcomDate); empty: no date
  std::string submitter = "Dravenholt user";
  // A note of the person's own for each entry, in the entries' order (the research log's status
  // and notes), written as the individual's NOTE; an empty or missing one writes none.
  std::vector<std::string> notes;
  bool battles = false;  // add the battles of each soldier's unit as events
  // Per entry, in the order of the entries, the list code of the unit chosen for it
  // ("UOH0003RI01") where its unit text names several; missing or "": the text decides alone.
  std::vector<std::string> unitCodes;
  // The entry whose comrades the others are; none: no associations.
  std::optional<std::size_t> comradesOf;
  // Link the men of each company with each other (not with comradesOf).
  bool companyComrades = false;
};

// The most men of one company the company comrades link with each other. An infantry company's
// full strength was about a hundred; with its recruits over four years a company's roll rarely
// passes two hundred and fifty names. A "company" larger than that is a unit text or a company
// letter the roll gives to more men than one company held, where the links would mean nothing.
inline constexpr std::size_t kMaxComradeCompany = 250;

// What an option to link the men of each company says, wherever it is offered.
inline constexpr const char* kCompanyComradesOptionText =
    "Link the men of each company with each other as comrades (associations)";

// What an option to add battles says, wherever it is offered.
inline constexpr const char* kBattleEventsOptionText =
    "Add his unit's battles as events (the battles are the unit's, not proof that he was present)";

// "8 DEC 2025"; empty for a date that does not exist.
std::string GedcomDate(int year, int month, int day);

// A GEDCOM file made a piece at a time, as the entries come, so that a file of a million entries
// needs no more memory than one of ten: Begin, then Entry per entry in order, then End. Each call
// gives the bytes that follow those given before. `entryCount` is how many entries the file will
// hold (the comrades' associations name them all before they are written).
class GedcomDocument {
 public:
  // `chosen` must outlive the document.
  GedcomDocument(const GedcomOptions& chosen, std::size_t count) : options(chosen), entryCount(count) {}

  std::string Begin() const;
  // May give nothing while it holds back a company's men (company comrades), and their records
  // at once when the company ends.
  std::string Entry(const SoldierEntry& entry);
  // The men still held back, then the end of the file.
  std::string End();

 private:
  std::string ReleaseCompany();

  const GedcomOptions& options;
  std::size_t entryCount;
  std::size_t number = 0;     // entries given so far
  bool citesBattles = false;  // whether any of them cites the battle source
  // The company being held back: its key, its men's records without their associations and the
  // number of the first; `crowded` once it has more men than kMaxComradeCompany.
  std::string companyKey;
  std::vector<std::string> companyMen;
  std::size_t companyFirst = 0;
  bool crowded = false;
};

// The whole file of `entries` at once.
std::string WriteGedcom(std::span<const SoldierEntry> entries, const GedcomOptions& options);

inline constexpr std::size_t kGedcomMaxLine = 255;  // bytes, CR LF included
