#include "records/unit_report.h"

#include <algorithm>
#include <array>

#include "records/csv_text.h"
#include "records/export_rows.h"
#include "records/unit_key.h"

namespace {

constexpr std::size_t kTextWidth = 100;

std::string Plural(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// `text` wrapped at kTextWidth, every line starting with `indent`; words longer than a line stay
// whole. Paragraphs (separated by "\n\n") keep an empty line between them.
std::string Wrapped(std::string_view text, std::string_view indent) {
  std::string out;
  bool firstParagraph = true;
  while (!text.empty()) {
    const std::size_t breakAt = text.find("\n\n");
    std::string_view paragraph = text.substr(0, breakAt);
    text = breakAt == std::string_view::npos ? std::string_view() : text.substr(breakAt + 2);
    if (!firstParagraph) out += '\n';
    firstParagraph = false;
    std::size_t column = 0;
    while (!paragraph.empty()) {
      const std::size_t blank = paragraph.find_first_of(" \n");
      const std::string_view word = paragraph.substr(0, blank);
      paragraph = blank == std::string_view::npos ? std::string_view() : paragraph.substr(blank + 1);
      if (word.empty()) continue;
      if (column > 0 && column + 1 + word.size() > kTextWidth) {
        out += '\n';
        column = 0;
      }
      if (column == 0) {
        out += indent;
        column = indent.size();
      } else {
        out += ' ';
        ++column;
      }
      out += word;
      column += word.size();
    }
    if (column > 0) out += '\n';
  }
  return out;
}

const char* OutcomeName(UnitLookupOutcome outcome) {
  switch (outcome) {
    case UnitLookupOutcome::kFound:
      return "found";
    case UnitLookupOutcome::kOnlyOtherSide:
      return "only_other_side";
    case UnitLookupOutcome::kNotFound:
      return "not_found";
    case UnitLookupOutcome::kEmpty:
      return "empty";
    case UnitLookupOutcome::kTooLong:
      return "too_long";
    case UnitLookupOutcome::kNotPlainText:
      return "not_plain_text";
  }
  return "";
}

Side OtherSide(Side side) { return side == Side::kUnion ? Side::kConfederate : Side::kUnion; }

// "Union " before "unit", or nothing without a side.
std::string SideWord(Side side) {
  return side == Side::kUnknown ? std::string() : std::string(SideName(side)) + " ";
}

// The battle's place: "Rutherford County, TN", or its state when the source names no county.
std::string Place(const Battle& battle) {
  return battle.counties.empty() ? std::string(battle.state) : std::string(battle.counties);
}

void AppendBattleText(const Battle& battle, bool description, std::string* out) {
  std::string line = "  " + BattleDates(battle);
  line.resize(std::max<std::size_t>(line.size() + 2, 28), ' ');
  line += std::string(battle.name) + ", " + Place(battle);
  if (!battle.linkNote.empty()) line += " (" + std::string(battle.linkNote) + ")";
  *out += line + '\n';
  const std::string indent(28, ' ');
  if (!battle.otherNames.empty()) *out += Wrapped("Also called: " + std::string(battle.otherNames), indent);
  std::string outcome(battle.campaign);
  if (!battle.result.empty()) {
    outcome += (outcome.empty() ? "" : ". ") + std::string(battle.result);
    if (outcome.back() != '.') outcome += '.';
  }
  if (!outcome.empty()) *out += Wrapped(outcome, indent);
  if (description && !battle.description.empty()) *out += Wrapped(battle.description, indent);
}

constexpr std::array<const char*, 7> kUnitColumns = {"unit_code",      "unit_name", "unit_short_form", "side",
                                                     "battles_listed", "notes",     "source"};
constexpr std::array<const char*, 12> kBattleColumns = {
    "battle_id", "battle_name", "other_names", "start_date", "end_date", "state",
    "counties",  "campaign",    "result",      "link_note",  "latitude", "longitude"};

std::string JoinedNotes(const UnitReportEntry& entry) {
  std::string notes;
  for (const std::string& note : UnitNotes(entry)) notes += (notes.empty() ? "" : " ") + note;
  return notes;
}

void AppendJsonField(const char* name, std::string_view value, std::string* out) {
  if (out->back() != '{') out->push_back(',');
  AppendJsonString(name, out);
  out->push_back(':');
  AppendJsonString(value, out);
}

void AppendJsonRaw(const char* name, std::string_view value, std::string* out) {
  if (out->back() != '{') out->push_back(',');
  AppendJsonString(name, out);
  out->push_back(':');
  out->append(value);
}

}  // namespace

UnitReport ReportUnit(std::string_view unitText, Side side, bool withBattles) {
  UnitReport report;
  report.unitText = std::string(unitText);
  report.lookup = LookUpUnit(unitText, side);
  report.withBattles = withBattles;
  for (const NpsUnit& unit : report.lookup.units) {
    UnitReportEntry entry;
    entry.unit = unit;
    std::vector<Battle> battles = BattlesOf(unit);
    entry.battleCount = battles.size();
    if (withBattles) entry.battles = std::move(battles);
    report.units.push_back(std::move(entry));
  }
  return report;
}

std::string UnitReportSummary(const UnitReport& report) {
  const UnitLookup& lookup = report.lookup;
  std::string quoted = IsPlainText(report.unitText) ? "\"" + report.unitText + "\"" : "The unit text";
  const std::string list = " of the park service's list";
  const std::string firstListed = lookup.units.size() < lookup.total
                                      ? " The first " + std::to_string(lookup.units.size()) + " are listed."
                                      : "";
  switch (lookup.outcome) {
    case UnitLookupOutcome::kEmpty:
      return "The unit text is empty: there is no unit to look up.";
    case UnitLookupOutcome::kTooLong:
      return "The unit text is longer than any unit's name (" + std::to_string(report.unitText.size()) +
             " bytes): it was not looked up.";
    case UnitLookupOutcome::kNotPlainText:
      return "The unit text holds control characters or bytes that are not UTF-8: it was not looked up.";
    case UnitLookupOutcome::kNotFound:
      return quoted + " names no unit" + list + ".";
    case UnitLookupOutcome::kOnlyOtherSide: {
      const std::string other = SideWord(OtherSide(lookup.side));
      return quoted + " names no " + SideWord(lookup.side) + "unit" + list + "; the " +
             Plural(lookup.total, (other + "unit").c_str(), (other + "units").c_str()) + " it names " +
             (lookup.total == 1 ? "is" : "are") + " listed instead." + firstListed;
    }
    case UnitLookupOutcome::kFound:
      if (lookup.side != Side::kUnknown) quoted += std::string(" (") + SideName(lookup.side) + ")";
      return quoted + " names " + Plural(lookup.total, "unit", "units") + list + "." + firstListed;
  }
  return std::string();
}

std::vector<std::string> UnitNotes(const UnitReportEntry& entry) {
  std::vector<std::string> notes;
  if (entry.battleCount == 0) notes.push_back(NoBattlesListedNote());
  if (entry.unit.side == Side::kConfederate) notes.push_back(ConfederateLinksNote());
  return notes;
}

std::string UnitTitle(const NpsUnit& unit) {
  return std::string(unit.name) + " (" + SideName(unit.side) + ")";
}

std::string UnitReportText(const UnitReport& report, bool descriptions) {
  std::string out = Wrapped(UnitReportSummary(report), "");
  // The notes are said once, below the units they concern.
  std::vector<std::string> notes;
  for (const UnitReportEntry& entry : report.units) {
    if (report.withBattles) out += '\n';
    std::string line = std::string(entry.unit.code) + "  " + UnitTitle(entry.unit);
    if (!entry.unit.shortForm.empty()) line += ", " + std::string(entry.unit.shortForm);
    line += ": " + (entry.battleCount == 0 ? std::string("no battle listed")
                                           : Plural(entry.battleCount, "battle", "battles") + " listed");
    out += line + '\n';
    for (const Battle& battle : entry.battles) AppendBattleText(battle, descriptions, &out);
    for (std::string& note : UnitNotes(entry)) {
      if (std::find(notes.begin(), notes.end(), note) == notes.end()) notes.push_back(std::move(note));
    }
  }
  if (report.units.empty()) return out;
  out += '\n';
  for (const std::string& note : notes) out += Wrapped(note, "");
  return out + Wrapped(BattlesSourceLine(), "");
}

std::string UnitReportCsv(const UnitReport& report, bool descriptions) {
  std::vector<std::string> header(kUnitColumns.begin(), kUnitColumns.end());
  if (report.withBattles) {
    header.insert(header.end(), kBattleColumns.begin(), kBattleColumns.end());
    if (descriptions) header.push_back("description");
  }
  std::string out;
  AppendCsvRecord(header, &out);
  for (const UnitReportEntry& entry : report.units) {
    const std::vector<std::string> unit = {
        std::string(entry.unit.code), std::string(entry.unit.name),      std::string(entry.unit.shortForm),
        SideName(entry.unit.side),    std::to_string(entry.battleCount), JoinedNotes(entry),
        BattlesSourceLine()};
    if (!report.withBattles || entry.battles.empty()) {
      std::vector<std::string> record = unit;
      if (report.withBattles) record.resize(header.size());
      AppendCsvRecord(record, &out);
      continue;
    }
    for (const Battle& battle : entry.battles) {
      std::vector<std::string> record = unit;
      for (std::string_view value : {battle.id, battle.name, battle.otherNames}) record.emplace_back(value);
      record.push_back(IsoDay(battle.start));
      record.push_back(IsoDay(battle.end));
      for (std::string_view value : {battle.state, battle.counties, battle.campaign, battle.result,
                                     battle.linkNote, battle.latitude, battle.longitude}) {
        record.emplace_back(value);
      }
      if (descriptions) record.emplace_back(battle.description);
      AppendCsvRecord(record, &out);
    }
  }
  return out;
}

std::string UnitReportJson(const UnitReport& report, bool descriptions) {
  const UnitLookup& lookup = report.lookup;
  std::string out = "{";
  // A text that is not plain would not be valid JSON text as it stands; it is left out.
  if (IsPlainText(report.unitText)) AppendJsonField("unit_text", report.unitText, &out);
  AppendJsonField("side", SideName(lookup.side), &out);
  AppendJsonField("outcome", OutcomeName(lookup.outcome), &out);
  AppendJsonField("summary", UnitReportSummary(report), &out);
  AppendJsonRaw("total", std::to_string(lookup.total), &out);
  AppendJsonField("source", BattlesSourceLine(), &out);
  out += ",\"units\":[";
  bool firstUnit = true;
  for (const UnitReportEntry& entry : report.units) {
    out += firstUnit ? "\n{" : ",\n{";
    firstUnit = false;
    AppendJsonField("code", entry.unit.code, &out);
    AppendJsonField("name", entry.unit.name, &out);
    AppendJsonField("short_form", entry.unit.shortForm, &out);
    AppendJsonField("side", SideName(entry.unit.side), &out);
    AppendJsonRaw("battles_listed", std::to_string(entry.battleCount), &out);
    out += ",\"notes\":[";
    bool firstNote = true;
    for (const std::string& note : UnitNotes(entry)) {
      if (!firstNote) out += ',';
      firstNote = false;
      AppendJsonString(note, &out);
    }
    out += ']';
    if (report.withBattles) {
      out += ",\"battles\":[";
      bool firstBattle = true;
      for (const Battle& battle : entry.battles) {
        out += firstBattle ? "{" : ",{";
        firstBattle = false;
        AppendJsonField("id", battle.id, &out);
        AppendJsonField("name", battle.name, &out);
        AppendJsonField("other_names", battle.otherNames, &out);
        AppendJsonField("start_date", IsoDay(battle.start), &out);
        AppendJsonField("end_date", IsoDay(battle.end), &out);
        AppendJsonField("state", battle.state, &out);
        AppendJsonField("counties", battle.counties, &out);
        AppendJsonField("campaign", battle.campaign, &out);
        AppendJsonField("result", battle.result, &out);
        AppendJsonField("link_note", battle.linkNote, &out);
        // Decimal numbers as the source writes them (the generator checked each).
        AppendJsonRaw("latitude", battle.latitude, &out);
        AppendJsonRaw("longitude", battle.longitude, &out);
        if (descriptions) AppendJsonField("description", battle.description, &out);
        out += '}';
      }
      out += ']';
    }
    out += '}';
  }
  out += report.units.empty() ? "]}\n" : "\n]}\n";
  return out;
}
