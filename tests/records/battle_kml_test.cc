// The battles as KML, read back by an XML parser (tests/records/check_kml.py, Python's xml.etree)
// the way a map program reads them.
#include "records/battle_kml.h"

#include <gtest/gtest.h>

#include <string>

#include "external_program.h"
#include "support/scoped_temp_dir.h"

namespace {

// What check_kml.py makes of the report's KML; fails the calling test when it finds a fault.
std::string CheckedKml(const UnitReport& report) {
  ScopedTempDir dir;
  const std::string path = dir.File("battles.kml");
  WriteFileBytes(path, UnitReportKml(report));
  int status = 0;
  const std::string out = RunProgram(PYTHON3_EXECUTABLE, {CHECK_KML_SCRIPT, path}, {}, &status);
  EXPECT_EQ(status, 0) << out;
  return out;
}

}  // namespace

TEST(BattleKml, AMapProgramReadsEveryBattleWithItsDaysAndPoint) {
  const std::string ohio = CheckedKml(ReportUnit("3 OH INF", Side::kUnion, true));
  EXPECT_EQ(ohio,
            "\"3 OH INF\" (Union) names 2 units of the park service's list.\n"
            "folder 3rd Regiment, Ohio Infantry (Union)\n"
            "Philippi\t1861-06-03\t1861-06-03\t-80.0428,39.1532\n"
            "Perryville\t1862-10-08\t1862-10-08\t-84.9711,37.6752\n"
            "Stones River\t1862-12-31\t1863-01-02\t-86.435,35.88\n"
            "Day's Gap\t1863-04-30\t1863-04-30\t-87.011,34.3096\n"
            "folder 3rd Regiment, Ohio Infantry (3 months, 1861) (Union)\n");

  const std::string minnesota = CheckedKml(ReportUnit("1 MN INF", Side::kUnion, true));
  EXPECT_NE(minnesota.find("\nManassas I\t1861-07-21\t"), std::string::npos) << minnesota;
  EXPECT_NE(minnesota.find("\nAppomattox Court House\t1865-04-09\t1865-04-09\t-78.794444,37.377778\n"),
            std::string::npos)
      << minnesota;
}

TEST(BattleKml, MarkupInTheTextsStaysText) {
  // A typed text that is markup, and the names and descriptions with ampersands and quotes
  // (Darbytown & New Market Roads, Battery "F").
  const std::string unknown = CheckedKml(ReportUnit("<b>1 &amp; ]]> \"X\"</b>", Side::kUnion, true));
  EXPECT_EQ(unknown, "\"<b>1 &amp; ]]> \"X\"</b>\" names no unit of the park service's list.\n");
  const std::string kml = UnitReportKml(ReportUnit("1 OH LT ART", Side::kUnion, true));
  EXPECT_NE(kml.find("Battery &quot;"), std::string::npos);
  CheckedKml(ReportUnit("1 OH LT ART", Side::kUnion, true));
}
