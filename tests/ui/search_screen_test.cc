// The search screen's rules without a window: what each command does to the result, the page and
// the selection, where it puts the focus, what it enables, what it tells the user, and when it
// ends the program.
#include "ui/search_screen.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "platform/message_box.h"
#include "support/test_roll.h"

namespace {

// Records what the screen tells and answers the disk prompt from a script.
class RecordingDialogue : public ScreenDialogue {
 public:
  struct Ended {
    int status;
  };

  int AskForDisk() override {
    told.push_back("<disk prompt>");
    if (diskAnswers.empty()) return kIdCancel;
    const int answer = diskAnswers.front();
    diskAnswers.pop_front();
    return answer;
  }
  int Tell(const char* text, unsigned) override {
    told.emplace_back(text);
    return kIdOk;
  }
  [[noreturn]] void EndProgram(int status) override { throw Ended{status}; }
  FindProgress SearchStarting() override { return progress; }

  std::vector<std::string> told;
  std::deque<int> diskAnswers;
  FindProgress progress;
};

// What the screen tells its listeners, in order.
class RecordingListener : public ScreenListener {
 public:
  void ResultsChanged() override { events.push_back("results"); }
  void SelectionChanged(int oldRow, int newRow) override {
    events.push_back("selection " + std::to_string(oldRow) + ">" + std::to_string(newRow));
  }
  void FocusRequested(ScreenFocus target) override {
    events.push_back(target == ScreenFocus::kSurnameField     ? "focus surname"
                     : target == ScreenFocus::kPreviousButton ? "focus previous"
                                                              : "focus next");
  }
  void SearchShown() override { events.push_back("shown"); }
  void Cleared() override { events.push_back("cleared"); }
  void MoreInfoSwitched(bool enabled) override {
    events.push_back(enabled ? "more info on" : "more info off");
  }

  std::vector<std::string> events;
};

class Screen : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 25; ++i)
      roll.Add("Smith", "NAME" + std::to_string(100 + i), SampleFields("C" + std::to_string(i)));
    roll.Add("Smyth", "JOHN");
    roll.Add("Abernathy-Wolcott-R", "ANN");  // 19 characters, the most a search reads
    roll.Build();
    screen.CreateEngine();
    screen.AddListener(&listener);
  }
  // The events since the last call.
  std::vector<std::string> Heard() { return std::exchange(listener.events, {}); }
  std::string FirstName() const {
    const std::string row = screen.RowText(0);
    const std::size_t tab = row.find('\t');
    return row.substr(tab + 1, row.find('\t', tab + 1) - tab - 1);
  }
  void RemoveMarker() { std::remove((roll.dataDir + "mrdb.id").c_str()); }

  TestRoll roll;
  RecordingDialogue dialogue;
  SearchScreen screen{roll.location, dialogue};
  RecordingListener listener;
};

using Events = std::vector<std::string>;

}  // namespace

TEST_F(Screen, SearchReadsNineteenCharactersAndRefusesAnEmptySurname) {
  screen.OnSearch("", "john");
  EXPECT_EQ(dialogue.told, std::vector<std::string>{kEmptySurnameMessage});
  EXPECT_EQ(Heard(), Events{"focus surname"});
  EXPECT_EQ(screen.CountLine(), "0 records found.");

  // A twentieth character is never read.
  screen.OnSearch("Abernathy-Wolcott-RX", "");
  EXPECT_EQ(screen.CountLine(), "1 records found.");
  Heard();
  screen.OnSearch("Smith", "");
  EXPECT_EQ(screen.CountLine(), "25 records found.");
  EXPECT_EQ(Heard(), (Events{"more info off", "results", "shown"}));
  EXPECT_EQ(screen.ShownRowCount(), 10);
  EXPECT_EQ(std::string(screen.RowText(0)), "SMITH\tNAME100\tJ, C0, 5 IL INF, PVT, ...");
  EXPECT_FALSE(screen.IsBusy());

  screen.OnSearch("Smith", "name11");
  EXPECT_TRUE(screen.Results()->IsFiltered());
  EXPECT_EQ(screen.CountLine(), "25 records found.");
  EXPECT_EQ(dialogue.told.size(), 1u) << "nothing more to tell";
}

TEST_F(Screen, PagingEnablesTheButtonsAndMovesTheFocusAtEitherEnd) {
  screen.OnSearch("Smith", "");
  Heard();
  ScreenControls controls = screen.Controls();
  EXPECT_FALSE(controls.previous);
  EXPECT_TRUE(controls.next);
  EXPECT_FALSE(controls.moreInfo);

  screen.SelectRow(3);
  EXPECT_TRUE(screen.Controls().moreInfo);
  screen.OnNextPage();
  EXPECT_EQ(screen.SelectedRow(), -1) << "a page turn clears the selection";
  EXPECT_EQ(screen.PageIndex(), 1);
  screen.OnNextPage();
  EXPECT_EQ(FirstName(), "NAME120");
  EXPECT_EQ(Heard(), (Events{"selection -1>3", "results", "results", "focus previous"}));
  controls = screen.Controls();
  EXPECT_TRUE(controls.previous);
  EXPECT_FALSE(controls.next);

  screen.OnPrevPage();
  EXPECT_EQ(Heard(), Events{"results"}) << "the first page is not reached yet";
  screen.OnPrevPage();
  EXPECT_EQ(Heard(), (Events{"results", "focus next"}));
  EXPECT_EQ(screen.PageIndex(), 0);

  // The disk gone and the prompt cancelled: nothing moves.
  screen.SelectRow(1);
  Heard();
  RemoveMarker();
  screen.OnNextPage();
  EXPECT_EQ(Heard(), Events{});
  EXPECT_EQ(screen.SelectedRow(), 1);
  EXPECT_EQ(FirstName(), "NAME100");
  EXPECT_EQ(dialogue.told, std::vector<std::string>{"<disk prompt>"});
}

TEST_F(Screen, TheListKeysMoveTheSelectionAndThePagesWithoutTheFocus) {
  EXPECT_EQ(screen.OnListKey(ListKey::kDown, false), KeyTaken::kNo) << "no rows: the field's own key";
  screen.OnSearch("Smith", "");
  Heard();
  EXPECT_EQ(screen.OnListKey(ListKey::kUp, false), KeyTaken::kYes);
  EXPECT_EQ(screen.SelectedRow(), 9) << "Up with no selection takes the last row";
  EXPECT_EQ(screen.OnListKey(ListKey::kDown, false), KeyTaken::kYes);
  EXPECT_EQ(screen.SelectedRow(), 0) << "across to the next page";
  EXPECT_EQ(FirstName(), "NAME110");
  EXPECT_EQ(screen.OnListKey(ListKey::kEnd, false), KeyTaken::kNo) << "End in a field is the caret's";
  EXPECT_EQ(screen.OnListKey(ListKey::kHome, false), KeyTaken::kNo);
  EXPECT_EQ(screen.PageIndex(), 1);
  EXPECT_EQ(screen.OnListKey(ListKey::kLastPage, false), KeyTaken::kYes);
  EXPECT_EQ(screen.PageIndex(), 2);
  EXPECT_EQ(screen.SelectedRow(), -1);
  EXPECT_EQ(screen.OnListKey(ListKey::kPageDown, false), KeyTaken::kYes) << "taken at the end, doing nothing";
  EXPECT_EQ(screen.PageIndex(), 2);
  EXPECT_EQ(screen.OnListKey(ListKey::kEnter, true), KeyTaken::kNo) << "no row selected";
  screen.SelectRow(0);
  EXPECT_EQ(screen.OnListKey(ListKey::kEnter, false), KeyTaken::kNo) << "Enter in a field searches";
  EXPECT_EQ(screen.OnListKey(ListKey::kEnter, true), KeyTaken::kMoreInfo);
  for (const std::string& event : Heard()) EXPECT_EQ(event.rfind("focus", 0), std::string::npos) << event;

  screen.OnSearch("Smyth", "");
  EXPECT_EQ(screen.OnListKey(ListKey::kFirstPage, false), KeyTaken::kNo) << "one page: the field's";
}

TEST_F(Screen, AKeyThatDisablesThePageButtonItWasTypedOnMovesTheFocusToTheOther) {
  screen.OnSearch("Smith", "");
  Heard();
  // End on Next: the last page, Next disabled, the focus to Previous.
  EXPECT_EQ(screen.OnListKey(ListKey::kEnd, true), KeyTaken::kYes);
  EXPECT_EQ(screen.PageIndex(), 2);
  EXPECT_EQ(Heard(), (Events{"results", "focus previous"}));
  // Home on Previous: the first page, the focus to Next; so too Ctrl+End, PageUp and Up across.
  EXPECT_EQ(screen.OnListKey(ListKey::kHome, true), KeyTaken::kYes);
  EXPECT_EQ(Heard(), (Events{"results", "focus next"}));
  screen.OnListKey(ListKey::kLastPage, true);
  EXPECT_EQ(Heard(), (Events{"results", "focus previous"}));
  screen.OnListKey(ListKey::kPageUp, true);
  EXPECT_EQ(Heard(), Events{"results"}) << "the middle page: both buttons enabled";
  screen.OnListKey(ListKey::kDown, true);
  screen.OnListKey(ListKey::kUp, true);
  EXPECT_EQ(Heard(), (Events{"selection -1>0", "results", "selection -1>9", "focus next"}));
}

TEST_F(Screen, MoreInfoNeedsASelectionAndTheDisk) {
  std::string caption, body;
  EXPECT_FALSE(screen.MoreInfo(&caption, &body));
  screen.OnSearch("Smith", "");
  EXPECT_FALSE(screen.MoreInfo(&caption, &body));
  screen.SelectRow(2);
  ASSERT_TRUE(screen.MoreInfo(&caption, &body));
  EXPECT_EQ(caption, "SMITH, NAME102");
  EXPECT_EQ(body.substr(0, 23), "Middle Initial: \r\nJ\r\n\r\n");
  SoldierEntry entry;
  ASSERT_TRUE(screen.PageEntry(2, &entry));
  EXPECT_EQ(entry.Field(kCompanyField), "C2");
  RemoveMarker();
  EXPECT_FALSE(screen.MoreInfo(&caption, &body));
  EXPECT_EQ(dialogue.told, std::vector<std::string>{"<disk prompt>"});
}

TEST_F(Screen, ClearEmptiesTheResultTheSelectionAndTheFields) {
  screen.OnSearch("Smith", "n");
  screen.SelectRow(4);
  Heard();
  screen.OnClear();
  EXPECT_EQ(Heard(), (Events{"more info off", "results", "cleared", "focus surname"}));
  EXPECT_EQ(screen.CountLine(), "0 records found.");
  EXPECT_EQ(screen.SelectedRow(), -1);
  EXPECT_EQ(screen.ShownRowCount(), 0);
  EXPECT_FALSE(screen.Controls().next);
  EXPECT_EQ(ReadFileBytes(roll.familyDir + "history.buf"), "");
}

// A stopped search leaves everything as it was; another mode's result names each row's surname.
TEST_F(Screen, AFindStoppedHalfwayLeavesTheResultBefore) {
  screen.OnSearch("Smith", "");
  screen.OnNextPage();
  screen.SelectRow(2);
  Heard();
  EntryFilter unionOnly;
  unionOnly.side = 'U';
  screen.SetFindOptions({MatchMode::kSoundex, unionOnly});
  dialogue.progress = [](int) { return false; };
  // Too small to report its progress: the search runs to its end.
  screen.OnSearch("Smyth", "");
  EXPECT_EQ(screen.CountLine(), "26 records found.");
  EXPECT_TRUE(screen.Results()->IsFound());
  EXPECT_EQ(Heard(), (Events{"results", "shown"}));

  TestRoll big;
  for (int i = 0; i < 70000; ++i) big.Add("Smith", "N" + std::to_string(i));
  big.Build();
  SearchScreen other(big.location, dialogue);
  other.CreateEngine();
  other.OnSearch("Smith", "");
  other.SelectRow(1);
  other.AddListener(&listener);
  other.SetFindOptions({MatchMode::kExact, unionOnly});
  other.OnSearch("Smith", "n");
  EXPECT_EQ(Heard(), Events{}) << "no result shown, no selection lost";
  EXPECT_EQ(other.CountLine(), "70000 records found.");
  EXPECT_EQ(other.SelectedRow(), 1);
  EXPECT_EQ(other.Request()->hasGivenName, 0) << "the request of the result on screen";
  EXPECT_FALSE(other.Results()->IsFound());
}

// What goes wrong comes back from the engine as a status; the screen shows the box the program has
// always shown for it, and ends where the index is no index.
TEST_F(Screen, StatusesAreToldAndANonIndexEndsTheProgram) {
  RemoveMarker();
  dialogue.diskAnswers = {kIdOk, kIdCancel};
  screen.OnSearch("Smith", "");
  EXPECT_EQ(dialogue.told, (std::vector<std::string>{"<disk prompt>", "<disk prompt>"}))
      << "Cancel says nothing";
  EXPECT_EQ(screen.CountLine(), "0 records found.");
  WriteFileBytes(roll.dataDir + "mrdb.id", "");

  dialogue.told.clear();
  const std::string ext = ReadFileBytes(roll.dataDir + "mroll.ext");
  std::remove((roll.dataDir + "mroll.ext").c_str());
  screen.OnSearch("Smith", "");
  EXPECT_EQ(dialogue.told, std::vector<std::string>{"ext"});
  WriteFileBytes(roll.dataDir + "mroll.ext", ext);

  WriteFileBytes(roll.dataDir + "mroll.tre", "not an index");
  dialogue.told.clear();
  try {
    screen.OnSearch("Smith", "");
    ADD_FAILURE() << "the program went on";
  } catch (const RecordingDialogue::Ended& ended) {
    EXPECT_EQ(ended.status, 1);
  }
  EXPECT_EQ(dialogue.told, std::vector<std::string>{"wrong file format!"});
}
