// A unit's battles and what is said about them. The expected battles were checked by hand against
// data/nps/nps_battle_units.csv and nps_battles.csv.
#include "records/unit_report.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "csv_reader.h"
#include "records/nps_tables.h"

namespace {

NpsUnit Unit(const char* code) {
  const std::optional<NpsUnit> unit = NpsUnitWithCode(code);
  EXPECT_TRUE(unit.has_value()) << code;
  return unit.value_or(NpsUnit{});
}

std::vector<std::string> Ids(const std::vector<Battle>& battles) {
  std::vector<std::string> ids;
  for (const Battle& battle : battles) ids.emplace_back(battle.id);
  return ids;
}

int Day(const BattleDay& day) { return day.year * 10000 + day.month * 100 + day.day; }

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

}  // namespace

TEST(UnitBattles, HandCheckedUnits) {
  // The three-year 3rd Ohio: four battles; the three-month one: none listed.
  const std::vector<Battle> ohio = BattlesOf(Unit("UOH0003RI01"));
  EXPECT_EQ(Ids(ohio), (std::vector<std::string>{"WV001", "KY009", "TN010", "AL001"}));
  ASSERT_EQ(ohio.size(), 4u);
  EXPECT_EQ(ohio[0].name, "Philippi");
  EXPECT_EQ(BattleDates(ohio[0]), "1861-06-03");
  EXPECT_EQ(ohio[2].name, "Stones River");
  EXPECT_EQ(BattleDates(ohio[2]), "1862-12-31 to 1863-01-02");
  EXPECT_EQ(ohio[2].counties, "Rutherford County, TN");
  EXPECT_EQ(ohio[2].place, "Rutherford County, Tennessee");
  EXPECT_EQ(ohio[2].campaign, "Stones River Campaign [December 1862-January 1863]");
  EXPECT_EQ(ohio[3].otherNames, "Sand Mountain");
  EXPECT_EQ(ohio[3].latitude, "34.3096");
  EXPECT_EQ(ohio[3].longitude, "-87.011");
  EXPECT_TRUE(BattlesOf(Unit("UOH0003RI02")).empty());

  // The 4th Virginia Infantry (Confederate): seven battles, First Manassas to Cold Harbor.
  EXPECT_EQ(Ids(BattlesOf(Unit("CVA0004RI"))),
            (std::vector<std::string>{"VA005", "VA101", "VA106", "VA021", "VA026", "VA032", "VA062"}));

  // The 1st Minnesota Infantry: 23 battles, from Manassas I to Appomattox Court House. Fredericksburg
  // II and Salem Church began on the same day; the shorter comes first.
  const std::vector<Battle> minnesota = BattlesOf(Unit("UMN0001RI"));
  ASSERT_EQ(minnesota.size(), 23u);
  EXPECT_EQ(minnesota.front().name, "Manassas I");
  EXPECT_EQ(minnesota.front().otherNames, "Manassas, First; First Bull Run");
  EXPECT_EQ(minnesota.back().name, "Appomattox Court House");
  EXPECT_EQ(BattleDates(minnesota.back()), "1865-04-09");
  EXPECT_EQ(minnesota[9].id, "VA034");
  EXPECT_EQ(minnesota[10].id, "VA033");
  EXPECT_EQ(minnesota[11].name, "Gettysburg");
}

// The battle files disagree on names (and the numbered ones are told apart only by one of them);
// one rule decides every battle.
TEST(UnitBattles, TheNameRuleAndTheSourcesPartsOfAUnit) {
  auto battle = [](std::string_view id) -> const NpsBattleRow* {
    for (std::size_t i = 0; i < kNpsBattleCount; ++i) {
      if (NpsText(kNpsBattles[i].id) == id) return &kNpsBattles[i];
    }
    return nullptr;
  };
  const struct {
    const char* id;
    const char* name;
    const char* otherNames;
  } cases[] = {
      {"GA028", "Fort McAllister II", ""},                   // the capitals of the second file
      {"MO006", "Lexington I", "Battle of the Hemp Bales"},  // "Lexington", which names two, left out
      {"TN010", "Stones River", "Murfreesboro"},             // names agree
      {"AR016", "Jenkin's Ferry", "Jenkins' Ferry"},         // the other spelling kept among the other names
  };
  for (const auto& c : cases) {
    const NpsBattleRow* row = battle(c.id);
    ASSERT_NE(row, nullptr) << c.id;
    EXPECT_EQ(NpsText(row->name), c.name) << c.id;
    EXPECT_EQ(NpsText(row->otherNames), c.otherNames) << c.id;
  }
  // Where only part of a unit fought ("Battery \"F\"", "Detachment"), the source notes it on the link.
  std::size_t parts = 0;
  for (std::size_t i = 0; i < kNpsBattleLinkCount; ++i) parts += !NpsText(kNpsBattleLinks[i].note).empty();
  EXPECT_GT(parts, 500u);
}

// A unit's list is shown as it comes, so the generator's order, dates and places are what users
// see: each must hold for every unit and battle.
TEST(UnitBattles, EveryListIsInDateOrderWithValidDatesAndPoints) {
  ASSERT_EQ(kNpsBattleLinkCount, 17993u);
  std::size_t linked = 0;
  for (std::size_t i = 0; i < kNpsUnitCount; ++i) {
    NpsUnit unit;
    unit.index = i;
    const std::vector<Battle> battles = BattlesOf(unit);
    linked += battles.size();
    for (std::size_t b = 0; b < battles.size(); ++b) {
      const Battle& battle = battles[b];
      EXPECT_LE(Day(battle.start), Day(battle.end)) << battle.id;
      EXPECT_TRUE(battle.start.year >= 1861 && battle.end.year <= 1865) << battle.id;
      EXPECT_FALSE(battle.name.empty() || battle.place.empty() || battle.result.empty()) << battle.id;
      const double latitude = std::stod(std::string(battle.latitude));
      const double longitude = std::stod(std::string(battle.longitude));
      EXPECT_TRUE(latitude > 24 && latitude < 50 && longitude > -125 && longitude < -66) << battle.id;
      if (b > 0) {
        EXPECT_LE(Day(battles[b - 1].start), Day(battle.start)) << NpsText(kNpsUnits[i].code);
      }
    }
  }
  EXPECT_EQ(linked, kNpsBattleLinkCount);
  EXPECT_EQ(kNpsUnionUnitsWithBattles, 1594u);
  EXPECT_EQ(kNpsConfederateUnitsWithBattles, 749u);
}

TEST(UnitReport, SaysWhatTheListRestsOnAndNeverThatNoBattleWasFought) {
  const UnitReport ohio = ReportUnit("3 OH INF", Side::kUnion, true);
  const std::string text = UnitReportText(ohio, false);
  EXPECT_TRUE(Contains(text, "\"3 OH INF\" (Union) names 2 units of the park service's list.\n")) << text;
  EXPECT_TRUE(
      Contains(text, "UOH0003RI01  3rd Regiment, Ohio Infantry (Union), 3 OH INF: 4 battles listed\n"));
  EXPECT_TRUE(Contains(text, "  1862-12-31 to 1863-01-02  Stones River, Rutherford County, TN\n")) << text;
  EXPECT_TRUE(Contains(text, "(3 months, 1861) (Union), 3 OH INF: no battle listed\n")) << text;
  EXPECT_TRUE(Contains(text, "not that the unit fought in none:")) << text;
  EXPECT_TRUE(Contains(text, "acw_battle_data by Jeffrey B. Arnold, CC-BY-4.0.\n")) << text;
  EXPECT_FALSE(Contains(text, "Confederate units are linked")) << "a Union list has no Confederate note";
  EXPECT_FALSE(Contains(text, "Col. Thomas A. Morris")) << "descriptions only when asked";
  EXPECT_TRUE(Contains(UnitReportText(ohio, true), "Col. Thomas A. Morris"));

  // A Confederate unit carries the note, with the source's counts.
  const std::string virginia = UnitReportText(ReportUnit("4 VA INF", Side::kConfederate, false), false);
  EXPECT_TRUE(Contains(
      virginia, "CVA0004RI  4th Regiment, Virginia Infantry (Confederate), 4 VA INF: 7 battles listed\n"));
  EXPECT_TRUE(Contains(virginia, "only 749 of its 3,765 Confederate")) << virginia;

  // What was not found, and the other side.
  EXPECT_EQ(UnitReportText(ReportUnit("99 ZZ INF", Side::kUnion, true), false),
            "\"99 ZZ INF\" names no unit of the park service's list.\n");
  EXPECT_EQ(
      UnitReportSummary(ReportUnit("18 ME INF", Side::kConfederate, false)),
      "\"18 ME INF\" names no Confederate unit of the park service's list; the 1 Union unit it names is "
      "listed instead.");
  EXPECT_EQ(UnitReportSummary(ReportUnit("1 MO INF", Side::kUnknown, false)),
            "\"1 MO INF\" names 11 units of the park service's list.");
  // A text that could carry a terminal control is described, never echoed.
  const std::string hostile = UnitReportSummary(ReportUnit("5 IL\x1b]0;owned\x07 INF", Side::kUnion, false));
  EXPECT_EQ(hostile.find('\x1b'), std::string::npos) << hostile;
  EXPECT_TRUE(Contains(hostile, "control characters")) << hostile;
}

TEST(UnitReport, CsvAndJsonCarryEveryBattleAndTheNotes) {
  const UnitReport ohio = ReportUnit("3 OH INF", Side::kUnion, true);
  const CsvRecords records = ReadCsv(UnitReportCsv(ohio, true));
  // The header, four battles of the one unit, one record for the other unit without battles.
  ASSERT_EQ(records.size(), 6u);
  const std::vector<std::string>& header = records[0];
  for (const CsvRecords::value_type& record : records) EXPECT_EQ(record.size(), header.size());
  auto column = [&header](const char* name) {
    return static_cast<std::size_t>(std::find(header.begin(), header.end(), name) - header.begin());
  };
  EXPECT_EQ(records[3][column("battle_name")], "Stones River");
  EXPECT_EQ(records[3][column("end_date")], "1863-01-02");
  EXPECT_TRUE(Contains(records[1][column("description")], "Philippi"));
  EXPECT_EQ(records[5][column("unit_code")], "UOH0003RI02");
  EXPECT_EQ(records[5][column("battles_listed")], "0");
  EXPECT_EQ(records[5][column("battle_id")], "");
  EXPECT_TRUE(Contains(records[5][column("notes")], "not that the unit fought in none"));
  EXPECT_TRUE(Contains(records[5][column("source")], "CC-BY-4.0"));

  const nlohmann::json json =
      nlohmann::json::parse(UnitReportJson(ReportUnit("1 MN INF", Side::kUnknown, true), false));
  EXPECT_EQ(json["outcome"], "found");
  ASSERT_EQ(json["units"].size(), 1u);
  const nlohmann::json& minnesota = json["units"][0];
  EXPECT_EQ(minnesota["code"], "UMN0001RI");
  ASSERT_EQ(minnesota["battles"].size(), 23u);
  EXPECT_EQ(minnesota["battles"][22]["name"], "Appomattox Court House");
  EXPECT_DOUBLE_EQ(minnesota["battles"][22]["latitude"].get<double>(), 37.377778);
  EXPECT_FALSE(minnesota["battles"][0].contains("description"));

  // Without battles asked for, the count stays; a text no list knows is an empty list, not an error.
  const nlohmann::json units =
      nlohmann::json::parse(UnitReportJson(ReportUnit("4 VA INF", Side::kConfederate, false), false));
  EXPECT_EQ(units["units"][0]["battles_listed"], 7);
  EXPECT_FALSE(units["units"][0].contains("battles"));
  EXPECT_EQ(units["units"][0]["notes"].size(), 1u);
  const nlohmann::json unknown =
      nlohmann::json::parse(UnitReportJson(ReportUnit("99 ZZ INF", Side::kUnknown, true), false));
  EXPECT_EQ(unknown["outcome"], "not_found");
  EXPECT_TRUE(unknown["units"].empty());
}
