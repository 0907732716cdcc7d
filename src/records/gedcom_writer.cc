#include "records/gedcom_writer.h"

#include <optional>
#include <string_view>
#include <vector>

#include "records/citation.h"
#include "records/nps_units.h"
#include "records/unit_battles.h"
#include "records/unit_names.h"
#include "store/unit_roster.h"

#ifndef DRAVENHOLT_VERSION
#define DRAVENHOLT_VERSION "0"
#endif

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::size_t kMaxClassification = 90;   // the standard's size of an event's TYPE
constexpr std::size_t kMaxEventDescriptor = 90;  // and of an EVEN's own value
constexpr std::string_view kBattleSourceXref = "@S2@";

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// A line value: "@" doubled, control characters (line breaks included) as blanks.
std::string LineValue(std::string_view text) {
  std::string value;
  value.reserve(text.size());
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '@') {
      value += "@@";
    } else {
      value += (byte < 0x20 || byte == 0x7F) ? ' ' : c;
    }
  }
  return value;
}

// Whether ending a piece at `cut` would split a UTF-8 sequence or a doubled "@" (every "@" of a
// value is doubled, so a run of them splits only after an odd count).
bool SplitsCharacter(std::string_view value, std::size_t cut) {
  if (IsContinuationByte(value[cut])) return true;
  std::size_t ats = 0;
  while (ats < cut && value[cut - 1 - ats] == '@') ++ats;
  return ats % 2 == 1;
}

// Where to end a piece of at most `limit` bytes of `value`: between whole characters and, where
// the value allows, not next to a blank, which some readers drop from the ends of CONC lines.
std::size_t CutPoint(std::string_view value, std::size_t limit) {
  if (value.size() <= limit) return value.size();
  for (std::size_t cut = limit; cut > limit / 2; --cut) {
    if (!SplitsCharacter(value, cut) && value[cut] != ' ' && value[cut - 1] != ' ') return cut;
  }
  for (std::size_t cut = limit; cut > 0; --cut) {
    if (!SplitsCharacter(value, cut)) return cut;
  }
  return limit;  // not reached: a character starts within every four bytes
}

class GedcomText {
 public:
  void Line(int level, std::string_view tag, std::string_view value = {}) {
    out += std::to_string(level);
    out += ' ';
    out += tag;
    if (!value.empty()) {
      out += ' ';
      out += value;
    }
    out += kLineEnd;
  }

  void Record(std::string_view xref, std::string_view tag) {
    out += "0 ";
    out += xref;
    out += ' ';
    out += tag;
    out += kLineEnd;
  }

  // A text that may hold line breaks and be of any length: CONT per line break, CONC per piece.
  void Text(int level, std::string_view tag, std::string_view text) {
    std::string_view tagOfLine = tag;
    int levelOfLine = level;
    while (true) {
      const std::size_t lineBreak = text.find('\n');
      Pieces(levelOfLine, tagOfLine, LineValue(text.substr(0, lineBreak)), level + 1);
      if (lineBreak == std::string_view::npos) break;
      text.remove_prefix(lineBreak + 1);
      tagOfLine = "CONT";
      levelOfLine = level + 1;
    }
  }

  std::string Take() { return std::move(out); }

 private:
  void Pieces(int level, std::string_view tag, std::string_view value, int concLevel) {
    std::size_t room = Room(level, tag);
    while (true) {
      const std::size_t cut = CutPoint(value, room);
      Line(level, tag, value.substr(0, cut));
      value.remove_prefix(cut);
      if (value.empty()) return;
      level = concLevel;
      tag = "CONC";
      room = Room(level, tag);
    }
  }

  static std::size_t Room(int level, std::string_view tag) {
    return kGedcomMaxLine - std::to_string(level).size() - 1 - tag.size() - 1 - kLineEnd.size();
  }

  std::string out;
};

// The start of `text` that fits `limit` bytes, cut between whole characters.
std::string_view Cut(std::string_view text, std::size_t limit) {
  if (text.size() <= limit) return text;
  while (limit > 0 && IsContinuationByte(text[limit])) --limit;
  return text.substr(0, limit);
}

// A slash would end the surname early in "Given /Surname/".
std::string NamePart(std::string_view text) {
  std::string part(text);
  for (char& c : part) {
    if (c == '/') c = ' ';
  }
  return part;
}

std::string ServiceNote(const SoldierEntry& entry, const std::vector<std::string>& battleNotes) {
  std::string note;
  auto add = [&note](std::string_view label, const std::string& value) {
    if (value.empty()) return;
    if (!note.empty()) note += '\n';
    note += label;
    note += value;
  };
  const std::string& unit = entry.Field(kUnitField);
  const Side side = SideOfField(entry.Field(kSideField));
  const DecodedUnit decoded = DecodeUnit(unit, side);
  add("Unit: ", decoded.known ? unit + " (" + std::string(decoded.name) + ")" : unit);
  add("Company: ", entry.Field(kCompanyField));
  add("Rank in: ", entry.Field(kRankInField));
  add("Rank out: ", entry.Field(kRankOutField));
  add("Side: ", side == Side::kUnknown ? entry.Field(kSideField) : std::string(SideName(side)));
  add("Remarks: ", entry.Field(kRemarksField));
  for (const std::string& line : battleNotes) add("", line);
  return note;
}

// "DATE 21 JUL 1861", or a battle of several days as the period it went on over.
std::string BattleDate(const Battle& battle) {
  const std::string start = GedcomDate(battle.start.year, battle.start.month, battle.start.day);
  const std::string end = GedcomDate(battle.end.year, battle.end.month, battle.end.day);
  return start == end ? start : "FROM " + start + " TO " + end;
}

// "N38.8123" for "38.8123", "W77.5219" for "-77.5219".
std::string MapCoordinate(std::string_view degrees, char positive, char negative) {
  if (!degrees.empty() && degrees.front() == '-') return negative + std::string(degrees.substr(1));
  return positive + std::string(degrees);
}

std::string Codes(const std::vector<NpsUnit>& units) {
  std::string codes;
  for (const NpsUnit& unit : units) codes += (codes.empty() ? "" : ", ") + std::string(unit.code);
  return codes;
}

// The unit whose battles an entry gets, and what the service note says about them.
struct BattleUnit {
  std::optional<NpsUnit> unit;
  std::vector<std::string> notes;
};

BattleUnit UnitForBattles(const SoldierEntry& entry, std::string_view chosenCode) {
  BattleUnit chosen;
  if (!chosenCode.empty()) {
    chosen.unit = NpsUnitWithCode(chosenCode);
    if (!chosen.unit) {
      chosen.notes.push_back("The unit chosen for him (" + std::string(chosenCode) +
                             ") is not in the park service's list: no battles were added.");
      return chosen;
    }
  } else {
    const std::string& text = entry.Field(kUnitField);
    if (text.empty()) return chosen;
    const UnitLookup lookup = LookUpUnit(text, SideOfField(entry.Field(kSideField)));
    if (lookup.outcome == UnitLookupOutcome::kFound && lookup.total == 1) {
      chosen.unit = lookup.units.front();
    } else if (lookup.outcome == UnitLookupOutcome::kFound) {
      chosen.notes.push_back("His unit text names " + std::to_string(lookup.total) +
                             " units of the park service's list (" + Codes(lookup.units) +
                             "): no battles were added, for want of knowing which was his.");
      return chosen;
    } else {
      const char* why = lookup.outcome == UnitLookupOutcome::kOnlyOtherSide ? "names no unit of his side in"
                        : lookup.outcome == UnitLookupOutcome::kNotFound    ? "names no unit of"
                                                                            : "could not be looked up in";
      chosen.notes.push_back(std::string("His unit text ") + why +
                             " the park service's list: no battles were added.");
      return chosen;
    }
  }
  if (BattlesOf(*chosen.unit).empty()) chosen.notes.push_back(NoBattlesListedNote());
  if (chosen.unit->side == Side::kConfederate) chosen.notes.push_back(ConfederateLinksNote());
  return chosen;
}

void WriteBattle(GedcomText& ged, const NpsUnit& unit, const Battle& battle) {
  ged.Text(1, "EVEN", Cut(battle.name, kMaxEventDescriptor));
  ged.Line(2, "TYPE", "Battle");
  ged.Line(2, "DATE", BattleDate(battle));
  ged.Text(2, "PLAC", std::string(battle.place) + ", USA");
  if (!battle.latitude.empty() && !battle.longitude.empty()) {
    ged.Line(3, "MAP");
    ged.Line(4, "LATI", LineValue(MapCoordinate(battle.latitude, 'N', 'S')));
    ged.Line(4, "LONG", LineValue(MapCoordinate(battle.longitude, 'E', 'W')));
  }
  std::string note =
      "A battle of his unit, the " + std::string(unit.name) + " (" + std::string(unit.code) +
      "), as the park service lists it: the battle is the unit's, not proof that he was present.";
  if (!battle.linkNote.empty()) note += " The source notes: " + std::string(battle.linkNote) + ".";
  if (!battle.otherNames.empty()) note += "\nAlso called: " + std::string(battle.otherNames);
  if (!battle.counties.empty()) note += "\nFought in: " + std::string(battle.counties);
  if (!battle.result.empty()) note += "\nResult: " + std::string(battle.result);
  ged.Text(2, "NOTE", note);
  ged.Line(2, "SOUR", kBattleSourceXref);
  ged.Text(3, "PAGE", "Battle " + std::string(battle.id) + ", unit " + std::string(unit.code));
}

// Writes one INDI; returns whether it cites the battle source.
bool WriteIndividual(GedcomText& ged, const SoldierEntry& entry, std::size_t number,
                     const GedcomOptions& options, std::size_t entryCount) {
  ged.Record("@I" + std::to_string(number) + "@", "INDI");
  const std::string given = GivenNames(entry);
  std::string name = NamePart(given);
  if (!entry.surname.empty()) name += (name.empty() ? "/" : " /") + NamePart(entry.surname) + "/";
  ged.Text(1, "NAME", name);
  if (!given.empty()) ged.Text(2, "GIVN", given);
  if (!entry.surname.empty()) ged.Text(2, "SURN", entry.surname);
  // The rolls list the men who served; a woman who served under a man's name is written as the
  // roll lists her.
  ged.Line(1, "SEX", "M");

  BattleUnit battleUnit;
  if (options.battles) {
    const std::size_t index = number - 1;
    battleUnit = UnitForBattles(entry, index < options.unitCodes.size() ? options.unitCodes[index] : "");
  }

  ged.Line(1, "_MILT");
  std::string unit = UnitInPlainWords(entry.Field(kUnitField), entry.Field(kSideField));
  if (unit.empty()) unit = SideName(SideOfField(entry.Field(kSideField)));
  if (!unit.empty()) ged.Text(2, "TYPE", Cut(unit, kMaxClassification));
  const std::string note = ServiceNote(entry, battleUnit.notes);
  if (!note.empty()) ged.Text(2, "NOTE", note);
  ged.Line(2, "SOUR", "@S1@");
  const std::string microfilm = MicrofilmReference(entry);
  if (!microfilm.empty()) ged.Text(3, "PAGE", "National Archives microfilm " + microfilm);

  if (number - 1 < options.notes.size() && !options.notes[number - 1].empty()) {
    ged.Text(1, "NOTE", options.notes[number - 1]);
  }
  bool citesBattles = false;
  if (battleUnit.unit) {
    for (const Battle& battle : BattlesOf(*battleUnit.unit)) {
      WriteBattle(ged, *battleUnit.unit, battle);
      citesBattles = true;
    }
  }

  if (options.comradesOf && *options.comradesOf == number - 1) {
    for (std::size_t comrade = 1; comrade <= entryCount; ++comrade) {
      if (comrade == number) continue;
      ged.Line(1, "ASSO", "@I" + std::to_string(comrade) + "@");
      ged.Line(2, "RELA", "Comrade");
    }
  }
  return citesBattles;
}

// Which company a man is of, for the company comrades: his side, unit text and company as a roster
// compares them; empty for a man without a company.
std::string CompanyKey(const SoldierEntry& entry) {
  const std::string company = RosterCompany(entry.Field(kCompanyField));
  if (company.empty()) return company;
  return RosterCompany(entry.Field(kSideField)) + '\n' + RosterUnitText(entry.Field(kUnitField)) + '\n' +
         company;
}

std::string CrowdedCompanyNote() {
  return "His company has more than " + std::to_string(kMaxComradeCompany) +
         " men in this file, too many to link each with the others as comrades.";
}

void WriteBattleSource(GedcomText& ged) {
  ged.Record(kBattleSourceXref, "SOUR");
  ged.Text(1, "AUTH", "National Park Service; Jeffrey B. Arnold");
  ged.Text(1, "TITL", "Civil War battles and the units linked to them (CWSS/CWSAC)");
  ged.Text(1, "PUBL", "American Civil War Battle Data (acw_battle_data), CC-BY-4.0");
  ged.Text(
      1, "NOTE",
      BattlesSourceLine() + " A unit's battles say where his unit fought, not which of its men were there.");
}

}  // namespace

std::string GedcomDate(int year, int month, int day) {
  static const char* const kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                        "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
  static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > kDays[month - 1]) {
    return std::string();
  }
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  if (month == 2 && day == 29 && !leap) return std::string();
  return std::to_string(day) + " " + kMonths[month - 1] + " " + std::to_string(year);
}

std::string GedcomDocument::Begin() const {
  GedcomText ged;
  ged.Line(0, "HEAD");
  ged.Line(1, "SOUR", "DRAVENHOLT");
  ged.Line(2, "VERS", DRAVENHOLT_VERSION);
  ged.Line(2, "NAME", "Dravenholt");
  if (!options.date.empty()) ged.Text(1, "DATE", options.date);
  ged.Line(1, "SUBM", "@SUBM1@");
  ged.Line(1, "GEDC");
  ged.Line(2, "VERS", "5.5.1");
  ged.Line(2, "FORM", "LINEAGE-LINKED");
  ged.Line(1, "CHAR", "UTF-8");

  ged.Record("@SUBM1@", "SUBM");
  ged.Text(1, "NAME", options.submitter.empty() ? "Dravenholt user" : options.submitter);

  ged.Record("@S1@", "SOUR");
  ged.Text(1, "TITL", kRollSourceTitle);
  ged.Text(1, "PUBL", kRollSourceMedium);
  ged.Text(1, "NOTE",
           "Searched with Dravenholt. Each entry gives the National Archives microfilm "
           "box, roll and record where the soldier is found.");
  return ged.Take();
}

std::string GedcomDocument::Entry(const SoldierEntry& entry) {
  GedcomText ged;
  if (WriteIndividual(ged, entry, ++number, options, entryCount)) citesBattles = true;
  if (!options.companyComrades) return ged.Take();

  std::string key = CompanyKey(entry);
  std::string out;
  if (key != companyKey) {
    out = ReleaseCompany();
    companyKey = std::move(key);
    companyFirst = number;
    crowded = false;
  }
  if (companyKey.empty()) return out + ged.Take();
  if (crowded) {
    ged.Text(1, "NOTE", CrowdedCompanyNote());
    return out + ged.Take();
  }
  companyMen.push_back(ged.Take());
  if (companyMen.size() > kMaxComradeCompany) {
    crowded = true;
    out += ReleaseCompany();
  }
  return out;
}

// The men held back, each with his associations (or, in a crowded company, the note that says why
// he has none); his record's last lines, so they are added to its end.
std::string GedcomDocument::ReleaseCompany() {
  std::string out;
  for (std::size_t i = 0; i < companyMen.size(); ++i) {
    GedcomText ged;
    if (crowded) {
      ged.Text(1, "NOTE", CrowdedCompanyNote());
    } else {
      for (std::size_t comrade = 0; comrade < companyMen.size(); ++comrade) {
        if (comrade == i) continue;
        ged.Line(1, "ASSO", "@I" + std::to_string(companyFirst + comrade) + "@");
        ged.Line(2, "RELA", "Comrade");
      }
    }
    out += companyMen[i];
    out += ged.Take();
  }
  companyMen.clear();
  return out;
}

std::string GedcomDocument::End() {
  GedcomText ged;
  std::string out = ReleaseCompany();
  // Records may come in any order: the battle source is written only when cited.
  if (citesBattles) WriteBattleSource(ged);
  ged.Line(0, "TRLR");
  return out + ged.Take();
}

std::string WriteGedcom(std::span<const SoldierEntry> entries, const GedcomOptions& options) {
  GedcomDocument document(options, entries.size());
  std::string out = document.Begin();
  for (const SoldierEntry& entry : entries) out += document.Entry(entry);
  out += document.End();
  return out;
}
