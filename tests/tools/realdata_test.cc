// The real-world corpus: the Union soldiers of 1861-65 from the Medal of Honor list in
// ../shared/realdata, converted to a roll at run time (the file itself is not part of the project),
// built, checked, searched and dumped. Skipped when the shared folder is absent.
#include <filesystem>
#include <map>
#include <set>

#include <gtest/gtest.h>

#include "support/rollkit_runner.h"
#include "tools/rollkit/csv_io.h"

namespace {

const std::string kCorpus = std::string(REALDATA_DIR) + "/medal_of_honor.csv";

// "Surname, Given M." (sometimes ", Jr.") -> surname, given name, middle initial.
void SplitName(const std::string& full, std::string* surname, std::string* given, std::string* initial) {
  const std::size_t comma = full.find(", ");
  *surname = full.substr(0, comma);
  *given = comma == std::string::npos ? "" : full.substr(comma + 2);
  initial->clear();
  const std::size_t space = given->rfind(' ');
  if (space != std::string::npos && given->size() - space == 3 && given->back() == '.') {
    *initial = given->substr(space + 1, 1);
    given->resize(space);
  }
}

class RealDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(kCorpus)) GTEST_SKIP() << kCorpus << " is absent";
    std::FILE* out = std::fopen((dir / "soldiers.csv").c_str(), "wb");
    ASSERT_NE(out, nullptr);
    {
      CsvWriter writer(out);
      std::map<std::string, std::size_t> column;
      std::string error;
      const bool read = ReadCsvFile(kCorpus, [&](const CsvRecord& r, std::string*) {
        if (column.empty()) {
          for (std::size_t i = 0; i < r.fields.size(); ++i) column[r.fields[i]] = i;
          writer.Write({"surname", "name", "middle_initial", "company", "unit", "rank_in", "rank_out", "misc",
                        "box", "roll", "record", "side"});
          return true;
        }
        const std::string& year = r.fields.at(column.at("awarded.date.year"));
        if (year < "1861" || year > "1865") return true;
        std::string surname, given, initial;
        SplitName(r.fields.at(column.at("name")), &surname, &given, &initial);
        std::string company = r.fields.at(column.at("military record.company"));
        if (company.rfind("Company ", 0) == 0) company = company.substr(8);
        const std::string& rank = r.fields.at(column.at("military record.rank"));
        std::string citation = r.fields.at(column.at("awarded.citation"));
        for (char& c : citation) {
          if (c == '\r' || c == '\n') c = ' ';  // a roll's fields are one line
        }
        writer.Write({surname, given, initial, company, r.fields.at(column.at("military record.division")), rank, rank,
                      citation, " ", " ", " ", "U"});
        ++soldiers;
        return true;
      }, &error);
      ASSERT_TRUE(read) << error;
      ASSERT_TRUE(writer.Finish());
    }
    std::fclose(out);
    const RunResult built = RunRollkit({"build", dir / "soldiers.csv", dir / "db"});
    ASSERT_EQ(built.exitCode, 0) << built.err;
  }

  ScopedTempDir dir;
  int soldiers = 0;
};

TEST_F(RealDataTest, BuildsChecksSearchesAndRoundTrips) {
  EXPECT_EQ(soldiers, 1110);
  const RunResult check = RunRollkit({"check", dir / "db"});
  EXPECT_EQ(check.exitCode, 0) << check.out;
  EXPECT_NE(check.out.find("(1110 slots"), std::string::npos) << check.out;

  const auto hack = Lines(RunRollkit({"search", "--data", dir / "db", "--given", "john", "hack"}).out);
  ASSERT_EQ(hack.size(), 2u);
  EXPECT_EQ(hack[1], "HACK\tJohn\tB, 47th Ohio Infantry, Private...");
  const RunResult detail = RunRollkit({"show", "--data", dir / "db", "Hack", "0"});
  EXPECT_NE(detail.out.find("Misc: \nWas one of a party which volunteered and attempted to run the\n enemy's"),
            std::string::npos) << detail.out;
  // A name with an apostrophe, and a surname shared by many.
  EXPECT_EQ(RunRollkit({"search", "--data", dir / "db", "O'Brien"}).exitCode, 0);
  EXPECT_GT(Lines(RunRollkit({"search", "--data", dir / "db", "smith"}).out).size(), 5u);
  // Sounds-like over real surnames: the keys it lists are the ones its rows come from, all of one
  // code, and there are more of them than the exact key's.
  std::set<std::string> soundexKeys;
  for (const std::string& line : Lines(RunRollkit({"keys", "--data", dir / "db", "--match", "soundex", "smith"}).out)) {
    EXPECT_EQ(line.substr(line.rfind('\t') + 1), "Soundex S530") << line;
    soundexKeys.insert(line.substr(0, line.find('\t')));
  }
  EXPECT_GT(soundexKeys.size(), 1u);
  EXPECT_TRUE(soundexKeys.count("SMITH"));
  std::set<std::string> rowKeys;
  for (const std::string& line : Lines(RunRollkit({"search", "--data", dir / "db", "--match", "soundex", "smith"}).out)) {
    if (line.find('\t') != std::string::npos) rowKeys.insert(line.substr(0, line.find('\t')));
  }
  EXPECT_EQ(rowKeys, soundexKeys);

  ASSERT_EQ(RunRollkit({"dump", "--data", dir / "db", dir / "dump.csv"}).exitCode, 0);
  ASSERT_EQ(RunRollkit({"build", dir / "dump.csv", dir / "again"}).exitCode, 0);
  for (const char* file : {"mroll.cor", "mroll.ext", "mroll.tre"}) {
    EXPECT_TRUE(ReadFileBytes(dir / ("db/" + std::string(file))) == ReadFileBytes(dir / ("again/" + std::string(file)))) << file;
  }
}

}  // namespace
