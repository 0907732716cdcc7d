// rollkit unit, as a user runs it: the engine's answer unchanged in every format, what it says of
// texts it cannot look up, and what never reaches the terminal.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "csv_reader.h"
#include "records/battle_kml.h"
#include "records/unit_report.h"
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
