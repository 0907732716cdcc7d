// What a roll's text can do on the way out: escape sequences and line breaks in names reach no
// terminal through text output (they are shown), --raw and JSON keep the exact text, and a CSV
// cell never starts a formula while dump and build still round-trip.
#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>

#include "records/csv_text.h"
#include "support/rollkit_runner.h"
#include "tools/rollkit/terminal_text.h"

namespace {

// Sets the terminal's title, writes its clipboard, and (0x9D, undefined in Windows-1252) the C1
// control OSC once converted to UTF-8.
const std::string kTitle = "\x1b]0;pwned\x07";
const std::string kClipboard = "\x1b]52;c;ZWNobyBoaQ==\x07";
const std::string kOsc = "\xC2\x9D";  // U+009D in the CSV, byte 0x9D on the roll

// Whether `text` holds a control character other than LF (and TAB where allowed), as bytes or
// as the UTF-8 of a C1 control.
bool HoldsControl(const std::string& text, bool tabAllowed) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b == '\n' || (tabAllowed && b == '\t')) continue;
    if (b < 0x20 || b == 0x7F) return true;
    if (b == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) <= 0x9F &&
        static_cast<unsigned char>(text[i + 1]) >= 0x80) {
      return true;
    }
  }
  return false;
}

class HostileTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string csv = std::string(kRollHeader) +
                            // A name that forges a row and a key with a title sequence.
                            "\"Evil" + kTitle + "\",\"Ann\r\nEVIL\tForged\tRow\",J,A," + kClipboard +
                            ",PVT,PVT,tab\there" + kOsc + ",1,2,3,U\n" + "Evil" + kTitle +
                            ",Bob,,B,5 IL INF,PVT,PVT,\"=HYPERLINK(\"\"http://x\"\")\","
                            "+cmd|' /C calc'!A0,@SUM(A1),-2+3,U\n";
    data = BuildRoll(dir, "roll", csv);
  }

  RunResult Rollkit(std::vector<std::string> args) {
    args.insert(args.begin() + 1, {"--data", data});
    return RunRollkit(args);
  }

  ScopedTempDir dir;
  std::string data;
};

}  // namespace

TEST_F(HostileTextTest, TextOutputShowsEveryControlCharacterAndKeepsItsRowsAndColumns) {
  const RunResult search = Rollkit({"search", "evil" + kTitle});
  ASSERT_EQ(search.exitCode, 0) << search.err;
  EXPECT_FALSE(HoldsControl(search.out, true)) << search.out;
  const std::vector<std::string> rows = Lines(search.out);
  ASSERT_EQ(rows.size(), 3u) << search.out;
  EXPECT_EQ(rows[1],
            "EVIL\\x1b]0;PWNED\\x07\tAnn\\x0d\\x0aEVIL\\x09Forged\\x09Row\tJ, A, "
            "\\x1b]52;c;ZWNobyBoaQ==\\x07, PV...");
  EXPECT_EQ(std::count(rows[2].begin(), rows[2].end(), '\t'), 2) << rows[2];

  const RunResult show = Rollkit({"show", "evil" + kTitle, "0", "1"});
  ASSERT_EQ(show.exitCode, 0) << show.err;
  EXPECT_FALSE(HoldsControl(show.out, false)) << show.out;
  EXPECT_NE(show.out.find("Misc: \ntab\\x09here\\x9d\n"), std::string::npos) << show.out;

  const RunResult keys = Rollkit({"keys"});
  ASSERT_EQ(keys.exitCode, 0) << keys.err;
  EXPECT_EQ(keys.out, "EVIL\\x1b]0;PWNED\\x07\t2\n");

  const RunResult pull = Rollkit({"pull-list", "evil" + kTitle});
  ASSERT_EQ(pull.exitCode, 0) << pull.err;
  EXPECT_FALSE(HoldsControl(pull.out, false)) << pull.out;

  // A message names what the user gave, shown the same way.
  const RunResult missing = RunRollkit({"search", "--data", dir / ("gone" + kTitle), "evil"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_FALSE(HoldsControl(missing.err, false)) << missing.err;
  EXPECT_NE(missing.err.find("gone\\x1b]0;pwned\\x07"), std::string::npos) << missing.err;
}

TEST_F(HostileTextTest, RawAndJsonKeepTheExactText) {
  const RunResult raw = Rollkit({"search", "--raw", "evil" + kTitle});
  ASSERT_EQ(raw.exitCode, 0) << raw.err;
  EXPECT_NE(raw.out.find("EVIL\x1b]0;PWNED\x07\tAnn\r\nEVIL\tForged"), std::string::npos);
  EXPECT_NE(RunRollkit({"keys", "--raw", "--data", data}).out.find("\x1b]0;PWNED\x07"), std::string::npos);
  EXPECT_NE(Rollkit({"show", "--raw", "evil" + kTitle, "0"}).out.find("tab\there\x9D"), std::string::npos);

  const RunResult json = Rollkit({"search", "--json", "evil" + kTitle});
  ASSERT_EQ(json.exitCode, 0) << json.err;
  EXPECT_FALSE(HoldsControl(json.out, false)) << json.out;
  EXPECT_NE(json.out.find("\\u009d"), std::string::npos) << json.out;
  const nlohmann::json document = nlohmann::json::parse(json.out);
  EXPECT_EQ(document["rows"][0]["name"], "Ann\r\nEVIL\tForged\tRow");
  EXPECT_EQ(document["rows"][0]["fields"][5], "tab\there" + kOsc);
}

TEST_F(HostileTextTest, CsvCellsNeverStartAFormulaAndDumpStillBuildsTheSameRoll) {
  const RunResult csv = Rollkit({"search", "--format", "csv", "evil" + kTitle});
  ASSERT_EQ(csv.exitCode, 0) << csv.err;
  for (const char* cell :
       {",\"'=HYPERLINK(\"\"http://x\"\")\",", ",'+cmd|' /C calc'!A0,", ",'@SUM(A1),", ",'-2+3,"}) {
    EXPECT_NE(csv.out.find(cell), std::string::npos) << cell << "\n" << csv.out;
  }

  const RunResult dumped = RunRollkit({"dump", "--data", data, dir / "dump.csv"});
  ASSERT_EQ(dumped.exitCode, 0) << dumped.err;
  const std::string dump = ReadFileBytes(dir / "dump.csv");
  EXPECT_NE(dump.find("\"'=HYPERLINK("), std::string::npos) << dump;
  EXPECT_NE(dump.find("\"'-2+3\""), std::string::npos) << dump;
  ASSERT_EQ(RunRollkit({"build", dir / "dump.csv", dir / "again"}).exitCode, 0);
  for (const char* file : {"/mroll.cor", "/mroll.ext", "/mroll.tre"}) {
    EXPECT_TRUE(ReadFileBytes(data + file) == ReadFileBytes(dir / "again" + file)) << file;
  }
}

// The rules themselves, over every byte and the cells next to the guard.
TEST(VisibleText, EveryControlCharacterIsShownAndNothingElseChanges) {
  for (int b = 1; b < 256; ++b) {
    const std::string shown = VisibleText(std::string(1, static_cast<char>(b)));
    const bool control =
        b < 0x20 || b == 0x7F || b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
    char code[5];
    std::snprintf(code, sizeof code, "\\x%02x", b);
    EXPECT_EQ(shown == code, control) << b << ": " << shown;
    EXPECT_FALSE(HoldsControl(shown, false)) << b;
  }
  EXPECT_EQ(VisibleDetailText("Misc: \r\nA\rB\r\r\n"), "Misc: \nA\\x0dB\\x0d\n");
  EXPECT_EQ(VisibleUtf8("caf\xC3\xA9 \xC2\x9B"
                        "2J \xE9\x1b"),
            "caf\xC3\xA9 \\x9b2J \\xe9\\x1b");
  EXPECT_EQ(JsonWithEscapedControls("{\"a\": \"\x7F\xC2\x9D\xC2\xA0\"}"),
            "{\"a\": \"\\u007f\\u009d\xC2\xA0\"}");
}

TEST(CsvFormulaGuard, ACellThatWouldRunGetsOneApostropheThatReadingTakesOff) {
  struct Case {
    std::string cell, written;
  };
  for (const Case& c : std::vector<Case>{{"=1+1", "'=1+1"},
                                         {"+1", "'+1"},
                                         {"-", "'-"},
                                         {"@x", "'@x"},
                                         {"\tx", "'\tx"},
                                         {"\rx", "'\rx"},
                                         {"'=x", "''=x"},
                                         {"''@x", "'''@x"},
                                         {"'", "'"},
                                         {"'x", "'x"},
                                         {"O'Brien", "O'Brien"},
                                         {" =x", " =x"},
                                         {"", ""}}) {
    EXPECT_EQ(GuardedCsvCell(c.cell), c.written) << c.cell;
    EXPECT_EQ(UnguardedCsvCell(c.written), c.cell) << c.written;
  }
  std::string record;
  AppendCsvRecord(std::vector<std::string>{"=A1,B1", "ok"}, &record);
  EXPECT_EQ(record, "\"'=A1,B1\",ok\r\n");
}
