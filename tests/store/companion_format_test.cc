// The companion's codec: integers where the format puts them, varints that refuse to run past
// their bytes, dictionaries and headers that refuse what does not add up.
#include "store/companion_format.h"

#include <gtest/gtest.h>

#include <vector>

#include "store/packed_slots.h"
#include "store/slot_group_column.h"

namespace {

TEST(CompanionFormat, IntegersAreLittleEndianAndVarintsStopAtTheirEnd) {
  std::string bytes;
  PutFixed32(&bytes, 0x04030201u);
  PutFixed64(&bytes, 0x0807060504030201ull);
  EXPECT_EQ(bytes, std::string("\x01\x02\x03\x04\x01\x02\x03\x04\x05\x06\x07\x08", 12));

  for (std::uint64_t value : {0ull, 127ull, 128ull, 300ull, 0xFFFFFFFFull, ~0ull}) {
    std::string v;
    PutVarint(&v, value);
    const auto* at = reinterpret_cast<const unsigned char*>(v.data());
    std::uint64_t back = 0;
    ASSERT_TRUE(GetVarint(&at, at + v.size(), &back)) << value;
    EXPECT_EQ(back, value);
    // Cut short by one byte, it is no varint, and nothing is taken.
    const auto* start = reinterpret_cast<const unsigned char*>(v.data());
    at = start;
    EXPECT_FALSE(GetVarint(&at, start + v.size() - 1, &back)) << value;
    EXPECT_EQ(at, start);
  }
  const std::string tooLong(11, '\x80');
  const auto* at = reinterpret_cast<const unsigned char*>(tooLong.data());
  std::uint64_t value = 0;
  EXPECT_FALSE(GetVarint(&at, at + tooLong.size(), &value));
  const std::string overflow = std::string(9, '\xFF') + '\x02';
  at = reinterpret_cast<const unsigned char*>(overflow.data());
  EXPECT_FALSE(GetVarint(&at, at + overflow.size(), &value));
}

// A packed list unpacks a part at a time to the same slots as at once, and stops, keeping what it
// had, at bytes that end early, a slot that does not rise or one outside its run.
TEST(CompanionFormat, PackedSlotsUnpackInPartsAndStopAtWhatDoesNotAddUp) {
  auto packed = [](std::initializer_list<std::uint64_t> deltas, std::int64_t count) {
    std::string bytes;
    for (const std::uint64_t d : deltas) PutVarint(&bytes, d);
    return PackedSlots{std::make_shared<const std::string>(std::move(bytes)), 100, 110, count};
  };
  const PackedSlots sound = packed({0, 3, 1, 5}, 4);
  std::vector<std::int32_t> slots;
  std::size_t at = 0;
  ASSERT_TRUE(UnpackSlots(sound, &at, 3, &slots));
  EXPECT_EQ(slots, (std::vector<std::int32_t>{100, 103, 104}));
  ASSERT_TRUE(UnpackSlots(sound, &at, 64, &slots));
  EXPECT_EQ(slots, (std::vector<std::int32_t>{100, 103, 104, 109}));
  EXPECT_EQ(at, sound.deltas->size());

  // Each with the slots it gives before it stops.
  const std::pair<PackedSlots, std::vector<std::int32_t>> bad[] = {{packed({2, 3}, 3), {102, 105}},
                                                                   {packed({2, 0}, 2), {102}},
                                                                   {packed({2, 8}, 2), {102}},
                                                                   {packed({10}, 1), {}}};
  for (const auto& [list, kept] : bad) {
    slots.clear();
    at = 0;
    EXPECT_FALSE(UnpackSlots(list, &at, 64, &slots));
    EXPECT_EQ(slots, kept);
  }
}

// A column of slot groups is whole or not made; a scan of it stops where asked and resumes there.
TEST(CompanionFormat, SlotGroupColumnsNameOnlyTheirGroupsAndScanInParts) {
  // Slots 0..4 of width 2: groups 1, 258, 0, 258, 1.
  const std::vector<unsigned char> bytes = {1, 0, 2, 1, 0, 0, 2, 1, 1, 0};
  EXPECT_EQ(SlotGroupColumn::Make(bytes, 2, 5, 258), nullptr) << "group 258 of 258";
  EXPECT_EQ(SlotGroupColumn::Make(bytes, 2, 6, 259), nullptr) << "more slots than bytes";
  EXPECT_EQ(SlotGroupColumn::Make(bytes, 5, 2, 259), nullptr) << "a width past four bytes";
  const auto column = SlotGroupColumn::Make(bytes, 2, 5, 259);
  ASSERT_NE(column, nullptr);
  EXPECT_EQ(column->GroupOf(1), 258u);
  std::vector<std::uint8_t> verdicts(259, 0);
  verdicts[258] = verdicts[0] = 1;
  std::vector<std::int32_t> found;
  std::int64_t from = 0;
  column->Passing(verdicts, &from, 99, 1, &found);
  EXPECT_EQ(found, (std::vector<std::int32_t>{1}));
  EXPECT_EQ(from, 2);
  column->Passing(verdicts, &from, 99, 9, &found);
  EXPECT_EQ(found, (std::vector<std::int32_t>{1, 2, 3}));
  EXPECT_EQ(from, 5);
  // Verdicts that do not cover every group pass nothing.
  found.clear();
  from = 0;
  column->Passing(std::vector<std::uint8_t>(3, 1), &from, 5, 9, &found);
  EXPECT_TRUE(found.empty());
}

TEST(CompanionFormat, DictionariesMustBeAscendingAndInsideTheirBytes) {
  std::string bytes;
  EncodeDictionary({"", "5 IL INF", "CAV"}, &bytes);
  Dictionary d;
  ASSERT_TRUE(d.Take(bytes));
  EXPECT_EQ(d.Size(), 3u);
  EXPECT_EQ(d.Text(1), "5 IL INF");
  EXPECT_EQ(d.Find("CAV"), 2);
  EXPECT_EQ(d.Find("CA"), -1);

  std::string unordered;
  EncodeDictionary({"B", "A"}, &unordered);
  EXPECT_FALSE(Dictionary().Take(unordered));
  std::string cut = bytes.substr(0, bytes.size() - 1);
  EXPECT_FALSE(Dictionary().Take(cut));
  std::string huge = bytes;
  huge[0] = '\xFF';  // a count no bytes could hold
  EXPECT_FALSE(Dictionary().Take(huge));
}

TEST(CompanionFormat, AHeaderOnlyDecodesForTheFileItWasWrittenFor) {
  CompanionHeader h;
  h.roll.nameLength = 21;
  h.roll.slotTotal = 7;
  h.roll.indexHash = {1, 2};
  std::uint64_t at = kCompanionHeaderSize;
  for (SectionPlace& s : h.sections) {
    s = {at, 10};
    at += 10;
  }
  h.blockTableOffset = at;
  h.blockCount = BlockCountFor(at);
  h.fileSize = at + 8 * h.blockCount;
  unsigned char bytes[kCompanionHeaderSize];
  h.Encode(bytes);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), 8), "DRVHCMPN");

  CompanionHeader back;
  std::string reason;
  ASSERT_TRUE(CompanionHeader::Decode(bytes, static_cast<std::int64_t>(h.fileSize), &back, &reason))
      << reason;
  EXPECT_EQ(back.roll, h.roll);
  EXPECT_FALSE(CompanionHeader::Decode(bytes, static_cast<std::int64_t>(h.fileSize) + 1, &back, &reason));
  EXPECT_NE(reason.find("truncated?"), std::string::npos);

  // A section out of its place is refused even with a checksum that matches.
  h.sections[3].offset += 1;
  h.Encode(bytes);
  EXPECT_FALSE(CompanionHeader::Decode(bytes, static_cast<std::int64_t>(h.fileSize), &back, &reason));
  EXPECT_EQ(reason, "its section 3 lies outside the file");
  bytes[9] ^= 1;  // the version
  EXPECT_FALSE(CompanionHeader::Decode(bytes, static_cast<std::int64_t>(h.fileSize), &back, &reason));
  EXPECT_EQ(reason, "written by another version (" + std::to_string(kCompanionVersion ^ 0x100) + ")");
}

}  // namespace
