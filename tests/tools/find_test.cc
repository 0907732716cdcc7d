// search beyond the exact key: each match mode and filter end to end on a small roll whose answers
// were worked out by hand, the JSON's key and reason per row, keys, and the usage errors.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "platform/byte_order.h"
#include "platform/file_system.h"
#include "store/index_walk.h"
#include "store/roll_format.h"
#include "store/roll_status.h"
#include "support/rollkit_runner.h"

namespace {

using Names = std::vector<std::string>;

// Surnames chosen so that each mode finds a different set for SMITH: American Soundex S530 is
// SMITH, SCHMIDT (S and C share a digit), SMIHT, SMYTH and SMYTHE, not SMITHSON (S532);
// Daitch-Mokotoff 463000 gives the same five; one edit from SMITH are SMIHT (a transposition) and
// SMYTH. Zed's line stops after his company, so a side, state or unit filter cannot pass him.
const char* const kRollRows =
    "Smith,John,A,A,18 ME INF,PVT,CORP,,12,34,100,U\n"
    "Smith,Adam,,B,4 VA CAV,PVT,PVT,,12,34,101,C\n"
    "Smith,Zed,,A\n"
    "Smyth,Paul,,A,5 OH INF,SERG,SERG,,12,35,200,U\n"
    "Smythe,Ann,,C,25 BTRY OH LT ART,PVT,PVT,,150,2,7,U\n"
    "Schmidt,Karl,,D,9 TX INF,PVT,PVT,,150,2,8,C\n"
    "Smiht,Tom,,A,18 ME INF,PVT,PVT,,,,,U\n"
    "Smithson,Ed,,E,1 ME CAV,PVT,PVT,,12,34,102,U\n"
    "M\xC3\xBCller,Hans,,F,9 PA INF,PVT,PVT,\"Note, with comma and \"\"quote\"\"\",7,8,9,U\n"
    "Mueller,Fritz,,A,2 VA INF,PVT,PVT,,7,8,10,C\n"
    "Miller,Joe,,G,9 PA INF,PVT,PVT,,7,9,11,U\n"
    "Jones,Bob,,A,18 ME INF,PVT,PVT,,1,1,1,C\n";

class FindTest : public ::testing::Test {
 protected:
  void SetUp() override { data = BuildRoll(dir, "roll", std::string(kRollHeader) + kRollRows); }

  RunResult Run(const std::string& command, std::vector<std::string> args) {
    args.insert(args.begin(), {command, "--data", data});
    return RunRollkit(args);
  }
  // The surname and given name of every row a search lists, after its count line.
  std::vector<std::string> Listed(std::vector<std::string> args) {
    const RunResult r = Run("search", std::move(args));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    std::vector<std::string> names;
    for (const std::string& line : Lines(r.out)) {
      if (line.find(" records found.") != std::string::npos) continue;
      names.push_back(line.substr(0, line.find('\t', line.find('\t') + 1)));
    }
    return names;
  }

  ScopedTempDir dir;
  std::string data;
};



TEST_F(FindTest, EachModeFindsItsSurnamesOwnKeyFirstThenKeyOrder) {
  const Names smith = {"SMITH\tAdam", "SMITH\tJohn", "SMITH\tZed"};
  const Names soundsLike = {"SMITH\tAdam", "SMITH\tJohn", "SMITH\tZed", "SCHMIDT\tKarl",
                            "SMIHT\tTom",  "SMYTH\tPaul", "SMYTHE\tAnn"};
  EXPECT_EQ(Listed({"smith"}), smith);
  EXPECT_EQ(Listed({"--match", "exact", "smith"}), smith);
  EXPECT_EQ(Listed({"--match", "soundex", "smith"}), soundsLike);
  EXPECT_EQ(Listed({"--match", "dm", "smith"}), soundsLike);
  EXPECT_EQ(Listed({"--match", "similar", "smith"}),
            (Names{"SMITH\tAdam", "SMITH\tJohn", "SMITH\tZed", "SMIHT\tTom", "SMYTH\tPaul"}));
  // A typed surname that is not a key: only key order.
  EXPECT_EQ(Listed({"--match", "soundex", "Muller"}), (Names{"MILLER\tJoe", "MUELLER\tFritz", "M\xC3\xBCLLER\tHans"}));
  EXPECT_EQ(Listed({"--match", "dm", "SCHMIDT"}).front(), "SCHMIDT\tKarl");
}

TEST_F(FindTest, WildcardsSwitchOnByThemselvesInAnyMode) {
  const Names smOneTh = {"SMITH\tAdam", "SMITH\tJohn", "SMITH\tZed", "SMYTH\tPaul"};
  EXPECT_EQ(Listed({"sm?th"}), smOneTh);
  // A pattern stays a pattern whatever mode was asked for: no sound or spelling of "sm?th" is
  // meant.
  EXPECT_EQ(Listed({"--match", "soundex", "sm?th"}), smOneTh);
  EXPECT_EQ(Listed({"--match", "similar", "sm?th"}), smOneTh);
  EXPECT_EQ(Listed({"--match", "wildcard", "SM?TH*"}),
            (Names{"SMITH\tAdam", "SMITH\tJohn", "SMITH\tZed", "SMITHSON\tEd", "SMYTH\tPaul", "SMYTHE\tAnn"}));
  // Wildcard mode without a wildcard is the exact key, listed as an extended search.
  EXPECT_EQ(Listed({"--match", "wildcard", "smyth"}), (Names{"SMYTH\tPaul"}));
  const RunResult all = Run("search", {"*"});
  EXPECT_EQ(Lines(all.out).front(), "12 records found.");
  EXPECT_EQ(Lines(all.out).at(1), "JONES\tBob\tA, 18 ME INF, PVT, PVT, ...");
}

TEST_F(FindTest, FiltersCombineWithModesAndGivenNameAndSkipEntriesWithoutTheField) {
  EXPECT_EQ(Listed({"--side", "C", "smith"}), (Names{"SMITH\tAdam"}));
  EXPECT_EQ(Listed({"--side", "u", "smith"}), (Names{"SMITH\tJohn"})) << "Zed has no side";
  EXPECT_EQ(Listed({"--company", "a", "smith"}), (Names{"SMITH\tJohn", "SMITH\tZed"}));
  EXPECT_EQ(Listed({"--state", "ME", "*"}), (Names{"JONES\tBob", "SMIHT\tTom", "SMITH\tJohn", "SMITHSON\tEd"}));
  EXPECT_EQ(Listed({"--unit", "va", "*"}), (Names{"MUELLER\tFritz", "SMITH\tAdam"}));
  EXPECT_EQ(Listed({"--unit", "lt art", "--match", "soundex", "smith"}), (Names{"SMYTHE\tAnn"}));
  EXPECT_EQ(Listed({"--match", "soundex", "--side", "U", "--state", "oh", "smith"}),
            (Names{"SMYTH\tPaul", "SMYTHE\tAnn"}));
  EXPECT_EQ(Listed({"--company", "A", "--side", "U", "--given", "t", "S*"}), (Names{"SMIHT\tTom"}));
  // The count is the filtered one, and nothing passes is an empty result.
  EXPECT_EQ(Run("search", {"--side", "C", "--state", "ME", "smith"}).out, "0 records found.\n");
  for (const char* rows : {"10", "8"}) {
    EXPECT_EQ(Lines(Run("search", {"--rows", rows, "*"}).out).size(), 13u) << rows;
    EXPECT_EQ(Lines(Run("search", {"--rows", rows, "--side", "U", "*"}).out).size(), 8u) << rows;
  }
}

TEST_F(FindTest, JsonSaysWhichKeyEachRowCameFromAndWhy) {
  const auto soundex = nlohmann::json::parse(Run("search", {"--json", "--match", "soundex", "--side", "U", "smith"}).out);
  EXPECT_EQ(soundex["count"], 4);
  EXPECT_EQ(soundex["match"], "soundex");
  EXPECT_EQ(soundex["filter"], "Union");
  ASSERT_EQ(soundex["rows"].size(), 4u);
  EXPECT_EQ(soundex["rows"][1]["surname"], "SMIHT");
  EXPECT_EQ(soundex["rows"][1]["key"], "SMIHT");
  EXPECT_EQ(soundex["rows"][1]["match"],
            nlohmann::json::parse(R"({"mode":"soundex","code":"S530","why":"Soundex S530"})"));

  const auto similar = nlohmann::json::parse(Run("search", {"--json", "--match", "similar", "smith"}).out);
  EXPECT_EQ(similar["filter"], "");
  EXPECT_EQ(similar["rows"][0]["match"], nlohmann::json::parse(R"({"mode":"similar","distance":0,"why":"the same letters"})"));
  EXPECT_EQ(similar["rows"][3]["key"], "SMIHT");
  EXPECT_EQ(similar["rows"][3]["match"]["distance"], 1);

  const auto dm = nlohmann::json::parse(Run("search", {"--json", "--match", "dm", "--unit", "tx", "smith"}).out);
  EXPECT_EQ(dm["filter"], "unit \"tx\"");
  EXPECT_EQ(dm["rows"][0]["match"], nlohmann::json::parse(R"({"mode":"dm","code":"463000","why":"Daitch-Mokotoff 463000"})"));
  EXPECT_EQ(dm["rows"][0]["fields"][2], "9 TX INF");

  // The classic search's document keeps its shape: no mode, filter, key or reason.
  EXPECT_EQ(Run("search", {"--json", "smyth"}).out,
            "{\"count\": 1, \"rows\": [{\"fields\":[\"\",\"A\",\"5 OH INF\",\"SERG\",\"SERG\",\"\",\"12\",\"35\","
            "\"200\",\"U\"],\"name\":\"Paul\",\"summary\":\"A, 5 OH INF, SERG, SERG, ...\",\"surname\":\"SMYTH\"}]}\n");
}

TEST_F(FindTest, KeysListsEverySurnameOrThoseASearchWouldUse) {
  const RunResult all = Run("keys", {});
  ASSERT_EQ(all.exitCode, 0) << all.err;
  EXPECT_EQ(all.out,
            "JONES\t1\nMILLER\t1\nMUELLER\t1\nM\xC3\xBCLLER\t1\nSCHMIDT\t1\nSMIHT\t1\nSMITH\t3\nSMITHSON\t1\n"
            "SMYTH\t1\nSMYTHE\t1\n");
  EXPECT_EQ(Run("keys", {"--raw", "m\xC3\xBCller"}).out, "M\xFCLLER\t1\texact\n");
  EXPECT_EQ(Run("keys", {"--match", "similar", "smith"}).out,
            "SMITH\t3\tthe same letters\nSMIHT\t1\t1 letter apart\nSMYTH\t1\t1 letter apart\n");
  // Closest first: MüLLER folds to the letters typed, the others are a letter off.
  EXPECT_EQ(Run("keys", {"--match", "similar", "muller"}).out,
            "M\xC3\xBCLLER\t1\tthe same letters\nMILLER\t1\t1 letter apart\nMUELLER\t1\t1 letter apart\n");
  EXPECT_EQ(Listed({"--match", "similar", "muller"}), (Names{"M\xC3\xBCLLER\tHans", "MILLER\tJoe", "MUELLER\tFritz"}));
  EXPECT_EQ(Run("keys", {"--match", "soundex", "mULLER"}).out,
            "MILLER\t1\tSoundex M460\nMUELLER\t1\tSoundex M460\nM\xC3\xBCLLER\t1\tSoundex M460\n");
  EXPECT_EQ(Run("keys", {"SMITHS?N"}).out, "SMITHSON\t1\twildcard\n");
  EXPECT_EQ(Run("keys", {"nobody"}).out, "");
}

TEST_F(FindTest, KeysOfADamagedIndexAreListedAsFarAsTheyGoAndTheDamageReported) {
  // The root's second child points back at the root: the walk must neither loop nor keep quiet.
  const std::string copy = dir / "damaged";
  std::filesystem::copy(data, copy);
  std::string tre = ReadFileBytes(copy + "/mroll.tre");
  const auto root = static_cast<std::size_t>(DecodeFixed32(reinterpret_cast<const unsigned char*>(tre.data())));
  constexpr std::size_t kSecondChild = 136;  // 4-byte count, four 32-byte entries, first child
  EncodeFixed32(reinterpret_cast<unsigned char*>(tre.data() + root + kSecondChild), static_cast<std::int32_t>(root));
  WriteFileBytes(copy + "/mroll.tre", tre);

  const RunResult r = RunRollkit({"keys", "--data", copy});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, RollkitLine(copy + "/mroll.tre: the index is damaged; only the keys that could be read are "
                                      "listed (rollkit check names the damage)"));
  EXPECT_NE(r.out.find("SMITH\t3\n"), std::string::npos) << r.out;
}

// Every key of a damaged index claiming the whole roll: a search over every key lists each slot
// once (no more rows than the roll has), its memory bounded, and says the index is damaged.
TEST_F(FindTest, KeysWhoseRunsOverlapAreDamageAndNeverListASlotTwice) {
  const std::string copy = dir / "overlapping";
  std::filesystem::copy(data, copy);
  std::string tre = ReadFileBytes(copy + "/mroll.tre");
  int entries = 0;
  WalkIndexBytes(
      tre, [](const std::string&) {},
      [&](const WalkedEntry& e) {
        auto* entry =
            reinterpret_cast<unsigned char*>(tre.data() + e.nodeOffset + 4 + e.position * kIndexEntrySize);
        EncodeFixed32(entry, 0);
        EncodeFixed32(entry + 4, 12);
        ++entries;
      });
  ASSERT_EQ(entries, 10);
  WriteFileBytes(copy + "/mroll.tre", tre);

  const std::string damaged =
      RollkitLine(copy + kPathSeparator + "mroll.tre: " + kDamagedIndexNotice + " (rollkit check names the damage)");
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"*"},
                                             {"--given", "j", "*"},
                                             {"--match", "soundex", "smith"},
                                             {"--side", "U", "--match", "similar", "smith"}}) {
    std::vector<std::string> full = {"search", "--data", copy};
    full.insert(full.end(), args.begin(), args.end());
    const RunResult r = RunRollkit(full);
    EXPECT_EQ(r.exitCode, 1) << args.back();
    EXPECT_EQ(r.err, damaged) << args.back();
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_FALSE(lines.empty()) << args.back();
    EXPECT_LE(std::stoi(lines.front()), 12) << lines.front();
    EXPECT_EQ(lines.size(), static_cast<std::size_t>(std::stoi(lines.front())) + 1) << args.back();
  }
  // The plain search keeps the index's own count, as the count line always has.
  const RunResult plain = RunRollkit({"search", "--data", copy, "jones"});
  EXPECT_EQ(plain.exitCode, 0) << plain.err;
  EXPECT_EQ(Lines(plain.out).front(), "12 records found.");
}

TEST_F(FindTest, BadValuesAreUsageErrorsNamingTheOptionAndItsValues) {
  const std::string search = "Usage: rollkit search [OPTIONS] SURNAME\nRun with --help for more information.\n";
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--match", "fuzzy"}, "--match: fuzzy is not one of exact, wildcard, soundex, dm, similar"},
      {{"--match", "Soundex"}, "--match: Soundex is not one of exact, wildcard, soundex, dm, similar"},
      {{"--side", "Union"}, "--side: Union is not U or C"},
      {{"--side", ""}, "--side:  is not U or C"},
      {{"--state", "M"}, "--state: M is not a two-letter state abbreviation"},
      {{"--state", "M1"}, "--state: M1 is not a two-letter state abbreviation"},
      {{"--unit", "   "}, "--unit: the text is blank"},
      {{"--unit", "\xC4\x80"}, "--unit: character U+0100 is not in Windows-1252"},
      {{"--company", "A,B"}, "--company: A,B is not a company (letters or digits, at most 16)"},
      {{"--company", ""}, "--company:  is not a company (letters or digits, at most 16)"},
      {{"--format", "xml"}, "--format: xml is not one of text, csv, json"},
      {{"--format", "csv", "--raw"}, "--raw: only for --format text"},
  };
  for (const auto& [args, message] : cases) {
    std::vector<std::string> all = args;
    all.push_back("smith");
    const RunResult r = Run("search", all);
    EXPECT_EQ(r.exitCode, 2) << message;
    EXPECT_EQ(r.err, RollkitLine(message) + search);
    EXPECT_EQ(r.out, "");
  }
  const RunResult keys = Run("keys", {"--match", "dm"});
  EXPECT_EQ(keys.exitCode, 2);
  EXPECT_EQ(Lines(keys.err).front(), "rollkit: --match: needs a SURNAME to match");
  EXPECT_EQ(Run("keys", {"--side", "U"}).exitCode, 2) << "keys takes no filter";
}

// The clerks' abbreviations and nicknames of a given name, asked for with --given-variants: whole
// words beside the typed prefix, in every command that searches and in every mode.
TEST_F(FindTest, GivenVariantsFindTheClerksAbbreviationsAndNicknames) {
  data = BuildRoll(dir, "variants",
                   std::string(kRollHeader) +
                       "Tolliver,William,,A,18 ME INF,PVT,PVT,,1,1,1,U\n"
                       "Tolliver,Wm.,H,A,18 ME INF,PVT,PVT,,1,1,2,U\n"
                       "Tolliver,Willis,,A,18 ME INF,PVT,PVT,,1,1,3,U\n"
                       "Tolliver,Bill,,B,18 ME INF,PVT,PVT,,1,1,4,U\n"
                       "Tolliver,Jno,,B,18 ME INF,PVT,PVT,,1,1,5,U\n"
                       "Tolliver,Wms,,B,18 ME INF,PVT,PVT,,1,1,6,U\n"
                       "Toliver,Wm,,C,4 VA CAV,PVT,PVT,,1,1,7,C\n");
  EXPECT_EQ(Listed({"--given", "william", "tolliver"}), (Names{"TOLLIVER\tWilliam"}));
  const Names widened = {"TOLLIVER\tBill", "TOLLIVER\tWilliam", "TOLLIVER\tWm."};
  EXPECT_EQ(Listed({"--given", "william", "--given-variants", "tolliver"}), widened);
  // Back from the abbreviation; what is typed stays a prefix (WMS), its variants are whole words.
  EXPECT_EQ(Listed({"--given", "WM", "--given-variants", "tolliver"}),
            (Names{"TOLLIVER\tBill", "TOLLIVER\tWilliam", "TOLLIVER\tWm.", "TOLLIVER\tWms"}));
  EXPECT_EQ(Listed({"--given", "john", "--given-variants", "tolliver"}), (Names{"TOLLIVER\tJno"}));
  EXPECT_EQ(Listed({"--given", "william", "--given-variants", "--match", "similar", "tolliver"}),
            (Names{"TOLLIVER\tBill", "TOLLIVER\tWilliam", "TOLLIVER\tWm.", "TOLIVER\tWm"}));
  EXPECT_EQ(Listed({"--given", "william", "--given-variants", "--company", "A", "tolliver"}),
            (Names{"TOLLIVER\tWilliam", "TOLLIVER\tWm."}));
  const RunResult show = Run("show", {"--given", "william", "--given-variants", "tolliver", "2"});
  EXPECT_EQ(show.exitCode, 0) << show.err;
  const std::size_t initial = show.out.find("Middle Initial:");
  ASSERT_NE(initial, std::string::npos) << show.out;
  EXPECT_EQ(show.out[show.out.find_first_not_of(" \r\n", initial + 15)], 'H') << "the third row is Wm. H";
  const RunResult pull = Run("pull-list", {"--given", "wm", "--given-variants", "tolliver"});
  EXPECT_EQ(pull.exitCode, 0) << pull.err;

  for (const auto& [args, message] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"--given-variants", "tolliver"}, "--given-variants: needs --given"},
           {{"--given", "wm", "--given-variants", "--log", "tolliver"}, "--given-variants: cannot be recorded with --log"}}) {
    const RunResult r = Run("search", args);
    EXPECT_EQ(r.exitCode, 2) << message;
    EXPECT_EQ(Lines(r.err).front(), "rollkit: " + message);
    EXPECT_EQ(r.out, "");
  }
}

}  // namespace
