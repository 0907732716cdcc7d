#include "store/roll_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "support/scoped_temp_dir.h"

namespace {

const unsigned char* Bytes(const std::string& s) { return reinterpret_cast<const unsigned char*>(s.data()); }

std::string Summary(const std::string& line) {
  char out[kSummaryBufferSize];
  SummaryBuilder summary(out);
  std::size_t at = 0;
  while (at < line.size() && summary.Feed(static_cast<unsigned char>(line[at++]))) {
  }
  if (!summary.Done()) {
    if (at < line.size()) {
      summary.Finish(static_cast<unsigned char>(line[at]));
    } else {
      summary.EndOfFile();
    }
  }
  return out;
}

}  // namespace

TEST(RollFormatKeys, PadShortSurnamesUpperCaseOnlyAToZAndRefuseLongOnes) {
  EXPECT_EQ(KeyOf("Smith"), "SMITH" + std::string(17, ' '));
  EXPECT_EQ(KeyOf(std::string(16, 'a')), std::string(16, 'A') + "      ");
  EXPECT_EQ(KeyOf(std::string(17, 'a')), std::string(17, 'A'));
  EXPECT_EQ(KeyOf(std::string(23, 'a')), std::string(23, 'A'));
  EXPECT_EQ(KeyOf(std::string(24, 'a')), "");
  EXPECT_EQ(KeyOf("m\xFCller o'neil"), "M\xFCLLER O'NEIL" + std::string(9, ' '));  // ü is not a-z
  char key[kIndexKeySize] = "van Dyke";
  NormaliseKey(key);
  EXPECT_EQ(std::string(key), KeyOf("van Dyke"));
  // The surname comes back from its key: unpadded for a short one, whole for a long one.
  for (const std::string& surname : std::vector<std::string>{"SMITH", "A", std::string(16, 'Q'), std::string(17, 'Q') + "  ", std::string(22, 'Z')}) {
    EXPECT_EQ(SurnameOfKey(KeyOf(surname)), surname) << surname;
  }
  EXPECT_EQ(SurnameOfKey("SMITH"), "SMITH");  // not a padded key
}

TEST(RollFormatNameFile, SlotsAndTrailerAreLittleEndianAndBounded) {
  unsigned char trailer[4];
  EncodeTrailer(trailer, 0x01020304);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(trailer), 4), "\x04\x03\x02\x01");
  EXPECT_EQ(DecodeTrailer(trailer), 0x01020304);
  EXPECT_TRUE(NameLengthUsable(0));
  EXPECT_TRUE(NameLengthUsable(255));
  EXPECT_FALSE(NameLengthUsable(256));
  EXPECT_FALSE(NameLengthUsable(-1));

  unsigned char slot[4 + 8];
  EncodeSlot(slot, 8, -2, "JOHN");
  EXPECT_EQ(std::string(reinterpret_cast<char*>(slot), sizeof slot), std::string("\xFE\xFF\xFF\xFFJOHN\0\0\0\0", 12));
  SlotValue value = DecodeSlot(slot, 8);
  EXPECT_EQ(value.lineOffset, -2);
  EXPECT_EQ(value.name, "JOHN");
  EncodeSlot(slot, 8, 7, "ABCDEFGHIJ");  // cut so that its NUL fits
  EXPECT_EQ(DecodeSlot(slot, 8).name, "ABCDEFG");
  // A name without its NUL is read to the slot's end and no further.
  const std::string full = std::string("\x01\0\0\0", 4) + "12345678" + "next";
  EXPECT_EQ(DecodeSlot(Bytes(full), 8).name, "12345678");
  EXPECT_EQ(DecodeSlot(Bytes(full), 0).name, "");
}

TEST(RollFormatIndex, NodesAndHeaderRoundTripByteForByte) {
  IndexNode node;
  node.entryCount = 2;
  node.entries[0] = {5, 3, "ADAMS                 "};
  node.entries[1] = {8, 1, "BAKER                 "};
  node.children[0] = 160;
  node.children[2] = 312;
  unsigned char bytes[kIndexNodeSize];
  node.Encode(bytes);
  std::string expected = std::string("\x02\0\0\0", 4) + std::string("\x05\0\0\0\x03\0\0\0", 8) + "ADAMS" +
                         std::string(17, ' ') + std::string(2, '\0') + std::string("\x08\0\0\0\x01\0\0\0", 8) + "BAKER" +
                         std::string(17, ' ') + std::string(2, '\0') + std::string(64, '\0');
  expected += std::string("\xA0\0\0\0", 4) + std::string("\xFF\xFF\xFF\xFF", 4) + std::string("\x38\x01\0\0", 4) +
              std::string(8, '\xFF');
  EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), sizeof bytes), expected);
  bool terminated[kMaxNodeEntries];
  const IndexNode back = IndexNode::Decode(bytes, terminated);
  EXPECT_EQ(back.entryCount, 2);
  EXPECT_STREQ(back.entries[1].key, "BAKER                 ");
  EXPECT_EQ(back.children[2], 312);
  EXPECT_TRUE(terminated[0]);

  // A key that fills all 24 bytes: cut in the decoded node, whole in the stored view.
  std::memset(bytes + 4 + 8, 'K', kIndexKeySize);
  const IndexNode cut = IndexNode::Decode(bytes, terminated);
  EXPECT_FALSE(terminated[0]);
  EXPECT_EQ(std::string(cut.entries[0].key), std::string(23, 'K'));
  EXPECT_EQ(StoredNodeKey(bytes, 0), std::string(24, 'K'));
  EXPECT_EQ(StoredNodeKey(bytes, 1), "BAKER" + std::string(17, ' '));

  unsigned char header[kIndexHeaderSize];
  IndexHeader{8, -1}.Encode(header);
  EXPECT_EQ(IndexHeader::Decode(header).rootOffset, 8);
  EXPECT_EQ(EmptyIndexBytes(), std::string(8, '\xFF') + "\x04");

  // Nodes lie between the header and the end byte; a descent meets at most this many.
  EXPECT_TRUE(NodeInsideIndex(8, 8 + 152 + 1));
  EXPECT_FALSE(NodeInsideIndex(8, 8 + 152));
  EXPECT_FALSE(NodeInsideIndex(7, 1000));
  EXPECT_EQ(MaxIndexNodes(9), 1);
  EXPECT_EQ(MaxIndexNodes(8 + 2 * 152 + 1), 3);
}

TEST(RollFormatFilterRecord, CutsTextsAndAlwaysTerminatesThem) {
  unsigned char record[kFilterRecordSize];
  EncodeFilterRecord(record, 0x10203, std::string(300, 'n').c_str(), std::string(60, 's').c_str());
  EXPECT_EQ(record[0], 0x03);
  EXPECT_EQ(record[4 + 254], 0);
  std::int32_t offset = 0;
  char name[kRowNameSize];
  char summary[kRowSummarySize];
  DecodeFilterRecord(record, &offset, name, summary);
  EXPECT_EQ(offset, 0x10203);
  EXPECT_EQ(std::string(name), std::string(254, 'n'));
  EXPECT_EQ(std::string(summary), std::string(40, 's'));
  std::memset(record, 'x', sizeof record);  // hostile bytes: no NUL anywhere
  DecodeFilterRecord(record, &offset, name, summary);
  EXPECT_EQ(std::strlen(name), 254u);
  EXPECT_EQ(std::strlen(summary), 40u);
}

// A match's record is written from its name as it stands, without a terminated copy: the bytes must
// be those of the terminated text, at every length and with a NUL inside.
TEST(RollFormatFilterRecord, AMatchRecordIsTheRecordOfItsTerminatedText) {
  for (const std::string& name :
       {std::string(), std::string("JOHN A"), std::string(254, 'n'), std::string(300, 'n'),
        std::string("JO\0HN", 5), std::string(253, 'n') + std::string("\0xyz", 4)}) {
    unsigned char fromText[kFilterRecordSize];
    unsigned char fromName[kFilterRecordSize];
    std::memset(fromName, 'x', sizeof fromName);  // every byte must be written
    EncodeFilterRecord(fromText, -7, std::string(name).c_str(), nullptr);
    EncodeMatchRecord(fromName, -7, name);
    EXPECT_EQ(std::memcmp(fromText, fromName, kFilterRecordSize), 0) << name.size();
  }
}

TEST(RollFormatLines, FieldsSplitAndJoinAndOnlySeparatorAndLineFeedAreForbidden) {
  EXPECT_EQ(SplitFields("J\xFF" "A\xFF\xFF" " x\xFF\n"), (std::vector<std::string_view>{"J", "A", "", " x"}));
  EXPECT_EQ(SplitFields("last\n"), std::vector<std::string_view>{"last"});  // a last field without 0xFF
  EXPECT_EQ(SplitFields("\n"), std::vector<std::string_view>{});
  EXPECT_EQ(JoinFields({"J", "", "5 IL INF"}), "J\xFF\xFF" "5 IL INF\xFF\n");
  EXPECT_TRUE(FieldTextStorable("a\rb\tc\x01\xFE"));
  EXPECT_FALSE(FieldTextStorable("a\xFF"));
  EXPECT_FALSE(FieldTextStorable("a\nb"));
}

// One field read alone is the field SplitFields gives, also where the line ends early, a field is
// empty, the LF comes before a separator, or bytes stand after the LF.
TEST(RollFormatLines, OneFieldReadAloneIsTheFieldOfTheWholeSplit) {
  // '|' stands for the separator.
  for (std::string line :
       {"J|A|| x|\n", "last\n", "\n", "", "a|b", "a|b|", "a|b\nc|d|\n", "|||\n", "J|D|5 IL INF|||||||U|\n"}) {
    std::replace(line.begin(), line.end(), '|', static_cast<char>(kFieldSeparator));
    const std::vector<std::string_view> fields = SplitFields(line);
    for (int f = 0; f < 12; ++f) {
      const std::string_view whole = f < static_cast<int>(fields.size()) ? fields[f] : std::string_view();
      EXPECT_EQ(LineField(line, f), whole) << "field " << f << " of '" << line << "'";
    }
  }
}

TEST(RollFormatSummary, TakesFourFieldsCutsAtThirtyBytesAndMarksTheCut) {
  const struct {
    std::string line, summary;
  } cases[] = {
      {"J\xFF" "CO A\xFF" "5 IL INF\xFF" "PVT\xFF" "CORP\xFF\n", "J\xFF CO A\xFF 5 IL INF\xFF PVT\xFF ..."},
      {"A  \xFF\xFF   \xFF" "B\xFF\n", "A\xFF B\xFF \n"},
      {"\xFFX\xFF\n", "X\xFF \n"},
      {std::string(30, 'z') + "\n", std::string(30, 'z')},
      {std::string(31, 'z') + "\n", std::string(30, 'z') + "..."},
      {std::string(29, 'y') + "\xFFY\xFF\n", std::string(29, 'y') + "\xFF ..."},
      {"", "..."},                 // the file ends at once
      {"AB", "AB..."},             // the file ends inside the line
  };
  for (const auto& c : cases) EXPECT_EQ(Summary(c.line), c.summary) << c.line;
  EXPECT_LE(Summary(std::string(29, 'y') + "\xFFY\xFF\n").size() + 1, static_cast<std::size_t>(kSummaryBufferSize));
}
