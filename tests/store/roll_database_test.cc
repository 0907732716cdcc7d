#include "store/roll_database.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>

#include "platform/file_system.h"
#include "support/scoped_temp_dir.h"
#include "support/scripted_message_box.h"
#include "support/test_roll.h"

namespace {

const std::string kFF = "\xFF";
const std::string kEmptyIndex = std::string(8, '\xFF') + "\x04";

// A name file of slots with name length `length`, each slot (line offset, name).
std::string NameFile(int length, const std::vector<std::pair<int, std::string>>& slots) {
  std::string bytes;
  for (const auto& [offset, name] : slots) {
    std::string text = name;
    text.resize(static_cast<std::size_t>(length), '\0');
    bytes += Le32(offset) + text;
  }
  return bytes + Le32(length);
}

class RollFiles : public ::testing::Test {
 protected:
  RollFiles() { location.SetDirectories(dir.Prefix().c_str(), dir.Prefix().c_str()); }

  // Writes the three files with the given line file and opens database 1.
  void OpenWith(const std::string& lines, const std::string& names = NameFile(8, {{0, "JOHN"}})) {
    WriteFileBytes(dir.File("mroll.ext"), lines);
    WriteFileBytes(dir.File("mroll.cor"), names);
    WriteFileBytes(dir.File("mroll.tre"), kEmptyIndex);
    ASSERT_EQ(database.Open(1), 1);
  }
  std::string Summary(std::int32_t offset) {
    char out[kSummaryBufferSize + 8];
    std::memset(out, '#', sizeof out);
    database.ReadSummary(offset, out);
    EXPECT_EQ(out[kSummaryBufferSize], '#') << "wrote past 35 bytes";
    return out;
  }

  ScopedTempDir dir;
  DataLocation location;
  ScriptedMessageBox boxes;
  RollDatabase database{location, BoxAnswers()};
};

}  // namespace

TEST_F(RollFiles, SummaryShowsTheFirstFourNonEmptyFields) {
  struct Case {
    std::string line, summary;
  } cases[] = {
      {"J" + kFF + "CO A" + kFF + "5 IL INF" + kFF + "PVT" + kFF + "CORP" + kFF + "\n",
       "J" + kFF + " CO A" + kFF + " 5 IL INF" + kFF + " PVT" + kFF + " ..."},
      {"A  " + kFF + kFF + "   " + kFF + "B" + kFF + "\n", "A" + kFF + " B" + kFF + " \n"},
      {kFF + "X" + kFF + "\n", "X" + kFF + " \n"},
      {std::string(30, 'a') + "bc\n", std::string(30, 'a') + "..."},
      {std::string(30, 'a') + "\n", std::string(30, 'a')},
      {std::string(29, 't') + kFF + "Y" + kFF + "\n", std::string(29, 't') + kFF + " ..."},
      {"\n", "\n"},
      {"cut at the end", "cut at the end..."},  // runs to the end of the file: keep it last
  };
  std::string lines;
  std::vector<int> offsets;
  for (const Case& c : cases) {
    offsets.push_back(static_cast<int>(lines.size()));
    lines += c.line;
  }
  OpenWith(lines);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(Summary(offsets[i]), cases[i].summary) << "case " << i;
  }
  EXPECT_EQ(Summary(static_cast<int>(lines.size()) + 1000), "...");  // past the end: cut at once
  EXPECT_EQ(Summary(-1), "");
}

TEST_F(RollFiles, ReadLineStopsAtTheLineFeedTheEndOrTheBuffer) {
  const std::string first = "A" + kFF + "B" + kFF + "\n";
  const std::string huge(6000, 'x');
  OpenWith(first + "tail" + kFF + "\n" + huge);
  char out[kLineBufferSize + 8];
  std::memset(out, '#', sizeof out);
  database.ReadLine(0, out);
  EXPECT_EQ(std::string(out), first);
  database.ReadLine(static_cast<int>(first.size()), out);
  EXPECT_EQ(std::string(out), "tail" + kFF + "\n");
  database.ReadLine(static_cast<int>(first.size()) + 6, out);
  EXPECT_EQ(std::string(out), std::string(kLineBufferSize - 1, 'x'));
  EXPECT_EQ(out[kLineBufferSize], '#');
  for (std::int32_t outside : {-1, -5000, 1 << 30}) {
    database.ReadLine(outside, out);
    EXPECT_STREQ(out, "") << outside;
  }
}

TEST_F(RollFiles, SlotsFollowTheTrailersGeometry) {
  OpenWith("x\n", NameFile(20, {{0, "ZERO"}, {11, "ONE"}, {22, "TWO"}, {33, "THREE"}}));
  EXPECT_EQ(database.NameLength(), 20);
  EXPECT_EQ(database.SlotSize(), 24);
  EXPECT_EQ(database.SlotCount(), 4);
  database.ReadSlot(3);  // at byte 72
  EXPECT_EQ(database.LineOffset(), 33);
  EXPECT_STREQ(database.CurrentName(), "THREE");
  // Outside the file: nothing stale survives.
  for (std::int32_t slot : {4, -1, 1 << 30}) {
    database.ReadSlot(slot);
    EXPECT_EQ(database.LineOffset(), -1) << slot;
    EXPECT_STREQ(database.CurrentName(), "") << slot;
  }
}

TEST_F(RollFiles, ANameWithoutItsNulIsCutAtTheField) {
  std::string names = Le32(0) + "ABCDEFGH" + Le32(8);
  OpenWith("x\n", names);
  database.ReadSlot(0);
  EXPECT_STREQ(database.CurrentName(), "ABCDEFGH");
}

TEST_F(RollFiles, OpenRefusesNumbersWithoutFilesSilently) {
  OpenWith("x\n");
  for (int number : {0, -1, 2, 32, 33}) {
    EXPECT_EQ(database.Open(number), 0) << number;
    EXPECT_EQ(database.Index(), nullptr);
  }
  EXPECT_TRUE(boxes.Boxes().empty());
  EXPECT_EQ(database.Open(1), 1);
  EXPECT_EQ(database.Number(), 1);
}

// A file the set cannot be opened with is named in the status, with what is wrong with it; the
// viewer shows the box the program has always shown for it ("ext", "cor").
TEST_F(RollFiles, MissingOrBrokenFilesSayWhichFile) {
  // Whether a removal took the name away: a system that keeps the name of an open file until it
  // is closed (Windows without POSIX delete semantics, wine) never meets that case.
  auto remove = [&](const char* name) {
    RemoveFile(dir.File(name).c_str());
    return KindOfPath(dir.File(name)) == FileKind::kMissing;
  };
  auto write = [&](const char* name, const std::string& bytes) {
    WriteFileBytes(dir.File(name), bytes);
    return true;
  };
  struct Case {
    const char* what;
    std::function<bool()> damage;
    RollProblem problem;
    std::string text;
    const char* box;
  } cases[] = {
      {"no line file", [&] { return remove("mroll.ext"); }, RollProblem::kLineFile, "mroll.ext: missing",
       "ext"},
      {"no name file", [&] { return remove("mroll.cor"); }, RollProblem::kNameFile, "mroll.cor: missing",
       "cor"},
      {"name file shorter than its trailer", [&] { return write("mroll.cor", "ab"); }, RollProblem::kNameFile,
       "mroll.cor: too short for its trailer", "cor"},
      {"trailer above 255", [&] { return write("mroll.cor", Le32(256)); }, RollProblem::kNameFile,
       "mroll.cor: name length 256 in its trailer is outside 0..255", "cor"},
      {"negative trailer", [&] { return write("mroll.cor", Le32(-4)); }, RollProblem::kNameFile,
       "mroll.cor: name length -4 in its trailer is outside 0..255", "cor"},
  };
  for (Case& c : cases) {
    OpenWith("x\n");
    if (!c.damage()) {
      database.Close();
      continue;
    }
    RollStatus status;
    EXPECT_EQ(database.Open(1, &status), 0) << c.what;
    EXPECT_EQ(status.problem, c.problem) << c.what;
    EXPECT_EQ(status.Text(), dir.File("") + c.text) << c.what;
    EXPECT_EQ(BoxFor(status).text, c.box) << c.what;
    EXPECT_FALSE(database.IsOpen()) << c.what;
    database.Close();
  }
  EXPECT_TRUE(boxes.Boxes().empty()) << "the database shows nothing itself";
}

TEST_F(RollFiles, FilesMasteredInUpperCaseAreFound) {
  WriteFileBytes(dir.File("MROLL.EXT"), "x\n");
  WriteFileBytes(dir.File("MROLL.COR"), NameFile(4, {{0, "AL"}}));
  WriteFileBytes(dir.File("Mroll.Tre"), kEmptyIndex);
  ASSERT_EQ(database.Open(1), 1);
  database.Close();
  // The existing index was used, not a new one (a listing: on Windows every name matches any case).
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(PathFromUtf8(dir.Prefix()))) {
    names.push_back(Utf8Path(entry.path().filename()));
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"MROLL.COR", "MROLL.EXT", "Mroll.Tre"}));
  EXPECT_TRUE(boxes.Boxes().empty());
}

// The reads remember where the streams stand to save seeks; whatever the order of the reads,
// each must give what it gives on a freshly opened database.
TEST_F(RollFiles, ReadsInAnyOrderGiveWhatAFreshOpenGives) {
  std::string lines;
  std::vector<int> offsets;
  std::vector<std::pair<int, std::string>> slots;
  for (int i = 0; i < 200; ++i) {
    offsets.push_back(static_cast<int>(lines.size()));
    slots.push_back({offsets.back(), "N" + std::to_string(i)});
    // Mostly short lines, now and then one longer than a stream buffer.
    const std::string field = i % 37 == 5 ? std::string(5000 + i, 'w') : std::string(1 + i % 45, 'a' + i % 26);
    lines += field + kFF + "F" + std::to_string(i) + kFF + "\n";
  }
  lines += "unterminated";
  const int tail = static_cast<int>(lines.size()) - 12;
  OpenWith(lines, NameFile(8, slots));

  RollDatabase fresh(location, BoxAnswers());
  char got[kLineBufferSize + 8];
  char want[kLineBufferSize + 8];
  auto expectSame = [&](int offset, const std::string& context) {
    ASSERT_EQ(fresh.Open(1), 1);
    fresh.ReadSummary(offset, want);
    database.ReadSummary(offset, got);
    EXPECT_STREQ(got, want) << "summary at " << offset << ", " << context;
    ASSERT_EQ(fresh.Open(1), 1);
    fresh.ReadLine(offset, want);
    database.ReadLine(offset, got);
    EXPECT_STREQ(got, want) << "line at " << offset << ", " << context;
  };
  // Pages of summaries from many starts (forward in steps, the same start twice, backwards, a
  // jump past a long line, to the end of the file and past it), each followed by one whole line
  // and the slots of the page read twice over.
  const std::vector<int> starts = {0, 0, 10, 4, 42, 36, 190, 195, 100, 150, 0};
  for (int start : starts) {
    for (int i = start; i < start + 10 && i < 200; ++i) {
      database.ReadSummary(offsets[static_cast<std::size_t>(i)], got);
      ASSERT_EQ(fresh.Open(1), 1);
      fresh.ReadSummary(offsets[static_cast<std::size_t>(i)], want);
      EXPECT_STREQ(got, want) << "page from " << start << ", row " << i;
    }
    expectSame(offsets[static_cast<std::size_t>(start + 3)], "after the page from " + std::to_string(start));
    expectSame(tail, "the unterminated tail");
    expectSame(tail + 5, "inside the tail");
    expectSame(offsets[static_cast<std::size_t>(start)] + 1, "one byte into a line");
    for (int i = start; i < start + 10; ++i) {
      for (int twice = 0; twice < 2; ++twice) {
        database.ReadSlot(i);
        EXPECT_EQ(database.LineOffset(), i < 200 ? offsets[static_cast<std::size_t>(i)] : -1) << "slot " << i;
        EXPECT_EQ(std::string(database.CurrentName()), i < 200 ? "N" + std::to_string(i) : "") << "slot " << i;
      }
    }
  }
}

TEST_F(RollFiles, SlotRunsGiveWhatReadSlotGives) {
  std::vector<std::pair<int, std::string>> slots;
  for (int i = 0; i < 300; ++i) slots.push_back({i * 7, "S" + std::to_string(i)});
  OpenWith("x\n", NameFile(11, slots));
  ASSERT_EQ(database.SlotSize(), 15);

  RollDatabase fresh(location, BoxAnswers());
  ASSERT_EQ(fresh.Open(1), 1);
  std::vector<unsigned char> run(15 * 64 + 14);  // room for 64 slots and part of another
  // Runs from several starts, with ends before, at and past the file's end, each after a single
  // slot read somewhere else so that the stream is not where the run starts.
  const std::vector<std::pair<int, int>> spans = {{0, 10}, {10, 300}, {5, 6}, {290, 400}, {299, 300}, {42, 2000}};
  for (const auto& [first, end] : spans) {
    database.ReadSlot(first > 0 ? first - 1 : 100);
    const int expected = std::min({end, 300, first + 64}) - first;
    const int got = database.ReadSlotRun(first, end, run.data(), run.size());
    ASSERT_EQ(got, expected) << first << ".." << end;
    for (int i = 0; i < got; ++i) {
      database.TakeSlot(run.data() + static_cast<std::size_t>(i) * 15);
      fresh.ReadSlot(first + i);
      EXPECT_EQ(database.LineOffset(), fresh.LineOffset()) << "slot " << first + i;
      EXPECT_STREQ(database.CurrentName(), fresh.CurrentName()) << "slot " << first + i;
    }
    // The slot after the run reads right, whether or not the stream is already there.
    database.ReadSlot(first + got);
    fresh.ReadSlot(first + got);
    EXPECT_EQ(database.LineOffset(), fresh.LineOffset());
  }
  // Nothing to read: before the start, at or past the end, or no room for one slot.
  EXPECT_EQ(database.ReadSlotRun(-1, 10, run.data(), run.size()), 0);
  EXPECT_EQ(database.ReadSlotRun(300, 400, run.data(), run.size()), 0);
  EXPECT_EQ(database.ReadSlotRun(20, 20, run.data(), run.size()), 0);
  EXPECT_EQ(database.ReadSlotRun(0, 10, run.data(), 14), 0);
}

TEST_F(RollFiles, ARunOverANameFileCutShortSinceItWasOpenedReadsOnlyWholeSlots) {
  std::vector<std::pair<int, std::string>> slots;
  for (int i = 0; i < 100; ++i) slots.push_back({i, "N" + std::to_string(i)});
  OpenWith("x\n", NameFile(8, slots));
  std::filesystem::resize_file(dir.File("mroll.cor"), 12 * 40 + 5);
  std::vector<unsigned char> run(12 * 100);
  ASSERT_EQ(database.ReadSlotRun(0, 100, run.data(), run.size()), 40);
  database.TakeSlot(run.data() + 12 * 39);
  EXPECT_STREQ(database.CurrentName(), "N39");
  EXPECT_EQ(database.ReadSlotRun(40, 100, run.data(), run.size()), 0);
  database.ReadSlot(40);
  EXPECT_EQ(database.LineOffset(), -1);
}
