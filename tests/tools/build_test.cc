// build: refusals name the CSV line and leave nothing behind; existing databases are kept unless
// --force; the name length and the listing order are as asked.
#include <gtest/gtest.h>

#include "platform/byte_order.h"
#include "support/rollkit_runner.h"

namespace {

const char* const kGoodRow = "Smith,John,J,A,5 IL INF,PVT,PVT,,1,2,3,U\n";

TEST(BuildTest, RefusesBadInputNamingTheLineAndWritesNothing) {
  struct Case {
    std::string rows;  // after the header and one good row (lines 1 and 2)
    std::string message;
  };
  const std::string longName(255, 'n');
  const std::string longField(4990, 'f');
  const Case cases[] = {
      {"Smith,\xC4\x80,J,A,5 IL INF,PVT,PVT,,1,2,3,U\n", ":3: name: character U+0100 is not in Windows-1252"},
      {"Smith,John,J,A,5 IL INF,PVT,PVT,\xC3\xBF,1,2,3,U\n",
       ":3: column 8: the character \xC3\xBF cannot be stored (it separates fields)"},
      {"Smith,John,J,A,5 IL INF,PVT,PVT,\"two\nlines\",1,2,3,U\n",
       ":3: column 8: holds a line feed, which ends the entry's line"},
      {std::string("Smith,Jo\0hn,J,A,5 IL INF,PVT,PVT,,1,2,3,U\n", 42), ":3: name: holds a NUL character, which ends the text"},
      {std::string("Sm\0ith,John,J,A,5 IL INF,PVT,PVT,,1,2,3,U\n", 42),
       ":3: surname: holds a NUL character, which ends the text"},
      {"Smith,John,J,A,5 IL INF,PVT,PVT,,1,2,3,U,extra\n", ":3: 13 columns where the header has 12"},
      {"Smith\n", ":3: 1 column where the header has 12"},
      {"Abcdefghijklmnopqrstuvwx,John,J,A,5 IL INF,PVT,PVT,,1,2,3,U\n", ":3: surname key longer than 23 characters"},
      {",John,J,A,5 IL INF,PVT,PVT,,1,2,3,U\n", ":3: empty surname"},
      {"Smith," + longName + ",J,A,5 IL INF,PVT,PVT,,1,2,3,U\n", ":3: name text of 255 bytes (at most 254)"},
      {"Smith,John,J,A,5 IL INF,PVT,PVT," + longField + ",1,2,3,U\n", ":3: entry line of 5021 bytes (at most 4999)"},
      {"Smith,John,J,A,5 IL\"INF,PVT,PVT,,1,2,3,U\n",
       ":3: malformed CSV record (error parsing data while strict checking enabled)"},
      {"Smith,John,J,A,5 IL INF,PVT,PVT,,1,2,3,U\nSmith,\"John,J\n", ":4: malformed CSV record (quoted field not closed)"},
      {"Smith,John,J,A,5 IL INF,PVT,PVT,,1,2,3,U\n\nSmith,\xE9,J,A,5 IL INF,PVT,PVT,,1,2,3,U\n",
       ":5: name: invalid UTF-8"},
  };
  for (const Case& c : cases) {
    ScopedTempDir dir;
    WriteFileBytes(dir / "in.csv", std::string(kRollHeader) + kGoodRow + c.rows);
    const RunResult r = RunRollkit({"build", dir / "in.csv", dir / "db"});
    EXPECT_EQ(r.exitCode, 1) << c.message;
    EXPECT_EQ(r.err, RollkitLine(dir / "in.csv" + c.message));
    EXPECT_EQ(ListDir(dir.Path()), std::vector<std::string>{"in.csv"}) << c.message;
  }
}

// A short row is an entry whose line holds fewer fields: it builds, with a note naming the first
// such row, and stays short (the viewer and dump see the fields it has and no more).
TEST(BuildTest, ARowWithFewerColumnsIsAnEntryWithFewerFields) {
  ScopedTempDir dir;
  WriteFileBytes(dir / "in.csv", std::string(kRollHeader) + kGoodRow + "Jones,Mary,,B\nJones,Ann\n");
  const RunResult r = RunRollkit({"build", dir / "in.csv", dir / "db"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, RollkitLine("note: " + dir / "in.csv" +
                               ":3: 2 rows, the first here, have fewer columns than the header's 12; their "
                               "entries' lines hold fewer fields"));
  // Ann: no field at all; Mary: two fields, the first empty; John: all twelve columns.
  EXPECT_EQ(ReadFileBytes(dir / "db/mroll.ext"),
            "\n"
            "\xFF" "B\xFF\n"
            "J\xFF" "A\xFF" "5 IL INF\xFFPVT\xFFPVT\xFF\xFF" "1\xFF" "2\xFF" "3\xFFU\xFF\n");
  const RunResult json = RunRollkit({"search", "--data", dir / "db", "--json", "--given", "mary", "jones"});
  EXPECT_EQ(json.out, "{\"count\": 1, \"rows\": [{\"fields\":[\"\",\"B\"],\"name\":\"Mary\",\"summary\":\"B,  \","
                      "\"surname\":\"JONES\"}]}\n");
}

TEST(BuildTest, KeepsAnExistingDatabaseUnlessForced) {
  ScopedTempDir dir;
  const std::string db = BuildRoll(dir, "db", std::string(kRollHeader) + kGoodRow);
  const std::string index = ReadFileBytes(db + "/mroll.tre");
  WriteFileBytes(dir / "other.csv", std::string(kRollHeader) + "Jones,Mary,,B,2 VA CAV,PVT,PVT,,1,2,3,C\n");

  const RunResult kept = RunRollkit({"build", dir / "other.csv", db});
  EXPECT_EQ(kept.exitCode, 1);
  EXPECT_EQ(kept.err, RollkitLine(db + "/mroll.cor: exists; use --force to replace the database"));
  EXPECT_EQ(ReadFileBytes(db + "/mroll.tre"), index);

  const RunResult forced = RunRollkit({"build", "--force", dir / "other.csv", db});
  ASSERT_EQ(forced.exitCode, 0) << forced.err;
  EXPECT_EQ(Lines(RunRollkit({"search", "--data", db, "jones"}).out).front(), "1 records found.");
  EXPECT_EQ(Lines(RunRollkit({"search", "--data", db, "smith"}).out).front(), "0 records found.");
  EXPECT_EQ(ListDir(db), (std::vector<std::string>{"mrdb.id", "mroll.cor", "mroll.ext", "mroll.tre"}));
  EXPECT_TRUE(ReadFileBytes(db + "/mrdb.id").empty());
}

TEST(BuildTest, NameLengthAndListingOrder) {
  ScopedTempDir dir;
  std::string csv = kRollHeader;
  for (const char* name : {"b", "A", "a", "Bob", "B"}) {
    csv += std::string("Smith,") + name + ",,A,5 IL INF,PVT,PVT,,1,2,3,U\n";
  }
  const std::string db = BuildRoll(dir, "db", csv);
  const std::string names = ReadFileBytes(db + "/mroll.cor");
  ASSERT_GE(names.size(), 4u);
  EXPECT_EQ(DecodeFixed32(reinterpret_cast<const unsigned char*>(names.data() + names.size() - 4)), 4)
      << "default: the longest name text + 1";
  // Stable by upper-cased name text: A and a keep their input order, so do b and B.
  const auto lines = Lines(RunRollkit({"search", "--data", db, "smith"}).out);
  ASSERT_EQ(lines.size(), 6u);
  const std::vector<std::string> order = {lines[1].substr(6, 2), lines[2].substr(6, 2), lines[3].substr(6, 2),
                                          lines[4].substr(6, 2), lines[5].substr(6, 4)};
  EXPECT_EQ(order, (std::vector<std::string>{"A\t", "a\t", "b\t", "B\t", "Bob\t"}));

  WriteFileBytes(dir / "c.csv", csv);
  EXPECT_EQ(RunRollkit({"build", "--name-length", "40", dir / "c.csv", dir / "wide"}).exitCode, 0);
  const std::string wide = ReadFileBytes(dir / "wide/mroll.cor");
  EXPECT_EQ(wide.size(), 5u * 44 + 4);
  const RunResult narrow = RunRollkit({"build", "--name-length", "3", dir / "c.csv", dir / "narrow"});
  EXPECT_EQ(narrow.exitCode, 1);
  EXPECT_EQ(narrow.err, RollkitLine(dir / "c.csv:5: name text of 3 bytes (at most 2)"));
}

}  // namespace
