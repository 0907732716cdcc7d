// A given-name search of a surname whose names an earlier scan found in order looks only where the
// prefix's names can stand. Its answer must be the whole scan's, byte for byte, on every roll: the
// ones our writer makes, and ones whose names are not in that order.
#include "store/name_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "store/roll_format.h"
#include "support/scoped_temp_dir.h"
#include "support/test_roll.h"

namespace {

TEST(NameOrder, ComparesNamesAsTheGivenNameTestSeesThem) {
  auto compare = [](std::string a, std::string b) {
    a.resize(8, '\0');
    b.resize(8, '\0');
    return CompareStoredNames(a.data(), b.data(), 8);
  };
  EXPECT_EQ(compare("john", "JOHN"), 0);
  EXPECT_EQ(compare(std::string("JO\0X", 4), "JO"), 0);  // nothing after the NUL counts
  EXPECT_LT(compare("JO", "JOA"), 0);
  EXPECT_EQ(compare("JO", "JO  "), 0);                   // the end reads as blanks
  EXPECT_LT(compare("JO\x01", "JO"), 0);                  // and a byte below the blank sorts before it
  EXPECT_GT(compare("J\xc9", "JZ"), 0);                   // bytes compare unsigned
}

// Names in an order that puts each kind of neighbour side by side: cases, blanks, bytes below
// the blank, bytes above 0x7f, prefixes of each other; many of each, so a run spans several
// kept names.
std::vector<std::string> SmithNames() {
  const std::vector<std::string> kinds = {"John",  "JOHN W", "john",  "Johnny", "Jo",     "Joseph", "James",
                                          "Mary",  "Mary Ann", "Abel", "Zeke",  "J. W.",  "O'Neil", "\xc9mile",
                                          "Jonas", "Jo Ann", "JOHNS", "Xavier", "Mari",   "Jacob",
                                          "William", "Wm", "WM. H", "Will", "Willis", "Bill", "Billy", "Wms",
                                          "Jno", "Jack", "Jos", "Josiah", "Joe", "Jonathan"};
  std::vector<std::string> names;
  for (int i = 0; i < 40; ++i) {
    for (std::size_t k = 0; k < kinds.size(); ++k) {
      if ((i + static_cast<int>(k)) % 3 != 0) names.push_back(kinds[k]);
    }
  }
  return names;
}

const std::vector<std::string> kGivenNames = {"J",    "JO",  "JOHN", "john", "JOHNNY", "Mary Ann", "M",
                                              "Z",    "A",   "XQZY", "J. W.", "O",     "\xc9",     "JOS",
                                              "ZZZZ", "AAA", "X",    "JA"};

// Everything a search leaves behind for the user: the count, every page, and the filter buffer's
// records.
std::string Answer(SearchSession& s, const std::string& given, const std::string& familyDir) {
  s.Search("Smith", given);
  std::string out = std::to_string(s.list.ResultCount()) + "\n";
  for (int page = 0; page < 200; ++page) {
    for (const std::string& row : s.PageRows()) out += row + "\n";
    if (!s.list.HasNextPage()) break;
    s.list.NextPage();
  }
  return out + ReadFileBytes(familyDir + "history.buf");
}

class OrderedRuns : public ::testing::Test {
 protected:
  void SetUp() override {
    roll.Add("Adams", "John");
    for (const std::string& name : SmithNames()) roll.Add("Smith", name);
    roll.Add("Young", "John");
    roll.Build();
    scanFamily = scratch.File("scan/");
    ASSERT_TRUE(std::filesystem::create_directory(scanFamily));
  }

  // A new screen over the same roll with a filter buffer of its own: it scans every run in full.
  std::string Scanned(const std::string& given) {
    DataLocation fresh;
    fresh.SetDirectories(scanFamily.c_str(), roll.dataDir.c_str());
    SearchSession s(fresh);
    return Answer(s, given, scanFamily);
  }

  // Smith's slot range in the built roll, and the size of a slot.
  struct Run {
    std::int32_t first = -1, end = -1, slotSize = 0;
  };
  Run SmithRun() {
    RollDatabase database(roll.location, BoxAnswers());
    EXPECT_EQ(database.Open(1), 1);
    char key[kIndexKeySize] = "Smith";
    RollDatabase::NormaliseKey(key);
    std::int32_t first = -1, count = 0;
    database.Index()->Lookup(key, &first, &count);
    return {first, first + count, database.SlotSize()};
  }

  // Rewrites Smith's slots in place in another order (each keeps its line), as our writer would
  // never have them.
  template <typename Reorder>
  void RewriteSmith(Reorder reorder) {
    const Run run = SmithRun();
    const auto size = static_cast<std::size_t>(run.slotSize);
    std::string bytes = ReadFileBytes(roll.dataDir + kNameFileName);
    std::vector<std::string> slots;
    for (std::int32_t s = run.first; s < run.end; ++s) slots.push_back(bytes.substr(static_cast<std::size_t>(s) * size, size));
    reorder(slots);
    for (std::size_t i = 0; i < slots.size(); ++i) bytes.replace((static_cast<std::size_t>(run.first) + i) * size, size, slots[i]);
    WriteFileBytes(roll.dataDir + kNameFileName, bytes);
  }
  void ReverseSmith() {
    RewriteSmith([](std::vector<std::string>& slots) { std::reverse(slots.begin(), slots.end()); });
  }

  ScopedTempDir scratch;
  TestRoll roll;
  std::string scanFamily;
};

TEST_F(OrderedRuns, ARollInOrderIsAnsweredFromItsKeptNamesAsAWholeScanAnswers) {
  SearchSession s(roll.location);
  s.Search("Smith", "J");  // the first scan checks the order
  const Run run = SmithRun();
  ASSERT_NE(s.database.NameOrderVerdicts().Find(run.first, run.end), nullptr);
  for (const std::string& given : kGivenNames) {
    SCOPED_TRACE(given);
    EXPECT_EQ(Answer(s, given, roll.familyDir), Scanned(given));
  }
}

TEST_F(OrderedRuns, ARollOutOfOrderIsAlwaysScannedInFull) {
  ReverseSmith();
  SearchSession s(roll.location);
  s.Search("Smith", "J");
  const Run run = SmithRun();
  EXPECT_EQ(s.database.NameOrderVerdicts().Find(run.first, run.end), nullptr);
  for (const std::string& given : kGivenNames) {
    SCOPED_TRACE(given);
    EXPECT_EQ(Answer(s, given, roll.familyDir), Scanned(given));
  }
}

// The verdict is the open file set's: a name file rewritten since is looked at afresh.
TEST_F(OrderedRuns, AVerdictDoesNotOutliveTheFilesItWasFoundOn) {
  SearchSession s(roll.location);
  s.Search("Smith", "J");
  ReverseSmith();
  for (const char* given : {"JOHN", "M", "A"}) {
    SCOPED_TRACE(given);
    EXPECT_EQ(Answer(s, given, roll.familyDir), Scanned(given));
  }
}

// Every pair of neighbours is looked at, not only the kept names: one name out of place between
// two of them is enough for a run to be scanned in full.
TEST_F(OrderedRuns, OneNameOutOfPlaceIsEnoughToScanInFull) {
  RewriteSmith([](std::vector<std::string>& slots) {
    auto named = [&](const std::string& name) {
      return std::find_if(slots.begin(), slots.end(),
                          [&](const std::string& slot) { return slot.c_str() + kSlotHeaderSize == name; });
    };
    // A JOHN W among the last of the Zekes, away from any kept name; everything before it in order.
    const auto john = named("JOHN W");
    ASSERT_NE(john, slots.end());
    const std::string moved = *john;
    slots.erase(john);
    slots.insert(slots.end() - 3, moved);
  });
  SearchSession s(roll.location);
  for (const char* given : {"J", "JOHN", "JOHN W", "Z"}) {
    SCOPED_TRACE(given);
    EXPECT_EQ(Answer(s, given, roll.familyDir), Scanned(given));
  }
}

// Given-name variants ask the scan for several prefixes at once. Over a run kept in name order each
// has its own window; the answer must still be the whole scan's, every slot once and in slot
// order, in the plain search and in the others, on a roll in order and on one out of it.
TEST_F(OrderedRuns, EveryPrefixOfAVariantSetIsAnsweredAsAWholeScanAnswersIt) {
  const std::vector<std::pair<std::string, std::vector<std::string>>> asked = {
      {"william", {"William", "Wm", "WM. H", "Will", "Bill"}},
      {"Wm", {"William", "Wm", "WM. H", "Will", "Bill", "Wms"}},  // what is typed stays a prefix
      {"jno", {"John", "JOHN W", "john", "Jno", "Jack", "Jonathan"}},
      {"jos", {"Jos", "Joseph", "Josiah", "Joe"}},
      {"ZEKE", {"Zeke"}},
  };
  const Run run = SmithRun();
  for (const bool inOrder : {true, false}) {
    if (!inOrder) ReverseSmith();
    RollDatabase database(roll.location, BoxAnswers());
    for (const MatchMode mode : {MatchMode::kExact, MatchMode::kSoundex}) {
      for (const auto& [given, wanted] : asked) {
        SCOPED_TRACE(given + (inOrder ? "" : " reversed") + " " + MatchModeName(mode));
        SearchRequest request;
        request.SetSurname("Smith");
        request.SetDatabase(1);
        request.SetGivenName(given.c_str());
        FindOptions options;
        options.mode = mode;
        options.givenVariants = true;
        auto slots = [&] {
          std::vector<std::int32_t> found;
          const SearchAnswer answer = database.RunFind(request, options, {});
          for (std::int64_t p = 0; p < answer.Count(); ++p) {
            std::int32_t slot = -1;
            std::size_t span = 0;
            answer.At(p, &slot, &span);
            found.push_back(slot);
          }
          return found;
        };
        const std::vector<std::int32_t> whole = slots();     // a whole scan, the order checked
        const std::vector<std::int32_t> windowed = slots();  // the windows, when the run is in order
        EXPECT_EQ(whole, windowed);
        EXPECT_EQ(database.NameOrderVerdicts().Find(run.first, run.end) != nullptr, inOrder);
        // In slot order, each once, and exactly the names wanted.
        EXPECT_TRUE(std::is_sorted(whole.begin(), whole.end()));
        EXPECT_EQ(std::adjacent_find(whole.begin(), whole.end()), whole.end());
        std::size_t expected = 0;
        for (const std::string& name : SmithNames()) expected += std::count(wanted.begin(), wanted.end(), name);
        EXPECT_EQ(whole.size(), expected);
        for (const std::int32_t slot : whole) {
          database.ReadSlot(slot);
          EXPECT_EQ(std::count(wanted.begin(), wanted.end(), std::string(database.CurrentName())), 1)
              << database.CurrentName();
        }
      }
    }
  }
}

}  // namespace
