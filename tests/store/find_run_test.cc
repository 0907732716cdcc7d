// Searches beyond the exact key: every match mode, the filters, the given name with them, paging
// across keys, rows that name their own surname, and a search stopped halfway.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/byte_order.h"
#include "results/result_list.h"
#include "store/index_walk.h"
#include "store/roll_database.h"
#include "store/search_request.h"
#include "support/held_files.h"
#include "support/scripted_message_box.h"
#include "support/test_roll.h"

namespace {

std::vector<std::string> Fields(const std::string& company, const std::string& unit, const std::string& side) {
  return {"J", company, unit, "PVT", "CORP", "", "12", "34", "56", side};
}

class Find : public ::testing::Test {
 protected:
  void SetUp() override {
    roll.Add("Smith", "JOHN", Fields("A", "18 ME INF", "U"));
    roll.Add("Smith", "JAMES", Fields("B", "3 GA CAV", "C"));
    roll.Add("Smith", "MARY", Fields("A", "25 BTRY OH LT ART", "U"));
    roll.Add("Smith", "JOSIAH", Fields("K", "3 GA CAV", " C "));
    roll.Add("Smyth", "JOHN", Fields("C", "1 ME CAV", "U"));
    roll.Add("Smyth", "ANN", Fields("C", "4 TX INF", "C"));
    roll.Add("Schmidt", "KARL", Fields("D", "9 OH INF", "U"));
    roll.Add("M\xFCller", "HANS", Fields("E", "6 MO INF", "C"));  // the index keeps the lower-case u-umlaut
    roll.Add("Mueller", "FRITZ", Fields("E", "6 MO INF", "U"));
    roll.Add("Muller", "OTTO", Fields("E", "6 MO INF", "U"));
    roll.Add("McDonald", "ANGUS", Fields("F", "79 NY INF", "U"));
    roll.Add("MacDonald", "RORY", Fields("F", "79 NY INF", "U"));
    roll.Add("McDonlad", "IAN", Fields("F", "79 NY INF", "U"));
    roll.Add("Jones", "ABEL", {"J", "G"});  // a short line: no unit, no side
    for (int i = 0; i < 23; ++i) roll.Add("Smithers", "N" + std::to_string(100 + i), Fields("H", "2 ME INF", "U"));
    roll.Build();
  }

  FindOutcome Run(const std::string& surname, MatchMode mode, EntryFilter filter = {}, const std::string& given = "",
                  const FindProgress& progress = {}) {
    request.SetSurname(surname.c_str());
    request.SetDatabase(1);
    if (!given.empty()) request.SetGivenName(given.c_str());
    return s.Find(request, FindOptions{mode, filter}, progress);
  }

  FoundSpan Span(int row) const {
    FoundSpan span;
    EXPECT_TRUE(s.list.RowSpan(row, &span));
    return span;
  }

  // "SURNAME NAME" of every row of every page, paging forward.
  std::vector<std::string> AllRows() {
    std::vector<std::string> rows;
    for (int guard = 0; guard < 100; ++guard) {
      for (int i = 0; i < s.list.RowCount(); ++i) {
        char text[kFormattedRowSize];
        s.list.FormatRow(i, text);
        const std::string row(text);
        rows.push_back(row.substr(0, row.find('\t')) + " " + s.list.Row(i).nameText);
      }
      if (!s.list.HasNextPage()) break;
      s.list.NextPage();
    }
    return rows;
  }

  TestRoll roll;
  ScriptedMessageBox boxes;
  SearchSession s{roll.location};
  SearchRequest request;
};

using Rows = std::vector<std::string>;

}  // namespace

TEST_F(Find, WildcardsMatchTheWholeSurnameOfEachKey) {
  ASSERT_EQ(Run("sm?th", MatchMode::kExact), FindOutcome::kShown);  // a ? switches wildcards on
  EXPECT_TRUE(s.list.IsFound());
  EXPECT_EQ(AllRows(), (Rows{"SMITH JAMES", "SMITH JOHN", "SMITH JOSIAH", "SMITH MARY", "SMYTH ANN", "SMYTH JOHN"}));
  Run("M*LLER", MatchMode::kWildcard);
  EXPECT_EQ(AllRows(), (Rows{"MUELLER FRITZ", "MULLER OTTO", "M\xFCLLER HANS"}));
  Run("*", MatchMode::kWildcard);
  EXPECT_EQ(s.list.ResultCount(), 37);
  // A pattern stays a pattern whatever mode is chosen: no code or distance of "M*LLER" means
  // anything.
  Run("M*LLER", MatchMode::kDaitchMokotoff);
  EXPECT_EQ(AllRows(), (Rows{"MUELLER FRITZ", "MULLER OTTO", "M\xFCLLER HANS"}));
}

TEST_F(Find, SoundsLikeFindsTheSpellingsOfOneSoundWithTheTypedKeyFirst) {
  Run("Muller", MatchMode::kSoundex);
  EXPECT_EQ(AllRows(), (Rows{"MULLER OTTO", "MUELLER FRITZ", "M\xFCLLER HANS"}));
  EXPECT_EQ(DescribeMatch(MatchMode::kSoundex, Span(0).detail), "Soundex M460");
  Run("Schmidt", MatchMode::kDaitchMokotoff);
  EXPECT_EQ(AllRows(), (Rows{"SCHMIDT KARL", "SMITH JAMES", "SMITH JOHN", "SMITH JOSIAH", "SMITH MARY", "SMYTH ANN", "SMYTH JOHN"}));
  EXPECT_EQ(DescribeMatch(MatchMode::kDaitchMokotoff, Span(1).detail), "Daitch-Mokotoff 463000");
}

TEST_F(Find, SimilarSpellingFindsClerksSlips) {
  Run("McDonald", MatchMode::kSimilar);
  EXPECT_EQ(AllRows(), (Rows{"MCDONALD ANGUS", "MACDONALD RORY", "MCDONLAD IAN"}));
  EXPECT_EQ(Span(0).detail, 0);
  EXPECT_EQ(Span(2).detail, 1);  // a transposition is one edit
}

TEST_F(Find, FiltersKeepOnlyTheEntriesWhoseFieldsPass) {
  EntryFilter confederate;
  confederate.side = 'C';
  Run("Smith", MatchMode::kExact, confederate);
  EXPECT_EQ(AllRows(), (Rows{"SMITH JAMES", "SMITH JOSIAH"}));  // " C " counts: blanks around are ignored

  EntryFilter maine;
  maine.state = "me";
  Run("Sm*", MatchMode::kWildcard, maine);
  EXPECT_EQ(s.list.ResultCount(), 25);  // Smith of Maine, Smyth of Maine, 23 Smithers

  EntryFilter unit;
  unit.unit = "lt art";
  unit.company = "a";
  Run("*", MatchMode::kWildcard, unit);
  EXPECT_EQ(AllRows(), (Rows{"SMITH MARY"}));

  // An entry without the fields never passes a filter that asks about them.
  EntryFilter any;
  any.side = 'U';
  Run("Jones", MatchMode::kExact, any);
  EXPECT_EQ(s.list.ResultCount(), 0);
  EXPECT_EQ(s.list.RowCount(), 0);
  EXPECT_FALSE(s.list.HasNextPage());
}

TEST_F(Find, AGivenNameNarrowsEveryKeyAsItNarrowsOne) {
  EntryFilter none;
  Run("Sm?th", MatchMode::kWildcard, none, "jo");
  EXPECT_EQ(AllRows(), (Rows{"SMITH JOHN", "SMITH JOSIAH", "SMYTH JOHN"}));
  EntryFilter unionSide;
  unionSide.side = 'U';
  Run("Sm?th", MatchMode::kWildcard, unionSide, "jo");
  EXPECT_EQ(AllRows(), (Rows{"SMITH JOHN", "SMYTH JOHN"}));
  EXPECT_EQ(ReadFileBytes(roll.familyDir + "history.buf"), "") << "no shared file is written";
}

TEST_F(Find, PagesRunAcrossKeysForwardsAndBack) {
  Run("Smith*", MatchMode::kWildcard);
  ASSERT_EQ(s.list.ResultCount(), 27);
  // SMITH (4 rows) first: the typed key is not a key here, so key order throughout.
  std::vector<std::string> firstPage;
  for (int i = 0; i < s.list.RowCount(); ++i) firstPage.push_back(s.list.Row(i).nameText);
  EXPECT_EQ(s.list.RowCount(), 10);
  EXPECT_FALSE(s.list.HasPreviousPage());
  s.list.NextPage();
  s.list.NextPage();
  EXPECT_EQ(s.list.RowCount(), 7);
  EXPECT_FALSE(s.list.HasNextPage());
  EXPECT_TRUE(s.list.HasPreviousPage());
  s.list.PreviousPage();
  s.list.PreviousPage();
  std::vector<std::string> again;
  for (int i = 0; i < s.list.RowCount(); ++i) again.push_back(s.list.Row(i).nameText);
  EXPECT_EQ(again, firstPage);
  char text[kFormattedRowSize];
  s.list.FormatRow(4, text);
  EXPECT_STREQ(text, "SMITHERS\tN100\tJ, H, 2 ME INF, PVT, ...");
  EXPECT_NE(std::string(s.list.DetailText(4)).find("2 ME INF"), std::string::npos);
  // Eight rows a page on a large font.
  s.list.SetRowsPerPage(true);
  Run("Smith*", MatchMode::kWildcard);
  EXPECT_EQ(s.list.RowCount(), 8);
}

TEST_F(Find, NothingFoundIsAnEmptyResult) {
  Run("Xyzzy", MatchMode::kSoundex);
  EXPECT_EQ(s.list.ResultCount(), 0);
  EXPECT_EQ(s.list.RowCount(), 0);
  EXPECT_FALSE(s.list.HasNextPage());
  EXPECT_FALSE(s.list.HasPreviousPage());
}

TEST_F(Find, TheExactModeWithoutAFilterIsTheClassicSearch) {
  Run("Smith", MatchMode::kExact, {}, "j");
  EXPECT_FALSE(s.list.IsFound());
  EXPECT_TRUE(s.list.IsFiltered());
  EXPECT_EQ(s.list.ResultCount(), 3);
}

TEST_F(Find, AStoppedSearchLeavesThePreviousResult) {
  Run("Smith", MatchMode::kSoundex);
  const std::int32_t before = s.list.ResultCount();
  EntryFilter any;
  any.side = 'U';
  int calls = 0;
  // A roll this small never reaches the first report; a larger one is made for it.
  TestRoll big;
  for (int i = 0; i < 70000; ++i) big.Add("Smith", "N" + std::to_string(i), Fields("A", "18 ME INF", "U"));
  big.Build();
  SearchSession other(big.location);
  SearchRequest r;
  r.SetSurname("Smith");
  r.SetDatabase(1);
  other.Search("Smith");
  ASSERT_EQ(other.list.ResultCount(), 70000);
  EXPECT_EQ(other.Find(r, FindOptions{MatchMode::kExact, any},
                       [&](int percent) {
                         ++calls;
                         EXPECT_GE(percent, 0);
                         EXPECT_LE(percent, 100);
                         return false;
                       }),
            FindOutcome::kCancelled);
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(other.list.IsFound());
  EXPECT_EQ(other.list.ResultCount(), 70000);
  EXPECT_EQ(s.list.ResultCount(), before);
  // Allowed to finish, the same search gives every entry.
  EXPECT_EQ(other.Find(r, FindOptions{MatchMode::kExact, any}, [](int) { return true; }),
            FindOutcome::kShown);
  EXPECT_EQ(other.list.ResultCount(), 70000);
}

TEST_F(Find, TheCatalogueIsKeptWhileTheFilesStayTheSame) {
  Run("Smith", MatchMode::kSoundex);
  const KeyCatalogue* catalogue = s.database.Catalogue();
  ASSERT_NE(catalogue, nullptr);
  EXPECT_EQ(catalogue->Size(), 11u);
  Run("Jones", MatchMode::kSimilar);
  EXPECT_EQ(s.database.Catalogue(), catalogue);
  // Another roll in the same place: walked afresh.
  TestRoll other;
  other.Add("Adams", "X");
  other.Build();
  for (const char* f : {"mroll.cor", "mroll.ext", "mroll.tre"}) {
    REPLACE_HELD_FILE_OR_SKIP(other.dataDir + f, roll.dataDir + f);
  }
  Run("Adams", MatchMode::kSoundex);
  EXPECT_EQ(s.database.Catalogue()->Size(), 1u);
  EXPECT_EQ(AllRows(), (Rows{"ADAMS X"}));
}

TEST_F(Find, ADiskPromptCancelledGivesAnEmptyResult) {
  Run("Smith", MatchMode::kSoundex);
  std::remove((roll.dataDir + "mrdb.id").c_str());
  boxes.Answer({kIdCancel});
  EXPECT_EQ(Run("Smith", MatchMode::kSoundex), FindOutcome::kNoData);
  EXPECT_EQ(s.list.ResultCount(), 0);
}

// An index whose runs overlap or leave the name file is damage: the catalogue keeps each slot for
// one key only (the run that starts first) and inside the file, so no search over many keys lists
// more rows than the roll has or holds more than one slot number per slot; the answer says so. An
// empty run may say anything about where it starts.
TEST_F(Find, RunsThatOverlapOrLeaveTheNameFileAreDamageAndBoundEveryFind) {
  const std::string tre = roll.dataDir + "mroll.tre";
  std::string bytes = ReadFileBytes(tre);
  WalkIndexBytes(
      bytes, [](const std::string&) {},
      [&](const WalkedEntry& e) {
        auto* entry =
            reinterpret_cast<unsigned char*>(bytes.data() + e.nodeOffset + 4 + e.position * kIndexEntrySize);
        const bool smyth = e.key.substr(0, 5) == "SMYTH";  // Smyth's runs past the end
        const bool schmidt = e.key.substr(0, 7) == "SCHMIDT";  // Schmidt's is empty, far past the end
        EncodeFixed32(entry, smyth ? 30 : schmidt ? 0x57000000 : 0);
        EncodeFixed32(entry + 4, smyth ? 100 : schmidt ? 0 : 37);
      });
  WriteFileBytes(tre, bytes);

  Run("*", MatchMode::kWildcard);
  EXPECT_EQ(s.list.ResultCount(), 37) << "every slot once";
  ASSERT_NE(s.list.Answer(), nullptr);
  EXPECT_EQ(s.list.Answer()->DamagedIndex(), tre);
  EXPECT_LE(s.list.Answer()->Bytes(), 4096u);
  Run("*", MatchMode::kWildcard, {}, "j");
  EXPECT_LE(s.list.ResultCount(), 37);
  EXPECT_LE(s.list.Answer()->Bytes(), 4096u);
  Run("Smith", MatchMode::kSoundex);
  EXPECT_LE(s.list.ResultCount(), 37);
  const KeyCatalogue* catalogue = s.database.Catalogue();
  ASSERT_NE(catalogue, nullptr);
  EXPECT_TRUE(catalogue->Damaged());
  std::int64_t listed = 0;
  for (std::size_t k = 0; k < catalogue->Size(); ++k) {
    const std::int64_t first = catalogue->FirstSlot(k);
    const std::int64_t count = catalogue->SlotCount(k);
    EXPECT_TRUE(count >= 0 && first >= 0 && (count == 0 || first + count <= 37)) << catalogue->Key(k);
    listed += count;
  }
  EXPECT_EQ(listed, 37);

  // The plain search shows the index's own count, as the count line always has.
  s.Search("Jones");
  EXPECT_EQ(s.list.ResultCount(), 37);

  // A sound roll is no damage.
  TestRoll sound;
  sound.Add("Adams", "X");
  sound.Build();
  SearchSession other(sound.location);
  other.Find(request, FindOptions{MatchMode::kWildcard, {}});
  EXPECT_EQ(other.list.Answer()->DamagedIndex(), "");
  EXPECT_FALSE(other.database.Catalogue()->Damaged());
}
