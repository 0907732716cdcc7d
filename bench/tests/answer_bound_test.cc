// The bound counts what an answer cannot do without, and the engine's screen does what the view's
// commands do.
#include "answer_bound.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "engine_screen.h"
#include "roll_catalog.h"
#include "support/scripted_message_box.h"
#include "search_screen.h"
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

  // A given name looks at every slot of the run, and nothing of the filter buffer is counted.
  s.Search("Smith", "JOHN");
  ASSERT_EQ(s.Count(), 9);
  a = SearchAnswerBytes(s, "Smith", true);
  EXPECT_EQ(a.nodes, Nodes());
  EXPECT_EQ(a.slots, 25 * kSlot);
  EXPECT_EQ(a.lines, lines({0, 3, 6, 9, 12, 15, 18, 21, 24}));

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
