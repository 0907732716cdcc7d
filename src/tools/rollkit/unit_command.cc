// rollkit unit: the units of the park service's list a unit text can mean, and their battles; the
// same answer the viewer gives, from the same function (records/unit_report.h).
#include <cstdio>

#include "records/battle_kml.h"
#include "records/unit_key.h"
#include "records/unit_report.h"
#include "store/unit_roster.h"
#include "tools/rollkit/commands.h"
#include "tools/rollkit/exit_status.h"
#include "tools/rollkit/roll_text.h"
#include "tools/rollkit/search_session.h"
#include "tools/rollkit/terminal_text.h"

namespace {

// An argument in a message, unless it could carry a terminal control.
std::string Shown(const std::string& argument) { return IsPlainText(argument) ? argument : "the value"; }

// The roster of the unit (and company), as the viewer lists it: a title, the count line and the
// rows, or every entry as CSV or JSON.
int RunRoster(const UnitOptions& options) {
  if (options.side == Side::kUnknown) {
    throw UsageError(
        "--roster: needs --side U or C (a Union and a Confederate unit of one text are different regiments)");
  }
  if (options.battles || options.descriptions) throw UsageError("--roster: list the battles without it");
  if (options.format == UnitFormat::kKml) throw UsageError("--format kml: a roster is text, csv or json");
  RosterRequest roster;
  roster.unit = ArgumentToRollBytes(options.unitText, "UNIT_TEXT");
  roster.side = options.side == Side::kUnion ? 'U' : 'C';
  roster.company = ArgumentToRollBytes(options.company, "--company");
  roster.wholeUnit = options.company.empty();
  if (const std::string problem = RosterRequestProblem(roster); !problem.empty()) {
    throw UsageError(
        (roster.wholeUnit || problem.find("unit") != std::string::npos ? "UNIT_TEXT: " : "--company: ") +
        problem);
  }
  SearchSession session;
  if (!session.RunRoster(roster, options.dataDirectory, options.noCompanion, kMaxRowsPerPage))
    return kExitDataProblem;
  if (options.format == UnitFormat::kText) {
    std::string title = "Roster \u00b7 " + VisibleText(RosterUnitText(roster.unit)) + " (" +
                        (roster.side == 'U' ? "Union" : "Confederate") + ")";
    if (!roster.wholeUnit) title += " \u00b7 Company " + VisibleText(RosterCompany(roster.company));
    std::printf("%s\n%ld records found.\n", title.c_str(), static_cast<long>(session.List().ResultCount()));
    WriteResultRows(session, false);
  } else {
    WriteResultExport(session, options.format == UnitFormat::kCsv);
  }
  if (session.MessageShown()) return kExitDataProblem;
  return FinishOutput() ? kExitOk : kExitDataProblem;
}

}  // namespace

UnitFormat ParseUnitFormat(const std::string& text) {
  if (text == "text") return UnitFormat::kText;
  if (text == "csv") return UnitFormat::kCsv;
  if (text == "json") return UnitFormat::kJson;
  if (text == "kml") return UnitFormat::kKml;
  throw UsageError("--format: " + Shown(text) + " is not one of text, csv, json, kml");
}

Side ParseSideArgument(const std::string& text) {
  if (text.empty()) return Side::kUnknown;
  const Side side = SideOfField(text);
  if (side == Side::kUnknown) throw UsageError("--side: " + Shown(text) + " is not U or C");
  return side;
}

int RunUnit(const UnitOptions& options) {
  if (options.roster || !options.company.empty()) return RunRoster(options);
  // A map of battles without the battles would be an empty map.
  const bool battles = options.battles || options.descriptions || options.format == UnitFormat::kKml;
  const UnitReport report = ReportUnit(options.unitText, options.side, battles);
  switch (report.lookup.outcome) {
    case UnitLookupOutcome::kEmpty:
    case UnitLookupOutcome::kTooLong:
    case UnitLookupOutcome::kNotPlainText:
      throw UsageError("UNIT_TEXT: " + UnitReportSummary(report));
    default:
      break;
  }
  std::string out;
  switch (options.format) {
    case UnitFormat::kText:
      out = UnitReportText(report, options.descriptions);
      break;
    case UnitFormat::kCsv:
      out = UnitReportCsv(report, options.descriptions);
      break;
    case UnitFormat::kJson:
      out = UnitReportJson(report, options.descriptions);
      break;
    case UnitFormat::kKml:
      out = UnitReportKml(report);
      break;
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  return FinishOutput() ? kExitOk : kExitDataProblem;
}
