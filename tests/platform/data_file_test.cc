// A roll read straight out of a disk image must read exactly as the unpacked files do: the same
// rows, counts and detail lines, the same disk check, and the same revalidation of the open set.
#include "platform/data_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/message_box.h"
#include "store/roll_index.h"
#include "support/roll_image.h"
#include "support/scoped_temp_dir.h"
#include "support/scripted_message_box.h"
#include "support/test_roll.h"

namespace {

// Everything a search shows: the count line's number, every page's rows and each row's whole
// line as More Info reads it.
std::vector<std::string> Everything(SearchSession& s, const std::string& surname,
                                    const std::string& given = "") {
  s.Search(surname, given);
  std::vector<std::string> seen{std::to_string(s.list.ResultCount())};
  char line[kLineBufferSize];
  for (int page = 0; page < 100; ++page) {
    for (const std::string& row : s.PageRows()) seen.push_back(row);
    for (int i = 0; i < s.list.RowCount(); ++i) {
      s.database.ReadLine(s.list.Row(i).lineOffset, line);
      seen.emplace_back(line);
    }
    if (!s.list.HasNextPage()) break;
    s.list.NextPage();
  }
  return seen;
}

// A roll whose files span many sectors, so that reads cross sector boundaries in every layout.
class RollImages : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    roll = new TestRoll;
    for (int i = 0; i < 600; ++i) {
      roll->Add(i % 3 == 0 ? "Smith" : "Surname" + std::to_string(i % 40), "Given " + std::to_string(i),
                SampleFields(std::to_string(i)));
    }
    roll->Build();
    scratch = new ScopedTempDir;
    WriteRollIso(roll->dataDir, scratch->File("roll.iso"));
    WriteRollIso(roll->dataDir, scratch->File("plain.iso"), false);
    WriteRawImage(scratch->File("roll.iso"), scratch->File("mode1.bin"), scratch->File("mode1.cue"),
                  RawMode::kMode1Raw);
    WriteRawImage(scratch->File("roll.iso"), scratch->File("mode2.bin"), scratch->File("mode2.cue"),
                  RawMode::kMode2Raw);
  }
  static void TearDownTestSuite() {
    delete scratch;
    delete roll;
  }

  static TestRoll* roll;
  static ScopedTempDir* scratch;
  ScriptedMessageBox boxes;
};
TestRoll* RollImages::roll = nullptr;
ScopedTempDir* RollImages::scratch = nullptr;

}  // namespace

TEST_F(RollImages, SearchesReadTheSameBytesAsTheUnpackedFiles) {
  SearchSession unpacked(roll->location);
  const std::vector<std::vector<std::string>> expected = {
      Everything(unpacked, "Smith"), Everything(unpacked, "Surname7"),
      Everything(unpacked, "Smith", "Given 3"), Everything(unpacked, "Nobody")};
  ASSERT_EQ(expected[0].front(), "200");
  ASSERT_EQ(expected[2].front(), "200");  // the given-name search shows its rows under the range's count

  for (const char* image : {"roll.iso", "plain.iso", "mode1.bin", "mode1.cue", "mode2.bin", "mode2.cue"}) {
    SCOPED_TRACE(image);
    DataLocation location;
    location.SetDirectories(roll->familyDir.c_str(), scratch->File(image).c_str());
    EXPECT_EQ(location.MarkerFilePresent(), 1);
    SearchSession s(location);
    EXPECT_EQ(Everything(s, "Smith"), expected[0]);
    EXPECT_EQ(Everything(s, "Surname7"), expected[1]);
    EXPECT_EQ(Everything(s, "Smith", "Given 3"), expected[2]);
    EXPECT_EQ(Everything(s, "Nobody"), expected[3]);
  }
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{});
}

TEST_F(RollImages, AnUnchangedImageKeepsTheSetOpenAndAReplacedOneIsReadAfresh) {
  const std::string path = scratch->File("swapped.iso");
  WriteRollIso(roll->dataDir, path);
  DataLocation location;
  location.SetDirectories(roll->familyDir.c_str(), path.c_str());
  SearchSession s(location);
  s.Search("Smith");
  RollIndex* const index = s.database.Index();
  s.Search("Surname1");
  EXPECT_EQ(s.database.Index(), index);

  TestRoll other;
  other.Add("Smith", "Replacement");
  other.Build();
  const std::string next = scratch->File("next.iso");
  WriteRollIso(other.dataDir, next);
#ifdef _WIN32
  GTEST_SKIP() << "Windows does not replace a file another handle holds open";
#endif
  ASSERT_EQ(std::rename(next.c_str(), path.c_str()), 0);
  s.Search("Smith");
  EXPECT_EQ(s.PageNames(), std::vector<std::string>{"Replacement"});
}

TEST_F(RollImages, NothingIsCreatedForAnIndexMissingFromTheImage) {
  TestRoll partial;
  partial.Add("Smith", "John");
  partial.Build();
  ASSERT_EQ(std::remove((partial.dataDir + "mroll.tre").c_str()), 0);
  const std::string path = scratch->File("noindex.iso");
  WriteRollIso(partial.dataDir, path);
  const std::string before = ReadFileBytes(path);

  DataLocation location;
  location.SetDirectories(partial.familyDir.c_str(), path.c_str());
  SearchSession s(location);
  s.Search("Smith");
  EXPECT_EQ(boxes.Texts(),
            std::vector<std::string>{FormatMessage(kIndexUnreadableMessage, path + kPathSeparator + "mroll.tre")});
  EXPECT_EQ(s.list.RowCount(), 0);
  EXPECT_EQ(ReadFileBytes(path), before);
}

TEST_F(RollImages, TheDiskCheckNeedsTheMarkerInsideTheImage) {
  TestRoll unmarked;
  unmarked.Add("Smith", "John");
  unmarked.Build();
  ASSERT_EQ(std::remove((unmarked.dataDir + "mrdb.id").c_str()), 0);
  const std::string path = scratch->File("unmarked.iso");
  WriteRollIso(unmarked.dataDir, path);
  DataLocation location;
  location.SetDirectories("", path.c_str());
  EXPECT_EQ(location.MarkerFilePresent(), 0);

  // Neither is a file that is no image at all, nor one cut short.
  WriteFileBytes(scratch->File("junk.iso"), std::string(40000, 'x'));
  location.SetDirectories("", scratch->File("junk.iso").c_str());
  EXPECT_EQ(location.MarkerFilePresent(), 0);
}

TEST_F(RollImages, OpenDataFileSaysWhatIsWrongWithTheImage) {
  ReadOnlyFile file;
  FileKind kind = FileKind::kRegular;
  std::string error;
  const std::string iso = scratch->File("roll.iso");
  // Named with a '/' after it, as a user types it, the image is the roll's place all the same
  // (on Windows the native separator is added after that one).
  DataLocation typed;
  typed.SetDirectories("", (iso + "/").c_str());
  EXPECT_EQ(typed.MarkerFilePresent(), 1);

  EXPECT_EQ(OpenDataFile(iso + "/readme.txt", &file, &kind, &error), OpenStatus::kMissing);
  EXPECT_EQ(kind, FileKind::kMissing);
  EXPECT_EQ(error, iso + ": no file readme.txt");

  const std::string cut = scratch->File("cut.iso");
  const std::string whole = ReadFileBytes(iso);
  WriteFileBytes(cut, whole.substr(0, whole.size() - 4096));
  EXPECT_EQ(OpenDataFile(cut + "/mroll.tre", &file, &kind, &error), OpenStatus::kUnreadable);
  EXPECT_EQ(error, cut + ": mroll.tre runs past the end of the image (is it truncated?)");
  EXPECT_FALSE(file.IsOpen());

  // A file inside the image is a window of its own size, told apart from the image and from
  // the image's other files, and kept readable after the image object is gone.
  ReadOnlyFile names, lines;
  ASSERT_EQ(OpenDataFile(iso + "/MROLL.COR", &names, &kind), OpenStatus::kOk);
  ASSERT_EQ(OpenDataFile(iso + "/mroll.ext", &lines), OpenStatus::kOk);
  EXPECT_EQ(kind, FileKind::kRegular);
  EXPECT_EQ(names.Size(), static_cast<std::int64_t>(ReadFileBytes(roll->dataDir + "mroll.cor").size()));
  EXPECT_EQ(names.NativeHandle(), -1);
  EXPECT_FALSE(names.Identity().SameFile(lines.Identity()));
  EXPECT_FALSE(names.Identity().SameFile(IdentityOfPath(iso)));
  EXPECT_TRUE(DataFileUnchanged(iso + "/MROLL.COR", names.Identity()));
  char first = 0;
  EXPECT_EQ(lines.ReadAt(0, &first, 1), 1);
  EXPECT_EQ(first, ReadFileBytes(roll->dataDir + "mroll.ext")[0]);
}
