// A whole session writes nothing but history.buf in the family directory: the data files stay
// byte for byte (and untouched in time), no other file appears anywhere under the session's
// directories or in its working directory. The one exception the format has always had: an
// index file that is missing is created empty.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "session_checks.h"
#include "support/scripted_message_box.h"

namespace {

// Runs the program's work from inside `dir`, so that a file written to a relative path shows.
class InDirectory {
 public:
  explicit InDirectory(const std::string& dir) : previous(std::filesystem::current_path()) {
    std::filesystem::current_path(PathFromUtf8(dir));
  }
  ~InDirectory() { std::filesystem::current_path(previous); }

 private:
  std::filesystem::path previous;
};

class NothingWritten : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 25; ++i) roll.Add("Smith", (i % 2 ? "JOHN" : "MARY") + std::to_string(i));
    roll.Add("Jones", "ANN");
    roll.Build();
    root = Utf8Path(PathFromUtf8(roll.dataDir).parent_path().parent_path()) + kPathSeparator;
  }

  // Searches with and without given names, every page both ways, More Info on every row, a miss,
  // a search whose disk prompt is cancelled, and Clear.
  void Session() {
    InDirectory cwd(root);
    ScriptedMessageBox boxes;
    SearchSession s(roll.location);
    SearchAndPage(s, roll.dataDir, "Smith");
    SearchAndPage(s, roll.dataDir, "Smith", "john");
    SearchAndPage(s, roll.dataDir, "smith", "m");
    SearchAndPage(s, roll.dataDir, "Jones", "a");
    SearchAndPage(s, roll.dataDir, "Nobody", "a");
    s.list.Reset();
  }

  TestRoll roll;
  std::string root;
};

}  // namespace

TEST_F(NothingWritten, ASessionChangesOnlyTheFilterBuffer) {
  const auto before = Snapshot(root);
  ASSERT_EQ(before.count("family/history.buf"), 0u);
  Session();
  EXPECT_EQ(Changes(before, Snapshot(root)), std::vector<std::string>{"family/history.buf"});
}

TEST_F(NothingWritten, AMissingIndexIsTheOnlyDataFileCreated) {
  std::remove((roll.dataDir + "mroll.tre").c_str());
  const auto before = Snapshot(root);
  Session();
  const auto after = Snapshot(root);
  EXPECT_EQ(Changes(before, after), (std::vector<std::string>{"data/mroll.tre", "family/history.buf"}));
  EXPECT_EQ(after.at("data/mroll.tre").bytes, std::string(8, '\xFF') + "\x04");
}
