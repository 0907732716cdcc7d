// A valid roll damaged in each way a scratched disk or a bad copy can damage it. Whatever the
// damage, a session of searches, page turns and detail texts ends, shows no row that is not in
// the files, and says only what the program says about broken files ("cor", "ext"); an index
// without its end byte ends the program with "wrong file format!", as it always has.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <functional>

#include "platform/byte_order.h"
#include "session_checks.h"
#include "store/roll_format.h"
#include "store/roll_index.h"
#include "support/scripted_message_box.h"

namespace {

// The bytes of the three files, damaged in memory and then written back.
struct Files {
  std::string cor, ext, tre;
};

// The node at `offset` of an index, for damage that needs the tree's shape.
IndexNode NodeAt(const std::string& tre, std::size_t offset) {
  return IndexNode::Decode(reinterpret_cast<const unsigned char*>(tre.data() + offset));
}
void PutNode(std::string& tre, std::size_t offset, const IndexNode& node) {
  unsigned char bytes[kIndexNodeSize];
  node.Encode(bytes);
  tre.replace(offset, kIndexNodeSize, reinterpret_cast<const char*>(bytes), kIndexNodeSize);
}
void Put32(std::string& bytes, std::size_t offset, std::int32_t value) { bytes.replace(offset, 4, Le32(value)); }

constexpr std::size_t kRoot = kIndexHeaderSize;  // the writer puts the root first

struct Damage {
  const char* name;
  std::function<void(Files&)> apply;
};

std::vector<Damage> Damages() {
  std::vector<Damage> d;
  // Truncation of the name and line files at several points.
  for (double at : {0.0, 0.1, 0.5, 0.99}) {
    d.push_back({"cor cut", [at](Files& f) { f.cor.resize(static_cast<std::size_t>(f.cor.size() * at)); }});
    d.push_back({"ext cut", [at](Files& f) { f.ext.resize(static_cast<std::size_t>(f.ext.size() * at)); }});
  }
  d.push_back({"cor cut to 3 bytes", [](Files& f) { f.cor.resize(3); }});
  d.push_back({"cor without trailer", [](Files& f) { f.cor.resize(f.cor.size() - 4); }});
  d.push_back({"ext without last byte", [](Files& f) { f.ext.pop_back(); }});
  // The index cut short (keeping its end byte, or it is refused outright: see the death test).
  for (std::size_t at : {1u, 5u, 8u, 100u, 9u + 152u}) {
    d.push_back({"tre cut", [at](Files& f) { f.tre = f.tre.substr(0, at) + '\x04'; }});
  }
  // Trailer (L) out of range or wrong.
  for (std::int32_t l : {-1, 0, 1, 256, 1000, INT32_MAX, INT32_MIN}) {
    d.push_back({"trailer", [l](Files& f) { Put32(f.cor, f.cor.size() - 4, l); }});
  }
  // Header: the root anywhere.
  for (std::int32_t root : {0, 4, 7, 9, -2, INT32_MAX, INT32_MIN, 1 << 20}) {
    d.push_back({"root offset", [root](Files& f) { Put32(f.tre, 0, root); }});
  }
  d.push_back({"root offset at the end byte", [](Files& f) { Put32(f.tre, 0, static_cast<std::int32_t>(f.tre.size()) - 1); }});
  // Nodes: counts, children, slots and keys.
  for (std::int32_t count : {0, 5, -1, 1 << 30}) {
    d.push_back({"root entry count", [count](Files& f) { Put32(f.tre, kRoot, count); }});
    d.push_back({"child entry count", [count](Files& f) {
                   IndexNode root = NodeAt(f.tre, kRoot);
                   Put32(f.tre, static_cast<std::size_t>(root.children[2]), count);
                 }});
  }
  d.push_back({"root is its own child", [](Files& f) {
                 IndexNode root = NodeAt(f.tre, kRoot);
                 for (auto& c : root.children) c = kRoot;
                 PutNode(f.tre, kRoot, root);
               }});
  d.push_back({"grandchild points back to the root", [](Files& f) {
                 IndexNode root = NodeAt(f.tre, kRoot);
                 for (std::int32_t child : root.children) {
                   IndexNode node = NodeAt(f.tre, static_cast<std::size_t>(child));
                   for (auto& c : node.children) c = kRoot;
                   PutNode(f.tre, static_cast<std::size_t>(child), node);
                 }
               }});
  d.push_back({"two children point at each other", [](Files& f) {
                 IndexNode root = NodeAt(f.tre, kRoot);
                 IndexNode a = NodeAt(f.tre, static_cast<std::size_t>(root.children[0]));
                 IndexNode b = NodeAt(f.tre, static_cast<std::size_t>(root.children[1]));
                 for (auto& c : a.children) c = root.children[1];
                 for (auto& c : b.children) c = root.children[0];
                 PutNode(f.tre, static_cast<std::size_t>(root.children[0]), a);
                 PutNode(f.tre, static_cast<std::size_t>(root.children[1]), b);
               }});
  for (std::int32_t child : {-2, 1, 3, 8 + 76, INT32_MAX, INT32_MIN}) {
    d.push_back({"child offset", [child](Files& f) {
                   IndexNode root = NodeAt(f.tre, kRoot);
                   for (auto& c : root.children) c = child;
                   PutNode(f.tre, kRoot, root);
                 }});
  }
  for (auto [first, count] : std::vector<std::pair<std::int32_t, std::int32_t>>{
           {-1, 5}, {-5, 5}, {0, -1}, {3, -30}, {INT32_MAX, INT32_MAX}, {INT32_MIN, 1}, {2, INT32_MIN}, {0, INT32_MAX}}) {
    d.push_back({"slots of every entry", [first, count](Files& f) {
                   for (std::size_t node = kRoot; node + kIndexNodeSize < f.tre.size(); node += kIndexNodeSize) {
                     for (int e = 0; e < kMaxNodeEntries; ++e) {
                       Put32(f.tre, node + 4 + e * kIndexEntrySize, first);
                       Put32(f.tre, node + 8 + e * kIndexEntrySize, count);
                     }
                   }
                 }});
  }
  d.push_back({"keys without their NUL", [](Files& f) {
                 for (std::size_t node = kRoot; node + kIndexNodeSize < f.tre.size(); node += kIndexNodeSize) {
                   for (int e = 0; e < kMaxNodeEntries; ++e) f.tre[node + 4 + e * kIndexEntrySize + 8 + 23] = 'Z';
                 }
               }});
  // Slots: line offsets anywhere, names without their NUL.
  for (std::int32_t offset : {-1, -1000, 1 << 30, INT32_MAX, INT32_MIN}) {
    d.push_back({"line offsets", [offset](Files& f) {
                   const std::int32_t slot = DecodeFixed32(reinterpret_cast<const unsigned char*>(f.cor.data() + f.cor.size() - 4)) + 4;
                   for (std::size_t s = 0; s + 4 < f.cor.size(); s += static_cast<std::size_t>(slot)) Put32(f.cor, s, offset);
                 }});
  }
  d.push_back({"line offset just past the line file", [](Files& f) { Put32(f.cor, 0, static_cast<std::int32_t>(f.ext.size())); }});
  d.push_back({"names fill their slots", [](Files& f) {
                 const std::int32_t slot = DecodeFixed32(reinterpret_cast<const unsigned char*>(f.cor.data() + f.cor.size() - 4)) + 4;
                 for (std::size_t s = 0; s + 4 < f.cor.size(); s += static_cast<std::size_t>(slot)) {
                   for (std::size_t i = s + 4; i < s + static_cast<std::size_t>(slot); ++i) f.cor[i] = 'N';
                 }
               }});
  // Lines: separators and line feeds gone or everywhere, NULs inside.
  d.push_back({"no line feeds", [](Files& f) { for (char& c : f.ext) if (c == '\n') c = 'x'; }});
  d.push_back({"no separators", [](Files& f) { for (char& c : f.ext) if (c == '\xFF') c = 'y'; }});
  d.push_back({"only separators", [](Files& f) { for (char& c : f.ext) c = '\xFF'; }});
  d.push_back({"only line feeds", [](Files& f) { for (char& c : f.ext) c = '\n'; }});
  d.push_back({"NULs in the lines", [](Files& f) { for (std::size_t i = 0; i < f.ext.size(); i += 7) f.ext[i] = '\0'; }});
  d.push_back({"one endless line", [](Files& f) { f.ext = std::string(20000, 'L'); }});
  d.push_back({"spaces everywhere", [](Files& f) { for (char& c : f.ext) if (c != '\n') c = ' '; }});
  // Empty files.
  d.push_back({"cor empty", [](Files& f) { f.cor.clear(); }});
  d.push_back({"ext empty", [](Files& f) { f.ext.clear(); }});
  d.push_back({"tre holds only its end byte", [](Files& f) { f.tre = "\x04"; }});
  return d;
}

class CorruptDatabase : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    for (int i = 0; i < 25; ++i) {
      std::vector<std::string> fields = SampleFields(std::to_string(i));
      fields[5] = std::string(61, 'M') + " " + std::string(20, 'W');  // wraps in the detail text
      roll.Add("Smith", "NAME" + std::to_string(100 + i), fields);
    }
    for (int i = 0; i < 40; ++i) roll.Add("Surname" + std::to_string(100 + i), "JOHN" + std::to_string(i));
    roll.Build();
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
  for (const std::string& text : boxes.texts()) EXPECT_TRUE(text == "cor" || text == "ext") << text;
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
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{"cor"}) << l;
    EXPECT_EQ(s.list.ResultCount(), 0) << l;
  }
}

using CorruptDatabaseDeathTest = CorruptDatabase;

// The index's end byte is its only format check; without it the program stops, as it always has.
TEST_F(CorruptDatabaseDeathTest, AnIndexWithoutItsEndByteEndsTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  for (const std::string& tre : {pristine.tre.substr(0, pristine.tre.size() - 1), std::string(), pristine.tre + '\0',
                                 pristine.tre.substr(0, 100)}) {
    Write({pristine.cor, pristine.ext, tre});
    EXPECT_EXIT(
        {
          InstallMessageBoxHandler([](const char* text, unsigned) {
            std::fprintf(stderr, "box: %s\n", text);
            return kIdOk;
          });
          SearchSession s(roll.location);
          s.Search("Smith");
        },
        ::testing::ExitedWithCode(1), "box: wrong file format!");
  }
}

TEST_F(CorruptDatabaseDeathTest, ADirectoryWhereTheIndexShouldBeEndsTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  std::remove(File("mroll.tre").c_str());
  ASSERT_EQ(mkdir(File("mroll.tre").c_str(), 0755), 0);
  EXPECT_EXIT(
      {
        InstallMessageBoxHandler([](const char* text, unsigned) {
          std::fprintf(stderr, "box: %s\n", text);
          return kIdOk;
        });
        SearchSession s(roll.location);
        s.Search("Smith");
      },
      ::testing::ExitedWithCode(1), "box: wrong file format!");
}

TEST_F(CorruptDatabase, DirectoriesWhereTheDataFilesShouldBe) {
  for (const char* name : {"mroll.cor", "mroll.ext"}) {
    Write(pristine);
    std::remove(File(name).c_str());
    ASSERT_EQ(mkdir(File(name).c_str(), 0755), 0);
    ScriptedMessageBox boxes;
    SearchSession s(roll.location);
    for (const char* surname : {"Smith", "Surname120"}) {
      SearchAndPage(s, roll.dataDir, surname);
      SearchAndPage(s, roll.dataDir, surname, "n");
    }
    if (std::string(name) == "mroll.cor") {
      EXPECT_EQ(s.list.ResultCount(), 0);
      EXPECT_FALSE(boxes.texts().empty());
    }
    rmdir(File(name).c_str());
  }
}
