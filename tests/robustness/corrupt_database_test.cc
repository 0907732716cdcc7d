// A valid roll damaged in each way a scratched disk or a bad copy can damage it. Whatever the
// damage, a session of searches, page turns and detail texts ends, shows no row that is not in
// the files, and says only what the program says about broken files ("cor", "ext"); an index
// without its end byte is no index, and the search's status says so ("wrong file format!", after
// which the viewer ends as it always has).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>

#include "damages.h"
#include "platform/byte_order.h"
#include "session_checks.h"
#include "store/roll_format.h"
#include "store/roll_index.h"
#include "support/scripted_message_box.h"

namespace {

class CorruptDatabase : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    BuildDamageRoll(roll);
    pristine = {ReadFileBytes(File("mroll.cor")), ReadFileBytes(File("mroll.ext")), ReadFileBytes(File("mroll.tre"))};
  }
  std::string File(const char* name) const { return roll.dataDir + name; }
  void Write(const Files& f) {
    WriteFileBytes(File("mroll.cor"), f.cor);
    WriteFileBytes(File("mroll.ext"), f.ext);
    WriteFileBytes(File("mroll.tre"), f.tre);
  }

  TestRoll roll;
  Files pristine;
};

}  // namespace

TEST_P(CorruptDatabase, SessionEndsAndShowsOnlyWhatIsInTheFiles) {
  const Damage damage = Damages()[static_cast<std::size_t>(GetParam())];
  SCOPED_TRACE(damage.name);
  Files f = pristine;
  damage.apply(f);
  Write(f);

  ScriptedMessageBox boxes;
  SearchSession s(roll.location);
  for (const char* surname : {"Smith", "Surname100", "Surname120", "Surname139", "Aaa", "Zzz", "Surname1205"}) {
    SearchAndPage(s, roll.dataDir, surname);
    SearchAndPage(s, roll.dataDir, surname, "n");
    SearchAndPage(s, roll.dataDir, surname, "john1");
  }
  for (const std::string& text : boxes.Texts()) EXPECT_TRUE(text == "cor" || text == "ext") << text;
  // The damaged files are read, never repaired or rewritten.
  EXPECT_EQ(ReadFileBytes(File("mroll.cor")), f.cor);
  EXPECT_EQ(ReadFileBytes(File("mroll.ext")), f.ext);
  EXPECT_EQ(ReadFileBytes(File("mroll.tre")), f.tre);
}

INSTANTIATE_TEST_SUITE_P(EachDamage, CorruptDatabase, ::testing::Range(0, static_cast<int>(Damages().size())));

TEST_F(CorruptDatabase, CyclesInTheIndexEndTheLookupAsAMiss) {
  Files f = pristine;
  IndexNode root = NodeAt(f.tre, kRoot);
  for (auto& c : root.children) c = kRoot;
  PutNode(f.tre, kRoot, root);
  Write(f);
  ScriptedMessageBox boxes;
  SearchSession s(roll.location);
  s.Search("Zzz");
  EXPECT_EQ(s.list.ResultCount(), 0);
  // Keys in the root itself are still found.
  s.Search(std::string(root.entries[0].key, strnlen(root.entries[0].key, 23)).substr(0, 10));
  EXPECT_EQ(s.list.ResultCount(), root.entries[0].slotCount);
}

TEST_F(CorruptDatabase, ABrokenTrailerIsReportedAsTheNameFile) {
  for (std::int32_t l : {-1, 256, INT32_MAX}) {
    Files f = pristine;
    Put32(f.cor, f.cor.size() - 4, l);
    Write(f);
    ScriptedMessageBox boxes;
    SearchSession s(roll.location);
    s.Search("Smith");
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"cor"}) << l;
    EXPECT_EQ(s.list.ResultCount(), 0) << l;
  }
}

// The index's end byte is its only format check; without it, or with a directory in its place,
// every search answers with the status that ends the viewer, and nothing is read or repaired.
TEST_F(CorruptDatabase, AnIndexThatIsNoIndexEndsEverySearchWithItsStatus) {
  std::vector<std::string> bad = {pristine.tre.substr(0, pristine.tre.size() - 1), std::string(),
                                  pristine.tre + '\0', pristine.tre.substr(0, 100)};
  bad.push_back("directory");
  for (const std::string& tre : bad) {
    Write({pristine.cor, pristine.ext, tre});
    if (tre == "directory") {
      std::remove(File("mroll.tre").c_str());
      ASSERT_TRUE(MakeDirectory(File("mroll.tre")));
    }
    ScriptedMessageBox boxes;
    SearchSession s(roll.location);
    for (const char* given : {"", "j"}) {
      const SearchAnswer answer = s.database.RunSearch([&] {
        SearchRequest request;
        request.SetSurname("Smith");
        request.SetDatabase(1);
        if (*given) request.SetGivenName(given);
        return request;
      }());
      EXPECT_EQ(answer.Status().problem, RollProblem::kIndexFormat) << tre.size();
      EXPECT_TRUE(BoxFor(answer.Status()).endsProgram);
      EXPECT_EQ(BoxFor(answer.Status()).text, "wrong file format!");
      EXPECT_EQ(answer.Count(), 0);
    }
    s.Search("Smith");
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"wrong file format!"});
    EXPECT_EQ(s.list.ResultCount(), 0);
    EXPECT_FALSE(s.database.IsOpen());
    if (tre == "directory") {
      std::filesystem::remove(PathFromUtf8(File("mroll.tre")));
    } else {
      EXPECT_EQ(ReadFileBytes(File("mroll.tre")), tre);
    }
  }
}

TEST_F(CorruptDatabase, DirectoriesWhereTheDataFilesShouldBe) {
  for (const char* name : {"mroll.cor", "mroll.ext"}) {
    Write(pristine);
    std::remove(File(name).c_str());
    ASSERT_TRUE(MakeDirectory(File(name)));
    ScriptedMessageBox boxes;
    SearchSession s(roll.location);
    for (const char* surname : {"Smith", "Surname120"}) {
      SearchAndPage(s, roll.dataDir, surname);
      SearchAndPage(s, roll.dataDir, surname, "n");
    }
    // Not a roll file: the file's own message, and no rows of "...".
    EXPECT_EQ(s.list.ResultCount(), 0);
    EXPECT_EQ(boxes.Texts().front(), std::string(name) == "mroll.cor" ? "cor" : "ext");
    std::filesystem::remove(PathFromUtf8(File(name)));
  }
}
