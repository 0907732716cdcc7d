// The bound counts what an answer cannot do without, and the engine's screen does what the view's
// commands do.
#include "answer_bound.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "engine_screen.h"
#include "roll_catalog.h"
#include "search_screen.h"
#include "store/companion_reader.h"
#include "store/key_catalogue.h"
#include "support/scripted_message_box.h"
#include "support/test_roll.h"

namespace {

class AnswerBound : public ::testing::Test {
 protected:
  void SetUp() override {
    // 25 entries of SMITH, every third a JOHN; lines of known lengths. The roll lists a surname's
    // entries by name: the nine JOHNs (0, 3, ... 24), then the PETERs.
    for (int i = 0; i < 25; ++i) {
      roll.Add("Smith", i % 3 == 0 ? "John" : "Peter", {std::string(static_cast<std::size_t>(i + 1), 'F')});
    }
    for (int i = 0; i < 30; ++i)
      roll.Add("Other" + std::string(1, static_cast<char>('A' + i % 26)) + std::to_string(i), "A");
    roll.Add("Zed", "A");
    roll.Build(20);
  }

  // The node bytes of a lookup of SMITH.
  std::int64_t Nodes() {
    RollDatabase db(roll.location, NoPromptDialogue());
    EXPECT_EQ(db.Open(1), 1);
    return static_cast<std::int64_t>(LookupDepth(*db.Index(), KeyOf("Smith"))) * kIndexNodeSize;
  }

  TestRoll roll;
  static constexpr std::int64_t kSlot = 24;  // L = 20
};

TEST_F(AnswerBound, CountsTheLookupPathTheSlotsLookedAtAndThePageLines) {
  EngineScreen s(roll.location);
  // Each line is its field, the separator and the LF.
  auto lines = [](std::initializer_list<int> entries) {
    std::int64_t n = 0;
    for (int i : entries) n += i + 1 + 2;
    return n;
  };

  s.Search("Smith", "");
  AnswerBytes a = SearchAnswerBytes(s, "Smith", false);
  EXPECT_GT(a.nodes, 0);
  EXPECT_EQ(a.nodes, Nodes());
  EXPECT_EQ(a.slots, 10 * kSlot);
  EXPECT_EQ(a.lines, lines({0, 3, 6, 9, 12, 15, 18, 21, 24, 1}));

  // A given name in a run kept in name order: a bisection of the 25 slots to each end of the
  // JOHNs (4 slots each), one when nothing matches; nothing of the filter buffer is counted.
  s.Search("Smith", "JOHN");
  ASSERT_EQ(s.Count(), 9);
  a = SearchAnswerBytes(s, "Smith", true);
  EXPECT_EQ(a.nodes, Nodes());
  EXPECT_EQ(a.slots, 2 * 4 * kSlot);
  EXPECT_EQ(a.lines, lines({0, 3, 6, 9, 12, 15, 18, 21, 24}));
  s.Search("Smith", "XQZY");
  ASSERT_EQ(s.Count(), 0);
  EXPECT_EQ(SearchAnswerBytes(s, "Smith", true).slots, 4 * kSlot);

  s.Search("Smith", "");
  s.NextPage();
  s.NextPage();
  a = PageAnswer(s);
  EXPECT_EQ(a.Total(), 5 * kSlot + lines({17, 19, 20, 22, 23}));
  EXPECT_EQ(DetailAnswer(s, 4).Total(), lines({23}));
  EXPECT_EQ(DetailAnswer(s, 5).Total(), 0);

  // A kilobyte at a gigabyte a second is a microsecond, and the marker's open and close add theirs.
  a = AnswerBytes{};
  a.lines = 1000;
  EXPECT_DOUBLE_EQ(BoundNs(a, 1e9, 2500), 3500);
}

// A given name is charged a bisection only in a run whose names are in order; a run out of order
// (here SMITH's with the ZED entry after it, named A) is charged every slot.
TEST_F(AnswerBound, OnlyARunInNameOrderIsBisected) {
  EngineScreen s(roll.location);
  s.Search("Smith", "JOHN");
  std::int32_t first = -1, count = 0;
  s.database.Index()->Lookup(KeyOf("Smith").c_str(), &first, &count);
  ASSERT_EQ(count, 25);
  EXPECT_TRUE(RunInNameOrder(s.database, first, count));
  EXPECT_FALSE(RunInNameOrder(s.database, first, count + 1));
}

// The bound charges the fewest looks a bisection can make, so the engine's own bisection
// (OrderedBound, with the companion) never looks at fewer, wherever the value stands; and some
// value makes it look at no more, so the bound is not lower than it has to be.
TEST(Bisection, ChargesTheFewestLooksOfABisectionOfTheRun) {
  EXPECT_EQ(BisectionProbes(0), 0);
  EXPECT_EQ(BisectionProbes(1), 1);
  EXPECT_EQ(BisectionProbes(2), 1);
  EXPECT_EQ(BisectionProbes(3), 2);
  EXPECT_EQ(BisectionProbes(7), 3);
  EXPECT_EQ(BisectionProbes(8), 3);
  EXPECT_EQ(BisectionProbes(275474), 18);
  for (std::int32_t n = 0; n <= 300; ++n) {
    std::int64_t fewest = -1;
    for (std::int32_t at = 0; at <= n; ++at) {
      std::int64_t looks = 0;
      const std::int32_t found = OrderedBound(0, n, [&](std::int32_t slot) {
        ++looks;
        return slot < at;
      });
      ASSERT_EQ(found, at);
      ASSERT_GE(looks, BisectionProbes(n)) << n << " " << at;
      fewest = fewest < 0 ? looks : std::min(fewest, looks);
    }
    EXPECT_EQ(fewest, BisectionProbes(n)) << n;
  }
}

TEST_F(AnswerBound, FindChargesItsTablesByTheWayItsAnswerCanBeFound) {
  EngineScreen s(roll.location);
  const std::int64_t keys = 31;  // SMITH, the 30 OTHER... keys, ZED
  const std::int64_t smith = kKeyRecordBytes + 5;

  // `*`: the roll's stored total and the first page's ten keys, each named on its row; no key
  // is looked for.
  s.Find("*", FindOptions{});
  ASSERT_EQ(s.Count(), 56);
  AnswerBytes a = WildcardAnswer(s, "*");
  EXPECT_EQ(a.lists, kStoredCountBytes);
  EXPECT_EQ(a.slots, 10 * kSlot);
  std::int64_t pageKeys = 0;
  for (int i = 0; i < 10; ++i) {
    FoundSpan span;
    ASSERT_TRUE(s.list.RowSpan(i, &span));
    pageKeys += kKeyRecordBytes + static_cast<std::int64_t>(span.surname.size());
  }
  EXPECT_EQ(a.keys, pageKeys);

  // A start and one `*`: two bisections of the keys and two prefix sums, not every S key.
  s.Find("S*", FindOptions{});
  a = WildcardAnswer(s, "S*");
  EXPECT_EQ(a.keys, 2 * BisectionProbes(keys) * (4 + 1) + smith);
  EXPECT_EQ(a.lists, kStoredCountBytes);

  // A `?` after the start: every key that begins with it is tested (and the page's key is one).
  s.Find("SM?TH*", FindOptions{});
  ASSERT_EQ(s.Count(), 25);
  a = WildcardAnswer(s, "SM?TH*");
  EXPECT_EQ(a.keys, 2 * BisectionProbes(keys) * (4 + 2) + smith);
  EXPECT_EQ(a.lists, 0);

  // Similar spelling reads every surname of the roll once.
  FindOptions similar;
  similar.mode = MatchMode::kSimilar;
  s.Find("Smyth", similar);
  ASSERT_GT(s.Count(), 0);
  std::int64_t surnames = 0;
  for (std::size_t i = 0; i < s.database.Catalogue()->Size(); ++i)
    surnames += static_cast<std::int64_t>(s.database.Catalogue()->Surname(i).size());
  a = SimilarAnswer(s);
  EXPECT_EQ(a.keys, surnames + kKeyRecordBytes * static_cast<std::int64_t>(s.list.Found()->SpanCount()));
  EXPECT_EQ(a.slots, 10 * kSlot);
}

// A filter is charged a stored count and the slot number of each row it shows, not the entries
// it passes over: over a surname, its lookup path; over the whole roll, the keys its rows name.
TEST(FilterBound, ChargesTheCountAndTheRowsShown) {
  TestRoll roll;
  for (int i = 0; i < 12; ++i) {
    std::vector<std::string> fields = SampleFields();
    fields[9] = i % 4 == 0 ? "C" : "U";
    roll.Add("Smith", "John", fields);
    roll.Add("Jones", "Ann", fields);
  }
  roll.Build(20);
  EngineScreen s(roll.location);
  FindOptions confederate;
  confederate.filter.side = 'C';
  s.Find("Smith", confederate);
  ASSERT_EQ(s.Count(), 3);
  AnswerBytes a = FilterAnswer(s, "Smith");
  EXPECT_EQ(a.nodes,
            static_cast<std::int64_t>(LookupDepth(*s.database.Index(), KeyOf("Smith"))) * kIndexNodeSize);
  EXPECT_EQ(a.lists, kStoredCountBytes + 3 * kStoredSlotBytes);
  EXPECT_EQ(a.slots, 3 * 24);
  EXPECT_EQ(a.keys, 0);

  s.Find("*", confederate);
  ASSERT_EQ(s.Count(), 6);
  a = FilterAnswer(s, "*");
  EXPECT_EQ(a.nodes, 0);
  EXPECT_EQ(a.lists, kStoredCountBytes + 6 * kStoredSlotBytes);
  EXPECT_EQ(a.keys, 2 * kKeyRecordBytes + 5 + 5);
}

TEST_F(AnswerBound, PageTurnsAndMoreInfoRunTheDiskCheckFirst) {
  EngineScreen s(roll.location, BoxAnswers());
  s.Search("Smith", "");
  ASSERT_EQ(s.FormattedRows().size(), 10u);
  const auto firstPage = s.FormattedRows();
  ASSERT_EQ(std::remove((roll.dataDir + "mrdb.id").c_str()), 0);
  ScriptedMessageBox box(kIdCancel);
  s.NextPage();
  EXPECT_EQ(s.FormattedRows(), firstPage);
  EXPECT_EQ(s.DetailText(0), "");
  ASSERT_EQ(box.Boxes().size(), 2u);
  EXPECT_EQ(box.Texts()[0], kDiskPrompt);
}

}  // namespace
