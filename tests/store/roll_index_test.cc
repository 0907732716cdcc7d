#include "store/roll_index.h"

#include <gtest/gtest.h>

#include <cstring>

#include "support/scoped_temp_dir.h"
#include "support/scripted_message_box.h"

namespace {

std::string Entry(int first, int count, const std::string& key) {
  std::string e = Le32(first) + Le32(count) + key;
  e.resize(kIndexEntrySize, '\0');
  return e;
}

// A node of up to four (key, first slot) entries with slot count 1 and the given children.
std::string Node(const std::vector<std::pair<std::string, int>>& entries, std::vector<int> children = {}) {
  std::string n = Le32(static_cast<int>(entries.size()));
  for (const auto& [key, first] : entries) n += Entry(first, 1, key);
  n.resize(4 + kMaxNodeEntries * kIndexEntrySize, '\0');
  children.resize(kMaxNodeEntries + 1, -1);
  for (int c : children) n += Le32(c);
  return n;
}

constexpr int kNode0 = 8;
constexpr int kNode1 = 8 + 152;
constexpr int kNode2 = 8 + 2 * 152;

IndexEntry Keyed(const char* key) {
  IndexEntry e;
  std::strcpy(e.key, key);
  return e;
}

}  // namespace

TEST(IndexNodeLayout, IsTheDocumentedBytes) {
  const std::string bytes = Node({{"B", 7}}, {kNode1, -1});
  ASSERT_EQ(bytes.size(), 152u);
  IndexNode node = IndexNode::Decode(reinterpret_cast<const unsigned char*>(bytes.data()));
  EXPECT_EQ(node.entryCount, 1);
  EXPECT_EQ(node.entries[0].firstSlot, 7);
  EXPECT_STREQ(node.entries[0].key, "B");
  EXPECT_EQ(node.children[0], kNode1);
  EXPECT_EQ(node.children[4], -1);
  unsigned char back[152];
  node.Encode(back);
  EXPECT_EQ(std::memcmp(back, bytes.data(), 152), 0);
}

TEST(IndexNodeLayout, AKeyWithoutItsNulIsCutAtTheField) {
  std::string bytes = Node({{"", 0}});
  std::memset(bytes.data() + 4 + 8, 'Z', kIndexKeySize);
  IndexNode node = IndexNode::Decode(reinterpret_cast<const unsigned char*>(bytes.data()));
  EXPECT_EQ(std::strlen(node.entries[0].key), 23u);
}

TEST(FindPosition, BisectsWithinANode) {
  const IndexEntry bdf[] = {Keyed("B"), Keyed("D"), Keyed("F")};
  const std::pair<const char*, int> cases[] = {{"A", 0}, {"B", 0}, {"C", 1}, {"D", 1},
                                               {"E", 2}, {"F", 2}, {"G", 3}};
  for (const auto& [key, position] : cases) {
    EXPECT_EQ(RollIndex::FindPosition(key, bdf, 3), position) << key;
  }
  const IndexEntry four[] = {Keyed("B"), Keyed("D"), Keyed("F"), Keyed("H")};
  for (const auto& [key, position] : std::initializer_list<std::pair<const char*, int>>{
           {"C", 1}, {"E", 2}, {"G", 3}, {"H", 3}, {"I", 4}}) {
    EXPECT_EQ(RollIndex::FindPosition(key, four, 4), position) << key;
  }
  const IndexEntry one[] = {Keyed("M")};
  EXPECT_EQ(RollIndex::FindPosition("L", one, 1), 0);
  EXPECT_EQ(RollIndex::FindPosition("M", one, 1), 0);
  EXPECT_EQ(RollIndex::FindPosition("N", one, 1), 1);
  // Bytes above 0x7F sort after the ASCII letters.
  EXPECT_EQ(RollIndex::FindPosition("\xC9", one, 1), 1);
}

class IndexFile : public ::testing::Test {
 protected:
  // Root B D F at node 0; child 1 (between B and D) holds C; child 3 (after F) holds G and H.
  std::string TwoLevels() {
    return Le32(kNode0) + Le32(-1) + Node({{"B", 10}, {"D", 20}, {"F", 30}}, {-1, kNode1, -1, kNode2}) +
           Node({{"C", 15}}) + Node({{"G", 35}, {"H", 40}}) + "\x04";
  }
  std::int32_t Find(RollIndex& index, const char* key) {
    std::int32_t first = 99, count = 99;
    index.Lookup(key, &first, &count);
    EXPECT_EQ(count, first == -1 ? 0 : 1) << key;
    return first;
  }
  ScopedTempDir dir;
  std::string path = dir.File("mroll.tre");
};

TEST_F(IndexFile, LooksKeysUpThroughTheTree) {
  WriteFileBytes(path, TwoLevels());
  RollIndex index(path.c_str());
  EXPECT_EQ(index.RootOffset(), kNode0);
  EXPECT_EQ(index.RootCache().entryCount, 3);
  const std::pair<const char*, int> cases[] = {{"B", 10}, {"C", 15}, {"D", 20}, {"F", 30}, {"G", 35},
                                               {"H", 40}, {"A", -1}, {"E", -1}, {"Z", -1}, {"C ", -1}};
  for (const auto& [key, first] : cases) EXPECT_EQ(Find(index, key), first) << key;
  index.Close();
  EXPECT_EQ(ReadFileBytes(path), TwoLevels());  // an existing index is never written
}

TEST_F(IndexFile, EmptyIndexMissesEverything) {
  WriteFileBytes(path, std::string(8, '\xFF') + "\x04");
  RollIndex index(path.c_str());
  EXPECT_EQ(Find(index, "SMITH"), -1);
}

TEST_F(IndexFile, AMissingIndexIsCreatedEmpty) {
  {
    RollIndex index(path.c_str());
    EXPECT_EQ(Find(index, "SMITH"), -1);
  }
  EXPECT_EQ(ReadFileBytes(path), std::string(8, '\xFF') + "\x04");
}

TEST_F(IndexFile, AnIndexThatCannotBeCreatedIsEmpty) {
  RollIndex index(dir.File("no/such/dir/mroll.tre").c_str());
  EXPECT_EQ(Find(index, "SMITH"), -1);
  index.Close();
}

TEST_F(IndexFile, DamagedTreesEndTheLookupAsNotFound) {
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"child points back to the root",
       Le32(kNode0) + Le32(-1) + Node({{"B", 1}}, {-1, kNode0}) + "\x04"},
      {"two nodes pointing at each other",
       Le32(kNode0) + Le32(-1) + Node({{"B", 1}}, {-1, kNode1}) + Node({{"A", 1}}, {-1, kNode0}) + "\x04"},
      {"child beyond the end", Le32(kNode0) + Le32(-1) + Node({{"B", 1}}, {-1, 100000}) + "\x04"},
      {"child inside the header", Le32(kNode0) + Le32(-1) + Node({{"B", 1}}, {-1, 4}) + "\x04"},
      {"negative child", Le32(kNode0) + Le32(-1) + Node({{"B", 1}}, {-1, -77}) + "\x04"},
      {"root overlapping the end byte", Le32(kNode0 + 1) + Le32(-1) + Node({{"B", 1}}) + "\x04"},
      {"header cut short", std::string("\x08\x00", 2) + "\x04"},
  };
  for (Case& c : cases) {
    WriteFileBytes(path, c.bytes);
    RollIndex index(path.c_str());
    EXPECT_EQ(Find(index, "C"), -1) << c.what;
  }
  // Entry counts outside 1..4 end the lookup, even when the key is there.
  for (int count : {0, 5, -1, 1000}) {
    std::string bytes = Le32(kNode0) + Le32(-1) + Node({{"C", 3}}) + "\x04";
    bytes.replace(kNode0, 4, Le32(count));
    WriteFileBytes(path, bytes);
    RollIndex index(path.c_str());
    EXPECT_EQ(Find(index, "C"), -1) << count;
  }
}

// The end byte is the index's only format check: without it the index is not one, and the status
// says so (the viewer then ends, as it always has; rollkit names the file).
TEST_F(IndexFile, AWrongEndByteOrSomethingElseInItsPlaceIsNoIndex) {
  for (const std::string& bytes : {std::string(8, '\xFF') + '\0', std::string()}) {
    WriteFileBytes(path, bytes);
    RollIndex index(path.c_str());
    EXPECT_FALSE(index.Usable());
    EXPECT_EQ(index.Status().problem, RollProblem::kIndexFormat);
    EXPECT_EQ(index.Status().Text(), path + ": not an index file (its last byte is not 04)");
    EXPECT_EQ(Find(index, "SMITH"), -1);
    EXPECT_EQ(ReadFileBytes(path), bytes) << "never repaired";
  }
  RemoveFile(path.c_str());
  ASSERT_TRUE(MakeDirectory(path));
  RollIndex directory(path.c_str());
  EXPECT_EQ(directory.Status().problem, RollProblem::kIndexFormat);
  EXPECT_EQ(directory.Status().Text(), path + ": a directory, not a roll file");
}

// A tool that changes no file of a roll is told the index is missing instead of getting a new one.
TEST_F(IndexFile, AMissingIndexIsRefusedWhenNothingMayBeMade) {
  RollIndex index(path.c_str(), MissingIndex::kRefuse);
  EXPECT_EQ(index.Status().problem, RollProblem::kIndexMissing);
  EXPECT_EQ(index.Status().Text(), path + ": missing");
  EXPECT_EQ(KindOfPath(path), FileKind::kMissing);
}
