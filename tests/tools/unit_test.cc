// rollkit unit, as a user runs it: the engine's answer unchanged in every format, what it says of
// texts it cannot look up, and what never reaches the terminal.
#include <gtest/gtest.h>

#include <map>
#include <nlohmann/json.hpp>

#include "csv_reader.h"
#include "records/battle_kml.h"
#include "records/unit_report.h"
#include "support/environment.h"
#include "support/rollkit_runner.h"

TEST(RollkitUnit, WritesTheEnginesAnswerInEveryFormat) {
  const UnitReport ohio = ReportUnit("3 OH INF", Side::kUnion, true);
  const RunResult text = RunRollkit({"unit", "--side", "u", "--battles", "3 OH INF"});
  ASSERT_EQ(text.exitCode, 0) << text.err;
  EXPECT_EQ(text.out, UnitReportText(ohio, false));
  EXPECT_EQ(text.err, "");
  EXPECT_EQ(RunRollkit({"unit", "--side", "U", "--descriptions", "3 OH INF"}).out,
            UnitReportText(ohio, true));
  EXPECT_EQ(RunRollkit({"unit", "--side", "U", "--format", "kml", "3 OH INF"}).out, UnitReportKml(ohio));

  // Without --battles: the units and how many battles each has listed.
  const RunResult units = RunRollkit({"unit", "3rd Ohio Infantry"});
  EXPECT_EQ(units.out, UnitReportText(ReportUnit("3rd Ohio Infantry", Side::kUnknown, false), false));
  EXPECT_NE(units.out.find("(3 months, 1861) (Union), 3 OH INF: no battle listed\n"), std::string::npos)
      << units.out;

  const RunResult csv = RunRollkit({"unit", "--battles", "--format", "csv", "1 MN INF"});
  ASSERT_EQ(csv.exitCode, 0);
  EXPECT_EQ(ReadCsv(csv.out).size(), 24u);  // the header and 23 battles
  const nlohmann::json json = nlohmann::json::parse(RunRollkit({"unit", "--format", "json", "4 VA INF"}).out);
  EXPECT_EQ(json["units"][0]["code"], "CVA0004RI");
  EXPECT_EQ(json["units"][0]["battles_listed"], 7);
}

TEST(RollkitUnit, SaysPlainlyWhatItCannotLookUp) {
  // A text no list knows is an answer, not a failure.
  const RunResult unknown = RunRollkit({"unit", "--battles", "99 ZZ INF"});
  EXPECT_EQ(unknown.exitCode, 0);
  EXPECT_EQ(unknown.out, "\"99 ZZ INF\" names no unit of the park service's list.\n");

  // What cannot be looked up is a bad argument, and a hostile one never reaches the terminal.
  const struct {
    std::vector<std::string> args;
    const char* message;
  } refused[] = {
      {{"unit", ""}, "UNIT_TEXT: The unit text is empty: there is no unit to look up."},
      {{"unit", std::string(200, '9')},
       "UNIT_TEXT: The unit text is longer than any unit's name (200 bytes): it was not looked up."},
      {{"unit", "5 IL\x1b]2;pwned\x07 INF"},
       "UNIT_TEXT: The unit text holds control characters or bytes that are not UTF-8: it was not looked "
       "up."},
      {{"unit", "--side", "X", "5 IL INF"}, "--side: X is not U or C"},
      {{"unit", "--side", "\x1b[2J", "5 IL INF"}, "--side: the value is not U or C"},
      {{"unit", "--format", "gedcom", "5 IL INF"}, "--format: gedcom is not one of text, csv, json, kml"},
  };
  for (const auto& r : refused) {
    const RunResult result = RunRollkit(r.args);
    EXPECT_EQ(result.exitCode, 2) << r.message;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(Lines(result.err).at(0), std::string("rollkit: ") + r.message);
    EXPECT_EQ(result.err.find('\x1b'), std::string::npos) << result.err;
  }
}

namespace {

std::string RosterRoll(const ScopedTempDir& dir) {
  std::string csv = kRollHeader;
  csv += "Kelly,Patrick,J,D,5 IL INF,PVT,CORP,,1,2,3,U\n";
  csv += "Adams,John,,d,5 il  inf,PVT,PVT,,1,2,3,U\n";
  csv += "Adams,Abel,,D,5 IL INF,PVT,PVT,,1,2,3,U\n";
  csv += "Brown,Zeb,,A,5 IL INF,SERG,SERG,,1,2,3,U\n";
  csv += "Cole,Amos,,,5 IL INF,PVT,PVT,,1,2,3,U\n";
  csv += "Dane,Carl,,D,5 IL INF,PVT,PVT,,1,2,3,C\n";   // the other side's 5th Illinois: none
  csv += "Evans,Eli,,D,15 IL INF,PVT,PVT,,1,2,3,U\n";  // another regiment
  csv += "\"=HYPERLINK(\"\"x\"\")\",\"Tom\x1b[2J\",,D,5 IL INF,PVT,PVT,,1,2,3,U\n";
  return BuildRoll(dir, "roll", csv);
}

}  // namespace

TEST(RollkitUnitRoster, ListsTheUnitByCompanyThenNameTheSameWithAndWithoutTheCompanion) {
  ScopedTempDir dir, cache;
  const std::string data = RosterRoll(dir);
  const std::map<std::string, std::string> env = {{kUserCacheVariable, cache.Path()}};
  const std::vector<std::string> whole = {"unit", "--data", data, "--side", "U", "--roster", "5 IL INF"};
  const RunResult text = RunRollkit(whole, env);
  ASSERT_EQ(text.exitCode, 0) << text.err;
  const std::vector<std::string> lines = Lines(text.out);
  ASSERT_EQ(lines.size(), 8u) << text.out;
  EXPECT_EQ(lines[0], "Roster \u00b7 5 IL INF (Union)");
  EXPECT_EQ(lines[1], "6 records found.");
  // Company A, then D by surname and given name (the formula's "=" sorts before letters), then
  // the entry without a company; the escape in a name is shown, never sent.
  const char* surnames[] = {"BROWN", "=HYPERLINK(\"X\")", "ADAMS", "ADAMS", "KELLY", "COLE"};
  for (std::size_t i = 0; i < 6; ++i)
    EXPECT_EQ(lines[i + 2].substr(0, lines[i + 2].find('\t')), surnames[i]) << i;
  EXPECT_NE(lines[4].find("Abel"), std::string::npos);
  EXPECT_NE(lines[5].find("John"), std::string::npos);
  EXPECT_EQ(text.out.find('\x1b'), std::string::npos);

  const RunResult company = RunRollkit(
      {"unit", "--data", data, "--side", "u", "--company", " d ", "--format", "csv", "5 il inf"}, env);
  ASSERT_EQ(company.exitCode, 0) << company.err;
  const auto rows = ReadCsv(company.out);
  ASSERT_EQ(rows.size(), 5u);  // the header and four of company D
  for (const auto& row : rows) EXPECT_NE(row[0].substr(0, 1), "=") << row[0];
  const nlohmann::json json = nlohmann::json::parse(
      RunRollkit({"unit", "--data", data, "--side", "U", "--roster", "--format", "json", "5 IL INF"}, env)
          .out);
  EXPECT_EQ(json.size(), 6u);

  // With the companion index built, the same bytes in every format.
  ASSERT_EQ(RunRollkit({"index", "--data", data}, env).exitCode, 0);
  for (const char* format : {"text", "csv", "json"}) {
    std::vector<std::string> args = whole;
    args.insert(args.begin() + 1, {"--format", format});
    std::vector<std::string> scanned = args;
    scanned.insert(scanned.begin() + 1, "--no-companion");
    EXPECT_EQ(RunRollkit(args, env).out, RunRollkit(scanned, env).out) << format;
  }
}

TEST(RollkitUnitRoster, RefusesWhatItCannotList) {
  ScopedTempDir dir;
  const std::string data = RosterRoll(dir);
  const struct {
    std::vector<std::string> args;
    const char* message;
  } refused[] = {
      {{"unit", "--data", data, "--roster", "5 IL INF"},
       "--roster: needs --side U or C (a Union and a Confederate unit of one text are different regiments)"},
      {{"unit", "--data", data, "--side", "U", "--roster", " \t "}, "UNIT_TEXT: the unit text is empty"},
      {{"unit", "--data", data, "--side", "U", "--company", "  ", "5 IL INF"},
       "--company: no company was given"},
      {{"unit", "--data", data, "--side", "U", "--roster", "--format", "kml", "5 IL INF"},
       "--format kml: a roster is text, csv or json"},
  };
  for (const auto& r : refused) {
    const RunResult result = RunRollkit(r.args);
    EXPECT_EQ(result.exitCode, 2) << r.message;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(Lines(result.err).at(0), std::string("rollkit: ") + r.message);
  }
  // A unit the roll does not have is an empty roster, not a failure.
  const RunResult none = RunRollkit({"unit", "--data", data, "--side", "C", "--roster", "99 ZZ INF"});
  EXPECT_EQ(none.exitCode, 0) << none.err;
  EXPECT_EQ(Lines(none.out).at(1), "0 records found.");
}
