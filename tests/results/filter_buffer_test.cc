#include "results/filter_buffer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "support/scoped_env.h"
#include "support/scoped_temp_dir.h"

namespace {

class Buffer : public ::testing::Test {
 protected:
  void Fill(int records) {
    for (int i = 0; i < records; ++i) {
      ASSERT_EQ(buffer.Append(1000 + i, ("N" + std::to_string(i)).c_str(), nullptr), 1);
    }
    buffer.CountRecords();
  }
  // Reads a page and returns the line offset of its first row (-1 when empty) and its size.
  std::pair<int, int> Page(int (FilterBuffer::*turn)(ResultRow*)) {
    const int n = (buffer.*turn)(rows);
    return {n > 0 ? rows[0].lineOffset - 1000 : -1, n};
  }

  ScopedTempDir dir;
  FilterBuffer buffer{dir.File("history.buf")};
  ResultRow rows[10];
};

}  // namespace

TEST_F(Buffer, StartsEmptyOnDisk) {
  EXPECT_TRUE(buffer.IsOpen());
  EXPECT_EQ(ReadFileBytes(dir.File("history.buf")), "");
  buffer.CountRecords();
  EXPECT_EQ(buffer.RecordCount(), 0);
  EXPECT_EQ(buffer.FirstPage(rows), 0);
  EXPECT_EQ(buffer.MoreAfter(), 0);
  EXPECT_EQ(buffer.MoreBefore(), 0);
}

TEST_F(Buffer, RecordsAreThreeHundredBytesAndPartialOnesDoNotCount) {
  Fill(1);
  const std::string bytes = ReadFileBytes(dir.File("history.buf"));
  ASSERT_EQ(bytes.size(), 300u);
  EXPECT_EQ(bytes.substr(0, 4), Le32(1000));
  EXPECT_EQ(bytes.substr(4, 2), "N0");
  WriteFileBytes(dir.File("history.buf"), bytes + "x");
  buffer.CountRecords();
  EXPECT_EQ(buffer.RecordCount(), 1);
  EXPECT_EQ(buffer.Empty(), 1);
  EXPECT_EQ(buffer.RecordCount(), 0);
  EXPECT_EQ(ReadFileBytes(dir.File("history.buf")), "");
}

TEST_F(Buffer, AppendsLandAtTheEndWhateverWasReadOrReopenedBetween) {
  ASSERT_EQ(buffer.Append(1000, "A", nullptr), 1);
  ASSERT_EQ(buffer.Append(1001, "B", nullptr), 1);
  EXPECT_EQ(buffer.ReadRecords(rows, 0, 1), 1);  // the stream now stands after the first record
  ASSERT_EQ(buffer.Append(1002, "C", nullptr), 1);
  buffer.CountRecords();                          // reopens: the stream stands at the start
  ASSERT_EQ(buffer.Append(1003, "D", nullptr), 1);
  ASSERT_EQ(buffer.Reopen(), 1);
  ASSERT_EQ(buffer.Append(1004, "E", nullptr), 1);
  buffer.CountRecords();
  ASSERT_EQ(buffer.RecordCount(), 5);
  const std::string bytes = ReadFileBytes(dir.File("history.buf"));
  ASSERT_EQ(bytes.size(), 1500u);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(bytes.substr(i * 300, 4), Le32(1000 + i)) << "record " << i;
    EXPECT_EQ(bytes[i * 300 + 4], 'A' + i) << "record " << i;
  }
}

// Emptying and reopening a buffer that is already empty and unused are skipped; whatever came
// between must still be emptied or brought out.
TEST_F(Buffer, EmptyAndReopenStillMeanWhatTheySayAfterAnything) {
  const std::string file = dir.File("history.buf");
  EXPECT_EQ(buffer.Empty(), 1);
  EXPECT_EQ(buffer.Empty(), 1);
  EXPECT_EQ(buffer.Reopen(), 1);
  ASSERT_EQ(buffer.Append(1000, "A", nullptr), 1);
  EXPECT_EQ(buffer.Empty(), 1);  // after an append: really emptied
  EXPECT_EQ(ReadFileBytes(file), "");
  ASSERT_EQ(buffer.Append(1001, "B", nullptr), 1);
  EXPECT_EQ(buffer.Reopen(), 1);  // after an append: really reopened, so the record is out
  EXPECT_EQ(ReadFileBytes(file).size(), 300u);
  EXPECT_EQ(buffer.FirstPage(rows), 1);
  EXPECT_EQ(buffer.Empty(), 1);  // after a read
  EXPECT_EQ(ReadFileBytes(file), "");
  EXPECT_EQ(buffer.FirstPage(rows), 0);
  WriteFileBytes(file, std::string(600, 'x'));  // written behind the buffer's back after a read
  EXPECT_EQ(buffer.Reopen(), 1);
  EXPECT_EQ(buffer.Empty(), 1);
  EXPECT_EQ(ReadFileBytes(file), "");
  buffer.Close();
  EXPECT_EQ(buffer.Empty(), 1);  // after a close
  EXPECT_TRUE(buffer.IsOpen());
  buffer.CountRecords();
  EXPECT_EQ(buffer.RecordCount(), 0);
}

// A search empties the buffer without waiting for the file system to cut the file: the cut must
// still come before anything is written there, or the old records would follow the new ones.
TEST_F(Buffer, ACutLeftForLaterComesBeforeTheNextWriteAndAtTheClose) {
  const std::string file = dir.File("history.buf");
  Fill(25);
  ASSERT_EQ(buffer.Empty(FilterBuffer::Cut::kBeforeNextWrite), 1);
  EXPECT_EQ(ReadFileBytes(file).size(), 7500u);  // not cut yet, and counted and paged as empty
  buffer.CountRecords();
  EXPECT_EQ(buffer.RecordCount(), 0);
  EXPECT_EQ(buffer.FirstPage(rows), 0);
  EXPECT_EQ(buffer.MoreAfter(), 0);

  Fill(3);  // appended records
  EXPECT_EQ(buffer.RecordCount(), 3);
  EXPECT_EQ(ReadFileBytes(file).size(), 900u);
  EXPECT_EQ(Page(&FilterBuffer::FirstPage), std::make_pair(0, 3));

  ASSERT_EQ(buffer.Empty(FilterBuffer::Cut::kBeforeNextWrite), 1);
  MatchList matches;  // records written after the page was shown
  matches.Add(2000, "P");
  matches.Add(2001, "Q");
  ASSERT_EQ(buffer.AppendPending(std::move(matches)), 1);
  EXPECT_EQ(buffer.FirstPage(rows), 2);
  EXPECT_EQ(ReadFileBytes(file).size(), 900u);
  ASSERT_TRUE(buffer.WritePending());
  const std::string bytes = ReadFileBytes(file);
  ASSERT_EQ(bytes.size(), 600u);
  EXPECT_EQ(bytes.substr(300, 4), Le32(2001));

  ASSERT_EQ(buffer.Empty(FilterBuffer::Cut::kBeforeNextWrite), 1);
  EXPECT_TRUE(buffer.FinishCut());
  EXPECT_EQ(ReadFileBytes(file), "");
  Fill(1);
  ASSERT_EQ(buffer.Empty(FilterBuffer::Cut::kBeforeNextWrite), 1);
  buffer.Close();
  EXPECT_EQ(ReadFileBytes(file), "");
}

// The buffer keeps the memory of one search's matches for the next: a small answer after a large
// one must write its own records alone, whole and in order, the large one's across several writes.
TEST_F(Buffer, MatchesKeptForTheNextSearchHoldOnlyItsRecords) {
  const std::string file = dir.File("history.buf");
  const auto pend = [&](int first, int shown, int promised) {
    MatchList page;
    for (int i = 0; i < shown; ++i) page.Add(first + i, "NAME " + std::to_string(first + i));
    ASSERT_EQ(buffer.AppendPending(std::move(page), promised,
                                   [=](MatchList* rest) {
                                     for (int i = shown; i < promised; ++i)
                                       rest->Add(first + i, "NAME " + std::to_string(first + i));
                                     return true;
                                   }),
              1);
  };
  const auto expectRecords = [&](int first, int count) {
    const std::string bytes = ReadFileBytes(file);
    ASSERT_EQ(bytes.size(), static_cast<std::size_t>(count) * 300);
    for (int i = 0; i < count; i += 97) {
      EXPECT_EQ(bytes.substr(static_cast<std::size_t>(i) * 300, 4), Le32(first + i)) << i;
      EXPECT_EQ(bytes.substr(static_cast<std::size_t>(i) * 300 + 4, 10), "NAME " + std::to_string(first + i))
          << i;
    }
  };
  ASSERT_EQ(buffer.Empty(), 1);
  pend(10000, 10, 9000);
  ASSERT_TRUE(buffer.WritePending());
  expectRecords(10000, 9000);

  ASSERT_EQ(buffer.Empty(FilterBuffer::Cut::kBeforeNextWrite), 1);
  pend(20000, 2, 3);
  EXPECT_EQ(buffer.RecordCount(), 3);
  ASSERT_TRUE(buffer.WritePending());
  EXPECT_FALSE(buffer.HasPending());
  expectRecords(20000, 3);
  EXPECT_EQ(ReadFileBytes(file).substr(600 + 4, 10), "NAME 20002");
}

// The second emptying of a search skips the look at the path only when nothing was written since
// the first: records appended or left pending are emptied as by Empty.
TEST_F(Buffer, ASecondEmptyingEmptiesWhatWasWrittenSince) {
  const std::string file = dir.File("history.buf");
  Fill(3);
  ASSERT_EQ(buffer.EmptyAgain(), 1);
  buffer.CountRecords();
  EXPECT_EQ(buffer.RecordCount(), 0);
  EXPECT_TRUE(buffer.FinishCut());
  EXPECT_EQ(ReadFileBytes(file), "");
  ASSERT_EQ(buffer.Empty(FilterBuffer::Cut::kBeforeNextWrite), 1);
  MatchList matches;
  matches.Add(2000, "P");
  ASSERT_EQ(buffer.AppendPending(std::move(matches)), 1);
  ASSERT_EQ(buffer.EmptyAgain(), 1);
  EXPECT_EQ(buffer.FirstPage(rows), 0);
  ASSERT_TRUE(buffer.WritePending());
  EXPECT_EQ(ReadFileBytes(file), "");

  // Untouched since: the buffer stays open and empty, and the next records land alone.
  EXPECT_EQ(buffer.EmptyAgain(), 1);
  Fill(2);
  EXPECT_EQ(buffer.RecordCount(), 2);
  EXPECT_EQ(ReadFileBytes(file).size(), 600u);
}

TEST_F(Buffer, AnEmptiedFileRemovedOrReplacedBehindItsBackIsMadeAgain) {
  const std::string file = dir.File("history.buf");
  for (const bool replace : {false, true}) {
    SCOPED_TRACE(replace ? "replaced" : "removed");
    EXPECT_EQ(buffer.Empty(), 1);
    std::remove(file.c_str());
    if (replace) WriteFileBytes(file, std::string(300, 'x'));
    EXPECT_EQ(buffer.Empty(), 1);
    EXPECT_EQ(ReadFileBytes(file), "");
    EXPECT_EQ(buffer.Reopen(), 1);
    ASSERT_EQ(buffer.Append(1000, "A", nullptr), 1);
    buffer.CountRecords();
    EXPECT_EQ(buffer.RecordCount(), 1);
    EXPECT_EQ(ReadFileBytes(file).size(), 300u);
  }
}

TEST_F(Buffer, PagesTwentyFiveRecordsByTen) {
  Fill(25);
  EXPECT_EQ(buffer.RecordCount(), 25);
  EXPECT_EQ(Page(&FilterBuffer::FirstPage), std::make_pair(0, 10));
  EXPECT_EQ(buffer.MoreBefore(), 0);
  EXPECT_EQ(buffer.MoreAfter(), 1);
  EXPECT_EQ(Page(&FilterBuffer::NextPage), std::make_pair(10, 10));
  EXPECT_EQ(buffer.MoreBefore(), 1);
  EXPECT_EQ(Page(&FilterBuffer::NextPage), std::make_pair(20, 5));
  EXPECT_EQ(buffer.MoreAfter(), 0);
  EXPECT_EQ(buffer.MoreBefore(), 1);
  EXPECT_EQ(Page(&FilterBuffer::PreviousPage), std::make_pair(10, 10));
  EXPECT_EQ(Page(&FilterBuffer::PreviousPage), std::make_pair(0, 10));
  EXPECT_EQ(buffer.MoreBefore(), 0);
  EXPECT_EQ(Page(&FilterBuffer::PreviousPage), std::make_pair(0, 10));  // clamped at the start
  EXPECT_STREQ(rows[3].nameText, "N3");
}

TEST_F(Buffer, AnExactPageHasNeitherNeighbour) {
  for (int perPage : {10, 8}) {
    buffer.Empty();
    buffer.SetRowsPerPage(perPage);
    Fill(perPage);
    EXPECT_EQ(Page(&FilterBuffer::FirstPage), std::make_pair(0, perPage));
    EXPECT_EQ(buffer.MoreAfter(), 0) << perPage;
    EXPECT_EQ(buffer.MoreBefore(), 0) << perPage;
  }
}

// Records another writer put after ours, ignoring the lock, are read back as records, every text
// ending within its field. (Into a file the buffer has just emptied and not written since, such
// bytes are never read: the buffer knows it is empty, and its next emptying cuts them.)
TEST_F(Buffer, HostileRecordsComeBackTerminated) {
  ASSERT_EQ(buffer.Append(7, "OURS", nullptr), 1);
  buffer.CountRecords();
  ASSERT_EQ(buffer.RecordCount(), 1);
  std::ofstream(PathFromUtf8(dir.File("history.buf")), std::ios::binary | std::ios::app) << std::string(600, '\x7F');
  // Where holding the file keeps every other writer out (Windows), no such records can arrive.
  if (ReadFileBytes(dir.File("history.buf")).size() != 900) GTEST_SKIP() << "no other program can write into the held file here";
  buffer.CountRecords();
  ASSERT_EQ(buffer.FirstPage(rows), 3);
  EXPECT_STREQ(rows[0].nameText, "OURS");
  EXPECT_EQ(std::strlen(rows[2].nameText), 254u);
  EXPECT_EQ(std::strlen(rows[2].summaryText), 40u);
}

// After Empty the file on disk has length 0, whatever was written into it since the last one.
TEST(FilterBufferHostile, EmptyAlwaysLeavesAnEmptyFile) {
  ScopedTempDir dir;
  const std::string path = dir.File("history.buf");
  FilterBuffer buffer(path);
  for (int round = 0; round < 3; ++round) {
    EXPECT_EQ(buffer.Empty(), 1);
    WriteFileBytes(path, std::string(600, 'j'));  // a writer that ignores the lock, in place
    EXPECT_EQ(buffer.Empty(), 1);
    EXPECT_EQ(ReadFileBytes(path), "");
    buffer.CountRecords();
    EXPECT_EQ(buffer.RecordCount(), 0);
  }
}
