// check: a clean database passes; each kind of damage, made in a copy, is found; hostile bytes
// never hang or crash it.
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>

#include <gtest/gtest.h>

#include "platform/byte_order.h"
#include "support/rollkit_runner.h"

namespace {

constexpr int kNodeSize = 152;

class CheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Enough surnames for a tree of several levels.
    std::string csv = kRollHeader;
    for (int i = 0; i < 60; ++i) {
      csv += "Name" + std::to_string(100 + i) + ",John,,A,5 IL INF,PVT,PVT,,1,2,3,U\n";
    }
    clean = BuildRoll(dir, "clean", csv);
  }

  // A copy of the clean database, with `damage` applied to the bytes of one file.
  std::string Damaged(const std::string& file, const std::function<void(std::string&)>& damage) {
    const std::string copy = dir / ("copy" + std::to_string(copies++));
    std::filesystem::create_directory(copy);
    for (const auto& name : ListDir(clean)) WriteFileBytes(copy + "/" + name, ReadFileBytes(clean + "/" + name));
    std::string bytes = ReadFileBytes(copy + "/" + file);
    damage(bytes);
    WriteFileBytes(copy + "/" + file, bytes);
    return copy;
  }

  static std::int32_t Get(const std::string& b, std::size_t at) {
    return DecodeFixed32(reinterpret_cast<const unsigned char*>(b.data() + at));
  }
  static void Put(std::string& b, std::size_t at, std::int32_t v) {
    EncodeFixed32(reinterpret_cast<unsigned char*>(b.data() + at), v);
  }
  // Offsets within the root node of the index.
  static std::size_t Root(const std::string& tre) { return static_cast<std::size_t>(Get(tre, 0)); }
  static std::size_t Entry(std::size_t node, int i) { return node + 4 + 32 * i; }
  static std::size_t Child(std::size_t node, int i) { return node + 132 + 4 * i; }

  ScopedTempDir dir;
  std::string clean;
  int copies = 0;
};

TEST_F(CheckTest, CleanDatabasePasses) {
  const RunResult r = RunRollkit({"check", clean});
  EXPECT_EQ(r.exitCode, 0) << r.out;
  EXPECT_EQ(r.out, clean + ": no problems found (60 slots, 60 keys in 31 nodes)\n");
}

// Each finding names the file and the place, and the summary counts them: the whole of check's
// output, with "@" for the copy's directory.
TEST_F(CheckTest, FindsEachKindOfDamage) {
  struct Case {
    const char* file;
    std::function<void(std::string&)> damage;
    std::string output;
  };
  const Case cases[] = {
      {"mroll.cor", [](std::string& b) { Put(b, b.size() - 4, 300); },
       "@/mroll.cor: name length 300 in the trailer is outside 0..255\n@: 1 problem found\n"},
      {"mroll.cor", [](std::string& b) { b.insert(b.size() - 4, "x"); },
       "@/mroll.cor: 541 bytes before the trailer are not whole slots of 9 bytes\n@: 1 problem found\n"},
      {"mroll.cor", [](std::string& b) { Put(b, 0, 1 << 30); },
       "@/mroll.cor: slot 0: line offset 1073741824 is outside the line file (1800 bytes)\n@: 1 problem found\n"},
      {"mroll.cor", [](std::string& b) { std::memset(&b[4], 'x', Get(b, b.size() - 4)); },
       "@/mroll.cor: slot 0: name text has no NUL within 5 bytes\n@: 1 problem found\n"},
      {"mroll.ext", [](std::string& b) { b.back() = 'x'; },
       "@/mroll.cor: slot 59: line offset 1770: no line feed within 4999 bytes\n@: 1 problem found\n"},
      {"mroll.tre", [](std::string& b) { b.back() = 0; },
       "@/mroll.tre: last byte is not the end byte 04\n@: 1 problem found\n"},
      {"mroll.tre", [](std::string& b) { b.resize(5); },
       "@/mroll.tre: last byte is not the end byte 04\n@/mroll.tre: 5 bytes, too short for header and end byte\n"
       "@: 2 problems found\n"},
      {"mroll.tre", [](std::string& b) { Put(b, 0, static_cast<std::int32_t>(b.size()) - 100); },
       "@/mroll.tre: header: node at 4621 is not a whole node inside the file\n@: 1 problem found\n"},
      {"mroll.tre", [](std::string& b) { Put(b, Root(b), 7); },
       "@/mroll.tre: node at 8: entry count 7 outside 1..4\n@: 1 problem found\n"},
      {"mroll.tre", [](std::string& b) { Put(b, Child(Root(b), 1), static_cast<std::int32_t>(Root(b))); },
       "@/mroll.tre: node at 8 child 1: node at 8 is reached twice\n@: 1 problem found\n"},
      {"mroll.tre", [](std::string& b) { Put(b, Entry(Root(b), 0), 60); },
       "@/mroll.tre: node at 8 entry 0: slots 60 to 60 are not all inside the name file (60 slots)\n"
       "@: 1 problem found\n"},
      {"mroll.tre", [](std::string& b) { Put(b, Entry(Root(b), 0) + 4, 0); },
       "@/mroll.tre: node at 8 entry 0: slot count 0 is not positive\n@: 1 problem found\n"},
      {"mroll.tre", [](std::string& b) { b[Entry(Root(b), 0) + 8] = 'Z'; },
       "@/mroll.tre: node at 8 entry 1: key is not above the entry before it\n"
       "@/mroll.tre: node at 1224 entry 0: key \"NAME113               \" is out of tree order after "
       "\"ZAME112               \"\n@: 2 problems found\n"},
      {"mroll.tre", [](std::string& b) { b[Entry(Root(b), 0) + 8] = 'A'; },
       "@/mroll.tre: node at 8 entry 0: key \"AAME112               \" is out of tree order after "
       "\"NAME111               \"\n@: 1 problem found\n"},
      {"mroll.tre", [](std::string& b) { std::memset(&b[Entry(Root(b), 0) + 8], 'K', 24); },
       "@/mroll.tre: node at 8 entry 0: key has no NUL within 24 bytes\n"
       "@/mroll.tre: node at 8 entry 0: key \"KKKKKKKKKKKKKKKKKKKKKKKK\" is out of tree order after "
       "\"NAME111               \"\n@: 2 problems found\n"},
      // Two keys listing the same slots: each range lies in the name file, together they list more.
      {"mroll.tre", [](std::string& b) { Put(b, Entry(Root(b), 1) + 4, 2); },
       "@/mroll.tre: the keys list 61 slots, more than the 60 of the name file\n@: 1 problem found\n"},
      {"mrdb.id", nullptr, "@/mrdb.id: missing\n@: 1 problem found\n"},
  };
  for (const Case& c : cases) {
    std::string copy;
    if (c.damage) {
      copy = Damaged(c.file, c.damage);
    } else {
      copy = Damaged(c.file, [](std::string&) {});
      std::remove((copy + "/" + c.file).c_str());
    }
    std::string expected;
    for (char ch : c.output) expected += ch == '@' ? copy : std::string(1, ch);
    const RunResult r = RunRollkit({"check", copy});
    EXPECT_EQ(r.exitCode, 1) << c.output;
    EXPECT_EQ(r.out, expected);
  }
}

TEST_F(CheckTest, PrintsAtMostOneHundredProblems) {
  const std::string copy = Damaged("mroll.ext", [](std::string& b) { b.assign(b.size(), 'x'); });
  const RunResult r = RunRollkit({"check", copy});
  EXPECT_EQ(r.exitCode, 1);
  const auto lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 61u) << "60 slots without a line feed and the summary";
  const std::string many = Damaged("mroll.cor", [](std::string& b) {
    const std::int32_t length = Get(b, b.size() - 4);
    std::string slots;
    for (int i = 0; i < 150; ++i) slots += b.substr(0, length + 4);
    for (int i = 0; i < 150; ++i) Put(slots, i * (length + 4), -1);
    b = slots + b.substr(b.size() - 4);
  });
  const auto manyLines = Lines(RunRollkit({"check", many}).out);
  ASSERT_EQ(manyLines.size(), 101u);
  EXPECT_EQ(manyLines.back(), many + ": 150 problems found (the first 100 are shown)");
}

TEST_F(CheckTest, HostileBytesNeverHangOrCrash) {
  std::uint64_t x = 42;
  auto next = [&x] {
    x = x * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<std::uint32_t>(x >> 33);
  };
  for (int round = 0; round < 40; ++round) {
    const std::string copy = Damaged("mroll.tre", [&](std::string& b) {
      // Scribble over node fields with small offsets, so that children point at other nodes.
      for (int i = 0; i < 30; ++i) {
        const std::size_t at = 8 + next() % (b.size() - 12);
        Put(b, at, round % 2 ? static_cast<std::int32_t>(8 + kNodeSize * (next() % 8)) : static_cast<std::int32_t>(next()));
      }
    });
    WriteFileBytes(copy + "/mroll.cor", std::string(next() % 64, '\x01') + std::string("\x05\0\0\0", 4));
    const RunResult r = RunRollkit({"check", copy});
    EXPECT_TRUE(r.exitCode == 0 || r.exitCode == 1) << "round " << round << ": " << r.err;
    // dump reads the same tree: it must stop with a message rather than loop.
    const RunResult d = RunRollkit({"dump", "--data", copy, copy + "/out.csv"});
    EXPECT_TRUE(d.exitCode == 0 || d.exitCode == 1) << "round " << round << ": " << d.err;
  }
}

}  // namespace
