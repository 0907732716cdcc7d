// The roll's files stay open from one search to the next, and every search first asks whether
// each path still names the file that was opened, with its size and times (or the kernel's watch
// on them whether anything happened): these cases must all be noticed, or a search would show the
// bytes of a disk that is no longer there.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "support/held_files.h"
#include "support/scoped_temp_dir.h"
#include "support/scripted_message_box.h"
#include "support/test_roll.h"

namespace {

const char* const kFiles[] = {"mroll.cor", "mroll.ext", "mroll.tre"};

// Two rolls of the same shape, byte for byte the same sizes: Smith's five entries under other
// names and other fields.
void Fill(TestRoll& roll, char letter) {
  for (int i = 0; i < 5; ++i) {
    roll.Add("Smith", std::string(4, letter) + std::to_string(i),
             {std::string(1, letter), std::string(1, letter), "5 IL INF", "PVT", "CORP", "", "12", "34", "56", "U"});
  }
  roll.Add("Jones", std::string(3, letter));
  roll.Build();
}

class Reopen : public ::testing::Test {
 protected:
  void SetUp() override {
    Fill(roll, 'A');
    Fill(other, 'B');
    for (const char* f : kFiles) ASSERT_EQ(ReadFileBytes(roll.dataDir + f).size(), ReadFileBytes(other.dataDir + f).size());
    s.Search("Smith");
    ASSERT_EQ(s.PageNames().front(), "AAAA0");
    // The second search finds the set unchanged and, where the system allows, leaves a watch on
    // its paths: the cases below must be noticed through it as well as by looking.
    s.Search("Smith");
    ASSERT_EQ(s.PageNames().front(), "AAAA0");
  }

  std::string File(const char* name) const { return roll.dataDir + name; }

  TestRoll roll;
  TestRoll other;
  ScriptedMessageBox boxes;
  SearchSession s{roll.location};
};

}  // namespace

TEST_F(Reopen, AnUnchangedSetIsKeptOpen) {
  RollIndex* index = s.database.Index();
  s.Search("Jones");
  EXPECT_EQ(s.database.Index(), index);
  EXPECT_EQ(s.PageNames(), std::vector<std::string>{"AAA"});
}

TEST_F(Reopen, FilesReplacedByRenameAreOpenedAfresh) {
  for (const char* f : kFiles) REPLACE_HELD_FILE_OR_SKIP(other.dataDir + f, File(f));
  s.Search("Smith");
  EXPECT_EQ(s.PageNames().front(), "BBBB0");
}

// The same size and the modification time put back: only the change time tells.
TEST_F(Reopen, FilesRewrittenInPlaceWithTheirTimesRestoredAreOpenedAfresh) {
  for (const char* f : {"mroll.cor", "mroll.ext"}) {
    const std::filesystem::path path = PathFromUtf8(File(f));
    const auto before = std::filesystem::last_write_time(path);
    WriteFileBytes(File(f), ReadFileBytes(other.dataDir + f));  // the same file
    std::filesystem::last_write_time(path, before);
  }
  s.Search("Smith");
  EXPECT_EQ(s.PageNames().front(), "BBBB0");
  EXPECT_EQ(s.PageRows().front(), "SMITH\tBBBB0\tB, B, 5 IL INF, PVT, ...");
}

TEST_F(Reopen, ANameFileCutShortIsOpenedAfresh) {
  const std::string cor = ReadFileBytes(File("mroll.cor"));
  const int slot = static_cast<int>((cor.size() - 4) / 6);
  WriteFileBytes(File("mroll.cor"), cor.substr(0, static_cast<std::size_t>(slot) * 3) + cor.substr(cor.size() - 4));
  s.Search("Smith");  // Jones is slot 0, Smith slots 1..5: only 1 and 2 are left
  EXPECT_EQ(s.list.ResultCount(), 2);
  EXPECT_EQ(s.PageNames(), (std::vector<std::string>{"AAAA0", "AAAA1"}));
}

TEST_F(Reopen, RemovedFilesAreMissedAtTheNextSearch) {
  REMOVE_HELD_FILE_OR_SKIP(File("mroll.ext"));
  s.Search("Smith");
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"ext"});
  EXPECT_EQ(s.list.ResultCount(), 0);
  // Put back: found again.
  WriteFileBytes(File("mroll.ext"), ReadFileBytes(other.dataDir + "mroll.ext"));
  s.Search("Smith");
  EXPECT_EQ(s.list.ResultCount(), 5);
}

TEST_F(Reopen, AnIndexReplacedBehindTheCacheIsReadAfresh) {
  // Another roll whose index puts Jones where Smith was: the cached nodes must not answer.
  TestRoll third;
  for (int i = 0; i < 5; ++i) third.Add("Jones", "CCCC" + std::to_string(i));
  third.Add("Smith", "CCC");
  third.Build();
  for (const char* f : kFiles) REPLACE_HELD_FILE_OR_SKIP(third.dataDir + f, File(f));
  s.Search("Smith");
  EXPECT_EQ(s.PageNames(), std::vector<std::string>{"CCC"});
}
