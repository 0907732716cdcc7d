#include "store/roll_writer.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "platform/byte_order.h"
#include "store/index_walk.h"
#include "store/roll_index.h"
#include "support/scoped_temp_dir.h"

namespace {

bool Add(RollWriter& w, std::string_view surname, std::string_view name, std::vector<std::string_view> fields,
         std::string* error = nullptr) {
  std::string ignored;
  return w.Add(surname, name, fields, error ? error : &ignored);
}

}  // namespace

TEST(RollWriter, WritesTheDocumentedBytes) {
  ScopedTempDir dir;
  RollWriter writer(8);
  ASSERT_TRUE(Add(writer, "Ray", "JOHN", {"J", "A"}));
  ASSERT_TRUE(Add(writer, "Ray", "ann", {"", " X"}));
  std::string error;
  ASSERT_TRUE(writer.Write(dir.Prefix(), &error)) << error;

  // ann sorts before JOHN once upper-cased; lines follow the slots.
  EXPECT_EQ(ReadFileBytes(dir.File("mroll.ext")), "\xFF X\xFF\nJ\xFF" "A\xFF\n");
  EXPECT_EQ(ReadFileBytes(dir.File("mroll.cor")),
            Le32(0) + std::string("ann\0\0\0\0\0", 8) + Le32(5) + std::string("JOHN\0\0\0\0", 8) + Le32(8));
  std::string key = "RAY" + std::string(19, ' ');
  std::string node = Le32(1) + Le32(0) + Le32(2) + key + std::string(2, '\0');
  node.resize(4 + 4 * 32, '\0');
  for (int i = 0; i < 5; ++i) node += Le32(-1);
  EXPECT_EQ(ReadFileBytes(dir.File("mroll.tre")), Le32(8) + Le32(-1) + node + "\x04");
  EXPECT_EQ(ReadFileBytes(dir.File("mrdb.id")), "");
}

TEST(RollWriter, ChoosesTheNameLengthFromTheLongestName) {
  ScopedTempDir dir;
  RollWriter writer;
  ASSERT_TRUE(Add(writer, "A", "12345", {}));
  ASSERT_TRUE(Add(writer, "B", "1", {}));
  std::string error;
  ASSERT_TRUE(writer.Write(dir.Prefix(), &error));
  const std::string names = ReadFileBytes(dir.File("mroll.cor"));
  EXPECT_EQ(names.size(), 2u * (6 + 4) + 4);
  EXPECT_EQ(DecodeFixed32(reinterpret_cast<const unsigned char*>(names.data() + names.size() - 4)), 6);
}

TEST(RollWriter, BuildsASearchTreeForEverySize) {
  for (int keyCount : {1, 4, 5, 9, 24, 25, 26, 130, 1000}) {
    ScopedTempDir dir;
    RollWriter writer;
    std::set<std::string> expected;
    for (int i = keyCount - 1; i >= 0; --i) {
      const std::string surname = "N" + std::to_string(i * 7919 % 100003);
      for (int j = 0; j <= i % 3; ++j) ASSERT_TRUE(Add(writer, surname, "X", {"f"}));
      expected.insert(RollWriter::KeyOf(surname));
    }
    std::string error;
    ASSERT_TRUE(writer.Write(dir.Prefix(), &error)) << error;

    RollIndex index(dir.File("mroll.tre").c_str());
    std::vector<std::string> keys;
    std::vector<std::string> problems;
    WalkIndex(
        index.File(), [&](const std::string& p) { problems.push_back(p); },
        [&](const WalkedEntry& e) { keys.emplace_back(e.key); });
    EXPECT_EQ(problems, std::vector<std::string>{}) << keyCount;
    EXPECT_EQ(keys, std::vector<std::string>(expected.begin(), expected.end())) << keyCount;

    // Runs are contiguous, in key order, and every key is found.
    std::int32_t nextSlot = 0;
    for (const std::string& key : keys) {
      std::int32_t first, count;
      index.Lookup(key.c_str(), &first, &count);
      EXPECT_EQ(first, nextSlot) << key;
      nextSlot += count;
    }
    index.Close();
  }
}

TEST(RollWriter, RefusesWhatTheReaderCouldNotHold) {
  struct Case {
    const char* what;
    std::string surname, name;
    std::vector<std::string> fields;
  } cases[] = {
      {"empty surname", "", "A", {}},
      {"24-character key", std::string(24, 'S'), "A", {}},
      {"separator in a field", "Smith", "A", {"x\xFFy"}},
      {"line break in a field", "Smith", "A", {"x\ny"}},
      {"NUL in a name", "Smith", std::string("A\0B", 3), {}},
      {"NUL in a surname", std::string("Sm\0th", 5), "A", {}},
      {"name over 254 bytes", "Smith", std::string(255, 'n'), {}},
      {"line over 4,999 bytes", "Smith", "A", {std::string(4998, 'x')}},
  };
  for (const Case& c : cases) {
    RollWriter writer;
    std::vector<std::string_view> fields(c.fields.begin(), c.fields.end());
    std::string error;
    EXPECT_FALSE(writer.Add(c.surname, c.name, fields, &error)) << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
    EXPECT_EQ(writer.EntryCount(), 0u);
  }
  RollWriter writer;
  EXPECT_TRUE(Add(writer, std::string(23, 'S'), std::string(254, 'n'), {std::string(4997, 'x')}));
  // What the format does allow: CR, LF and 0xFF in the surname and the name, NUL and CR in fields.
  EXPECT_TRUE(Add(writer, "S\r\n\xFF", "A\r\nB\xFF", {std::string("x\0\ry", 4)}));
  RollWriter narrow(4);
  EXPECT_FALSE(Add(narrow, "Smith", "ABCD", {}));
}

TEST(RollWriter, AFailedWriteLeavesNoDatabase) {
  ScopedTempDir dir;
  RollWriter writer;
  ASSERT_TRUE(Add(writer, "Smith", "A", {}));
  std::string error;
  EXPECT_FALSE(writer.Write(dir.File("missing/"), &error));
  EXPECT_NE(error.find("missing/"), std::string::npos) << error;
}
