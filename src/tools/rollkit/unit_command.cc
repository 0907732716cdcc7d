// rollkit unit: the units of the park service's list a unit text can mean, and their battles; the
// same answer the viewer gives, from the same function (records/unit_report.h).
#include <cstdio>

#include "records/battle_kml.h"
#include "records/unit_key.h"
#include "records/unit_report.h"
#include "tools/rollkit/commands.h"
#include "tools/rollkit/exit_status.h"
#include "tools/rollkit/search_session.h"

namespace {

// An argument in a message, unless it could carry a terminal control.
std::string Shown(const std::string& argument) { return IsPlainText(argument) ? argument : "the value"; }

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
