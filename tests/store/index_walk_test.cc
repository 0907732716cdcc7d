#include "store/index_walk.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/roll_format.h"
#include "store/roll_writer.h"
#include "support/scoped_temp_dir.h"

namespace {

// An index file of the given nodes (laid out from offset 8 in order), its root at `root`.
std::string IndexOf(const std::vector<IndexNode>& nodes, std::int32_t root = 8) {
  std::string bytes(kIndexHeaderSize, '\0');
  IndexHeader{root, -1}.Encode(reinterpret_cast<unsigned char*>(bytes.data()));
  for (const IndexNode& node : nodes) {
    unsigned char b[kIndexNodeSize];
    node.Encode(b);
    bytes.append(reinterpret_cast<char*>(b), sizeof b);
  }
  return bytes + static_cast<char>(kIndexEndByte);
}

IndexNode Node(std::vector<std::string> keys, std::vector<std::int32_t> children = {}) {
  IndexNode node;
  node.entryCount = static_cast<std::int32_t>(keys.size());
  for (std::size_t i = 0; i < keys.size() && i < kMaxNodeEntries; ++i) {
    node.entries[i].firstSlot = static_cast<std::int32_t>(i);
    node.entries[i].slotCount = 1;
    std::snprintf(node.entries[i].key, kIndexKeySize, "%s", keys[i].c_str());
  }
  for (std::size_t i = 0; i < children.size(); ++i) node.children[i] = children[i];
  return node;
}

constexpr std::int32_t At(int node) { return kIndexHeaderSize + node * kIndexNodeSize; }

struct Walked {
  std::vector<std::string> keys;
  std::vector<std::string> problems;
  IndexWalkResult result;
};

Walked Walk(const std::string& bytes) {
  Walked w;
  w.result = WalkIndexBytes(
      bytes, [&](const std::string& p) { w.problems.push_back(p); },
      [&](const WalkedEntry& e) { w.keys.emplace_back(e.key); });
  return w;
}

}  // namespace

TEST(IndexWalk, VisitsEveryKeyInOrder) {
  const Walked w = Walk(IndexOf({Node({"D", "H"}, {At(1), At(2), At(3)}), Node({"A", "B"}), Node({"E"}), Node({"K", "M"})}));
  EXPECT_EQ(w.keys, (std::vector<std::string>{"A", "B", "D", "E", "H", "K", "M"}));
  EXPECT_EQ(w.problems, std::vector<std::string>{});
  EXPECT_EQ(w.result.nodes, 4);
  EXPECT_EQ(w.result.entries, 7);
  EXPECT_FALSE(w.result.damaged);
  EXPECT_EQ(Walk(EmptyIndexBytes()).keys, std::vector<std::string>{});
  EXPECT_EQ(Walk("").result.nodes, 0);
}

// Whatever the child offsets say, the walk ends, visits no node twice and names the damage.
TEST(IndexWalk, EndsOnEveryDamageAndNamesIt) {
  const struct {
    const char* what;
    std::string bytes;
    std::string problem;
    std::vector<std::string> keys;
  } cases[] = {
      {"child back to the root", IndexOf({Node({"B"}, {At(0)})}), "node at 8 child 0: node at 8 is reached twice", {"B"}},
      {"two children, one node", IndexOf({Node({"B"}, {At(1), At(1)}), Node({"A"})}),
       "node at 8 child 1: node at 160 is reached twice", {"A", "B"}},
      {"child outside the file", IndexOf({Node({"B"}, {At(5)})}),
       "node at 8 child 0: node at 768 is not a whole node inside the file", {"B"}},
      {"child into the header", IndexOf({Node({"B"}, {4})}), "node at 8 child 0: node at 4 is not a whole node inside the file", {"B"}},
      {"entry count 0", IndexOf({Node({})}), "node at 8: entry count 0 outside 1..4", {}},
      {"entry count 5", IndexOf({[] { IndexNode n = Node({"A"}); n.entryCount = 5; return n; }()}),
       "node at 8: entry count 5 outside 1..4", {}},
      {"keys out of order", IndexOf({Node({"B", "A"})}), "node at 8 entry 1: key is not above the entry before it", {"B", "A"}},
      {"root outside", IndexOf({Node({"A"})}, 1 << 30), "header: node at 1073741824 is not a whole node inside the file", {}},
  };
  for (const auto& c : cases) {
    const Walked w = Walk(c.bytes);
    ASSERT_FALSE(w.problems.empty()) << c.what;
    EXPECT_EQ(w.problems[0], c.problem) << c.what;
    EXPECT_EQ(w.keys, c.keys) << c.what;
    EXPECT_TRUE(w.result.damaged) << c.what;
  }
}

TEST(IndexWalk, AChainDeeperThanTheBoundIsCutThere) {
  std::vector<IndexNode> chain;
  for (int i = 0; i < kMaxIndexDepth + 10; ++i) chain.push_back(Node({"K" + std::to_string(100000 - i)}, {At(i + 1)}));
  chain.back().children[0] = -1;
  const Walked w = Walk(IndexOf(chain));
  EXPECT_EQ(w.result.nodes, kMaxIndexDepth);
  ASSERT_EQ(w.problems.size(), 1u);
  EXPECT_NE(w.problems[0].find("lies deeper than 4096 levels"), std::string::npos) << w.problems[0];
}

// The file is read a large block at a time: a tree larger than one block, with nodes across the
// blocks' edges, reads the same as from memory.
TEST(IndexWalk, AFileLargerThanItsReadBufferWalksAsFromMemory) {
  ScopedTempDir dir;
  RollWriter writer;
  std::string error;
  for (int i = 0; i < 40000; ++i) ASSERT_TRUE(writer.Add("N" + std::to_string(i), "X", {"f"}, &error));
  ASSERT_TRUE(writer.Write(dir.Prefix(), &error)) << error;
  const std::string bytes = ReadFileBytes(dir.File("mroll.tre"));
  ASSERT_GT(bytes.size(), 2u << 20);
  ReadOnlyFile file;
  ASSERT_EQ(file.Open(dir.File("mroll.tre")), OpenStatus::kOk);
  std::vector<std::string> fromFile;
  const IndexWalkResult walk = WalkIndex(file, [](const std::string&) { ADD_FAILURE(); },
                                         [&](const WalkedEntry& e) { fromFile.emplace_back(e.key); });
  EXPECT_EQ(fromFile, Walk(bytes).keys);
  EXPECT_EQ(walk.entries, 40000);
}
