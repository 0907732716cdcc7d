// The companion index answers as a full scan of the roll does: counts by side, state and company,
// filtered pages, whole-roll counts, rosters, name-order verdicts, given-name prefixes over ordered
// runs, prefix sums and sound codes, on generated rolls in order and out of it, and on rolls whose
// index, name file and line file are damaged in the ways a search survives.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "platform/byte_order.h"
#include "store/companion_reader.h"
#include "store/daitch_mokotoff.h"
#include "store/given_name.h"
#include "store/index_walk.h"
#include "store/name_order.h"
#include "store/roll_format.h"
#include "store/search_request.h"
#include "store/soundex.h"
#include "support/companion_roll.h"

namespace {

struct RollCase {
  const char* name;
  int entries;
  unsigned seed;
  bool damaged;
};

void PrintTo(const RollCase& c, std::ostream* os) { *os << c.name; }

struct WalkedKey {
  std::string key;
  std::int32_t firstSlot, slotCount;
  std::int64_t nodeOffset;
  int position;
};

std::vector<WalkedKey> KeysOf(const std::string& indexBytes) {
  std::vector<WalkedKey> keys;
  WalkIndexBytes(
      indexBytes, [](const std::string&) {},
      [&](const WalkedEntry& e) {
        keys.push_back({std::string(e.key), e.firstSlot, e.slotCount, e.nodeOffset, e.position});
      });
  std::sort(keys.begin(), keys.end(), [](const WalkedKey& a, const WalkedKey& b) { return a.key < b.key; });
  return keys;
}

// Damage a search survives: a run out of name order, a run that reaches past the name file and one
// that overlaps its neighbour, a slot whose line offset is -1, a last line without its LF.
void Damage(const std::string& dataDir) {
  const std::string indexPath = dataDir + kIndexFileName;
  const std::vector<WalkedKey> keys = KeysOf(ReadFileBytes(indexPath));
  ASSERT_GE(keys.size(), 4u);
  const std::string names = ReadFileBytes(dataDir + kNameFileName);
  const int length = DecodeTrailer(reinterpret_cast<const unsigned char*>(names.data() + names.size() - 4));
  const std::size_t slotSize = static_cast<std::size_t>(length) + kSlotHeaderSize;
  const std::int32_t slots = static_cast<std::int32_t>((names.size() - 4) / slotSize);
  auto countAt = [](const WalkedKey& k) {
    return static_cast<long>(k.nodeOffset + 4 + kIndexEntrySize * k.position + 4);
  };

  const WalkedKey& big =
      *std::max_element(keys.begin(), keys.end(), [](auto& a, auto& b) { return a.slotCount < b.slotCount; });
  std::string first = names.substr(static_cast<std::size_t>(big.firstSlot) * slotSize, slotSize);
  std::string last =
      names.substr(static_cast<std::size_t>(big.firstSlot + big.slotCount - 1) * slotSize, slotSize);
  Corrupt(dataDir + kNameFileName, static_cast<long>(big.firstSlot * slotSize), last);
  Corrupt(dataDir + kNameFileName, static_cast<long>((big.firstSlot + big.slotCount - 1) * slotSize), first);
  Corrupt(dataDir + kNameFileName, static_cast<long>((slots / 2) * slotSize), Le32(-1));

  const WalkedKey& lastKey =
      *std::max_element(keys.begin(), keys.end(), [](auto& a, auto& b) { return a.firstSlot < b.firstSlot; });
  Corrupt(indexPath, countAt(lastKey), Le32(lastKey.slotCount + 50));
  Corrupt(indexPath, countAt(keys[1]), Le32(keys[1].slotCount + 3));

  std::string lines = ReadFileBytes(dataDir + kLineFileName);
  ASSERT_EQ(lines.back(), '\n');
  lines.pop_back();
  WriteFileBytes(dataDir + kLineFileName, lines);
}

CompanionFilter Normalised(const EntryFilter& f) {
  return CompanionFilter::From(f.side, f.state, f.unit, f.company);
}

// Filters of one criterion (answered from the keys' counts) and of several (from the slots' groups).
std::vector<EntryFilter> Filters() {
  std::vector<EntryFilter> filters;
  for (char side : {'U', 'C', 'c', 'X'}) filters.push_back(Filter(side, "", "", ""));
  for (const char* state : {"IL", "il", " IL ", "INF", "ZZ", "5"})
    filters.push_back(Filter(0, state, "", ""));
  for (const char* company : {"A", "a", " a", "B", "Q", "  "}) filters.push_back(Filter(0, "", "", company));
  for (const char* unit : {"CAV", "il", " 5", "\t"}) filters.push_back(Filter(0, "", unit, ""));
  filters.push_back(Filter('C', "IL", "", ""));
  filters.push_back(Filter('U', "", "INF", "A"));
  filters.push_back(Filter('c', "me", "18", " b "));
  return filters;
}

class CompanionAnswers : public ::testing::TestWithParam<RollCase> {
 protected:
  void SetUp() override {
    AddVariedEntries(&roll, GetParam().entries, GetParam().seed);
    roll.Build();
    if (GetParam().damaged) Damage(roll.dataDir);
    files = std::make_unique<OpenRoll>(roll.dataDir);
    std::string bytes, error;
    ASSERT_TRUE(BuildCompanion(files->View(), {}, &bytes, &error)) << error;
    WriteFileBytes(companionDir / "roll.companion", bytes);
    ReadOnlyFile file;
    ASSERT_EQ(file.Open(companionDir / "roll.companion"), OpenStatus::kOk);
    std::string reason;
    ASSERT_TRUE(reader.Open(std::move(file), files->View(), &reason)) << reason;
    scan = std::make_unique<RollScan>(roll.dataDir);
    keys = KeysOf(ReadFileBytes(roll.dataDir + kIndexFileName));
  }

  // The run of key `k` as a search cuts it.
  std::pair<std::int32_t, std::int32_t> Run(const WalkedKey& k) const {
    std::int64_t begin = k.firstSlot, end = begin + k.slotCount;
    if (begin < 0 || begin >= scan->SlotTotal()) begin = end = 0;
    end = std::clamp<std::int64_t>(end, begin, scan->SlotTotal());
    return {static_cast<std::int32_t>(begin), static_cast<std::int32_t>(end)};
  }

  TestRoll roll;
  ScopedTempDir companionDir;
  std::unique_ptr<OpenRoll> files;
  CompanionReader reader;
  std::unique_ptr<RollScan> scan;
  std::vector<WalkedKey> keys;
};

TEST_P(CompanionAnswers, KeysRunsAndNameOrderAsTheIndexAndTheNameFileHaveThem) {
  ASSERT_EQ(reader.KeyCount(), keys.size());
  int unordered = 0;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    CompanionKey k;
    ASSERT_TRUE(reader.Key(i, &k)) << reader.Problem();
    const auto [begin, end] = Run(keys[i]);
    EXPECT_EQ(k.text, keys[i].key);
    EXPECT_EQ(k.firstSlot, keys[i].firstSlot) << keys[i].key;
    EXPECT_EQ(k.slotCount, keys[i].slotCount) << keys[i].key;
    EXPECT_EQ(std::make_pair(k.begin, k.end), std::make_pair(begin, end)) << keys[i].key;
    EXPECT_EQ(k.namesOrdered, scan->Ordered(begin, end)) << keys[i].key;
    EXPECT_EQ(reader.FindKey(keys[i].key), static_cast<std::int64_t>(i));
    unordered += !k.namesOrdered;
  }
  // The damaged rolls have a run out of order (and an overlapping run may be).
  EXPECT_EQ(unordered > 0, GetParam().damaged);
  EXPECT_EQ(reader.FindKey("NOBODY                "), -1);

  // The table of keys is made only of runs that do not overlap: the damaged index's are left to the
  // key catalogue, which empties one of them; a sound one's are the runs above, with their totals.
  const std::shared_ptr<const KeyRunTable> table = reader.LoadKeyTable();
  ASSERT_EQ(table == nullptr, GetParam().damaged);
  EXPECT_FALSE(reader.Failed());
  if (!table) return;
  ASSERT_EQ(table->Size(), keys.size());
  std::int64_t total = 0;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const auto [begin, end] = Run(keys[i]);
    EXPECT_EQ(table->Key(i), keys[i].key);
    EXPECT_EQ(table->Key(i).substr(0, table->SurnameLength(i)), SurnameOfKey(keys[i].key));
    EXPECT_EQ(std::make_pair(table->Begin(i), table->End(i)), std::make_pair(begin, end));
    EXPECT_EQ(table->Before(i), total);
    EXPECT_EQ(table->Find(keys[i].key), static_cast<std::int64_t>(i));
    total += end - begin;
  }
}

TEST_P(CompanionAnswers, FilterCountsAndPagesOfEveryKeyAsAScanFindsThem) {
  const std::shared_ptr<const SlotGroupColumn> column = reader.LoadSlotGroups();
  ASSERT_NE(column, nullptr) << reader.Problem();
  for (const EntryFilter& filter : Filters()) {
    const CompanionFilter f = Normalised(filter);
    const std::shared_ptr<const std::vector<std::uint8_t>> verdicts = reader.GroupVerdicts(f);
    ASSERT_NE(verdicts, nullptr) << reader.Problem();
    for (std::size_t i = 0; i < keys.size(); ++i) {
      const auto [begin, end] = Run(keys[i]);
      const std::vector<std::int32_t> expected = scan->Passing(begin, end, filter);
      const std::string what = keys[i].key + " / " + filter.Describe();
      std::int64_t count = -1;
      ASSERT_TRUE(reader.CountOfKey(i, f, &count)) << reader.Problem();
      EXPECT_EQ(count, static_cast<std::int64_t>(expected.size())) << what;

      std::vector<std::int32_t> page;
      count = -1;
      ASSERT_TRUE(reader.PassingSlots(begin, end, f, 2, 3, &page, &count)) << reader.Problem();
      const std::vector<std::int32_t> wanted(expected.begin() + std::min<std::size_t>(2, expected.size()),
                                             expected.begin() + std::min<std::size_t>(5, expected.size()));
      EXPECT_EQ(page, wanted) << what;
      EXPECT_EQ(count, static_cast<std::int64_t>(expected.size())) << what;

      // A side alone: the key's stored list of the side.
      if (f.Criteria() == 1 && f.side != 0) {
        std::vector<std::int32_t> listed;
        ASSERT_TRUE(reader.SideSlots(i, f.side, &listed)) << reader.Problem();
        EXPECT_EQ(listed, expected) << what;
      }
      // Any filter: the slots the column of slot groups and the filter's verdicts pass, found in
      // two steps as an answer finds them.
      std::vector<std::int32_t> found;
      std::int64_t from = begin;
      column->Passing(*verdicts, &from, end, 1, &found);
      column->Passing(*verdicts, &from, end, SIZE_MAX, &found);
      EXPECT_EQ(found, expected) << what;
    }
    std::int64_t whole = -1;
    ASSERT_TRUE(reader.CountOfRoll(f, &whole)) << reader.Problem();
    EXPECT_EQ(whole, static_cast<std::int64_t>(scan->Passing(0, scan->SlotTotal(), filter).size()))
        << filter.Describe();
  }
}

// The reader keeps the last key's counts, the last side list and the last count of the roll it
// made: answers asked of one key under each filter in turn, each twice, and then of the key before
// again, are the scan's, and so are the roll's counts asked twice under each filter in turn.
TEST_P(CompanionAnswers, AnswersAskedAgainOrInTurnsAreTheAnswersAskedOnce) {
  for (std::size_t i = 0; i < keys.size(); ++i) {
    for (const std::size_t k : {i, i > 0 ? i - 1 : i}) {
      const auto [begin, end] = Run(keys[k]);
      for (const EntryFilter& filter : Filters()) {
        const CompanionFilter f = Normalised(filter);
        if (f.Criteria() != 1 || !f.unit.empty()) continue;
        const std::vector<std::int32_t> expected = scan->Passing(begin, end, filter);
        const std::string what = keys[k].key + " / " + filter.Describe();
        for (int again = 0; again < 2; ++again) {
          std::int64_t count = -1;
          ASSERT_TRUE(reader.CountOfKey(k, f, &count)) << reader.Problem();
          EXPECT_EQ(count, static_cast<std::int64_t>(expected.size())) << what;
          std::vector<std::int32_t> listed;
          if (f.side != 0) {
            ASSERT_TRUE(reader.SideSlots(k, f.side, &listed)) << reader.Problem();
            EXPECT_EQ(listed, expected) << what;
          }
        }
      }
    }
  }
  // The whole roll's count under every filter in turn, each twice, twice over.
  for (int round = 0; round < 2; ++round) {
    for (const EntryFilter& filter : Filters()) {
      const auto expected = static_cast<std::int64_t>(scan->Passing(0, scan->SlotTotal(), filter).size());
      for (int again = 0; again < 2; ++again) {
        std::int64_t whole = -1;
        ASSERT_TRUE(reader.CountOfRoll(Normalised(filter), &whole)) << reader.Problem();
        EXPECT_EQ(whole, expected) << filter.Describe();
      }
    }
  }
}

TEST_P(CompanionAnswers, RostersListEveryEntryOfAUnitAndSideByCompanyThenSlot) {
  // The roster as read straight from the lines: unit field as stored, side byte, company trimmed.
  std::map<std::tuple<std::string, char, std::string>, std::vector<std::int32_t>> companies;
  for (std::int32_t s = 0; s < scan->SlotTotal(); ++s) {
    const std::vector<std::string_view> fields = SplitFields(scan->Line(s));
    auto trimmed = [](std::string_view t) {
      while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
      while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
      std::string out(t);
      UpperCaseAscii(&out);
      return out;
    };
    const std::string unit(fields.size() > 2 ? fields[2] : "");
    const std::string side = fields.size() > 9 ? trimmed(fields[9]) : "";
    companies[{unit, side.size() == 1 ? side[0] : '\0', fields.size() > 1 ? trimmed(fields[1]) : ""}]
        .push_back(s);
  }
  std::map<std::pair<std::string, char>, std::vector<std::int32_t>> units;
  for (const auto& [key, slots] : companies) {
    auto& whole = units[{std::get<0>(key), std::get<1>(key)}];
    whole.insert(whole.end(), slots.begin(), slots.end());
  }
  for (const auto& [unit, expected] : units) {
    std::vector<std::int32_t> slots;
    std::int64_t count = -1;
    ASSERT_TRUE(reader.Roster(unit.first, unit.second, nullptr, 0, SIZE_MAX, &slots, &count))
        << reader.Problem();
    EXPECT_EQ(slots, expected) << unit.first << "/" << unit.second;
    EXPECT_EQ(count, static_cast<std::int64_t>(expected.size()));
    // A page further on, as the roster is paged.
    std::vector<std::int32_t> page;
    ASSERT_TRUE(reader.Roster(unit.first, unit.second, nullptr, 3, 4, &page, &count));
    EXPECT_EQ(page, std::vector<std::int32_t>(expected.begin() + std::min<std::size_t>(3, expected.size()),
                                              expected.begin() + std::min<std::size_t>(7, expected.size())));
  }
  for (const auto& [key, expected] : companies) {
    const std::string_view company = std::get<2>(key);
    std::vector<std::int32_t> slots;
    std::int64_t count = -1;
    ASSERT_TRUE(reader.Roster(std::get<0>(key), std::get<1>(key), &company, 0, SIZE_MAX, &slots, &count));
    EXPECT_EQ(slots, expected) << std::get<0>(key) << "/" << std::get<1>(key) << "/" << company;
  }
  std::vector<std::int32_t> none;
  std::int64_t count = -1;
  ASSERT_TRUE(reader.Roster("99 ZZ INF", 'U', nullptr, 0, 10, &none, &count));
  EXPECT_TRUE(none.empty());
  EXPECT_EQ(count, 0);
}

TEST_P(CompanionAnswers, GivenNamePrefixOfAnOrderedRunIsTwoBisections) {
  for (std::size_t i = 0; i < keys.size(); ++i) {
    CompanionKey k;
    ASSERT_TRUE(reader.Key(i, &k));
    if (!k.namesOrdered) continue;
    for (const char* given : {"J", "JOHN", "john w", "MARY", "A", "Z", "J. ", "JO"}) {
      SearchRequest request;
      request.SetGivenName(given);
      const GivenNamePrefix prefix(request.givenName, scan->nameLength);
      std::vector<char> folded(static_cast<std::size_t>(scan->nameLength) + 1);
      auto compare = [&](std::int32_t slot) {
        const std::string name =
            scan->Name(slot) + std::string(static_cast<std::size_t>(scan->nameLength), '\0');
        FoldStoredName(name.data(), scan->nameLength, folded.data());
        return prefix.CompareFolded(folded.data());
      };
      const std::int32_t lower = OrderedBound(k.begin, k.end, [&](std::int32_t s) { return compare(s) < 0; });
      const std::int32_t upper =
          OrderedBound(k.begin, k.end, [&](std::int32_t s) { return compare(s) <= 0; });
      std::vector<std::int32_t> expected;
      for (std::int32_t s = k.begin; s < k.end; ++s) {
        const std::string name =
            scan->Name(s) + std::string(static_cast<std::size_t>(scan->nameLength), '\0');
        if (prefix.MatchesStored(name.data())) expected.push_back(s);
      }
      EXPECT_EQ(upper - lower, static_cast<std::int32_t>(expected.size())) << keys[i].key << " " << given;
      if (!expected.empty()) {
        EXPECT_EQ(lower, expected.front()) << keys[i].key << " " << given;
      }
    }
  }
}

TEST_P(CompanionAnswers, PrefixSumsAndSoundCodesAsTheKeysHaveThem) {
  for (const char* prefix : {"", "S", "SM", "K", "KELL", "ZZ", "\xFF"}) {
    std::size_t from = 0, to = 0;
    ASSERT_TRUE(reader.KeysWithPrefix(prefix, &from, &to));
    std::uint64_t slots = 0, expectedSlots = 0;
    std::size_t expectedFrom = keys.size(), expectedTo = 0;
    for (std::size_t i = 0; i < keys.size(); ++i) {
      if (keys[i].key.compare(0, std::strlen(prefix), prefix) != 0) continue;
      expectedFrom = std::min(expectedFrom, i);
      expectedTo = i + 1;
      expectedSlots += static_cast<std::uint64_t>(Run(keys[i]).second - Run(keys[i]).first);
    }
    if (expectedTo == 0) expectedFrom = expectedTo = from;
    EXPECT_EQ(std::make_pair(from, to), std::make_pair(expectedFrom, expectedTo)) << prefix;
    ASSERT_TRUE(reader.SlotsOfKeys(from, to, &slots));
    EXPECT_EQ(slots, expectedSlots) << prefix;
  }

  std::map<std::uint32_t, std::vector<std::uint32_t>> soundex, dm;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    SoundexCode s[kMaxSoundexCodes];
    DmCode d[kMaxDmCodes];
    const std::string_view surname = SurnameOfKey(keys[i].key);
    for (int c = 0, n = SurnameSoundexCodes(surname, s); c < n; ++c)
      soundex[s[c]].push_back(static_cast<std::uint32_t>(i));
    for (int c = 0, n = DaitchMokotoffCodes(surname, d); c < n; ++c)
      dm[d[c]].push_back(static_cast<std::uint32_t>(i));
  }
  auto check = [&](const auto& expected, auto&& ask) {
    for (const auto& [code, wanted] : expected) {
      std::vector<std::uint32_t> found;
      std::uint64_t slots = 0, expectedSlots = 0;
      ASSERT_TRUE(ask(code, &found, &slots)) << reader.Problem();
      for (const std::uint32_t k : wanted)
        expectedSlots += static_cast<std::uint64_t>(Run(keys[k]).second - Run(keys[k]).first);
      EXPECT_EQ(found, wanted) << code;
      EXPECT_EQ(slots, expectedSlots) << code;
    }
    std::vector<std::uint32_t> found;
    std::uint64_t slots = 1;
    ASSERT_TRUE(ask(999999u, &found, &slots));
    EXPECT_TRUE(found.empty());
    EXPECT_EQ(slots, 0u);
  };
  check(soundex, [&](std::uint32_t c, auto* k, auto* s) { return reader.KeysWithSoundex(c, k, s); });
  check(dm, [&](std::uint32_t c, auto* k, auto* s) { return reader.KeysWithDmCode(c, k, s); });
  EXPECT_TRUE(reader.VerifyAll());
  EXPECT_FALSE(reader.Failed());
}

INSTANTIATE_TEST_SUITE_P(
    Rolls, CompanionAnswers,
    ::testing::Values(RollCase{"small", 300, 1, false}, RollCase{"larger", 3000, 7, false},
                      RollCase{"damaged", 1500, 11, true}, RollCase{"damaged_other", 600, 23, true}),
    [](const ::testing::TestParamInfo<RollCase>& rollCase) { return std::string(rollCase.param.name); });

TEST(CompanionBuild, AnEmptyRollHasACompanionThatAnswersNothing) {
  TestRoll roll;
  roll.Build();
  OpenRoll files(roll.dataDir);
  std::string bytes, error;
  ASSERT_TRUE(BuildCompanion(files.View(), {}, &bytes, &error)) << error;
  ScopedTempDir dir;
  WriteFileBytes(dir / "c", bytes);
  ReadOnlyFile file;
  ASSERT_EQ(file.Open(dir / "c"), OpenStatus::kOk);
  CompanionReader reader;
  std::string reason;
  ASSERT_TRUE(reader.Open(std::move(file), files.View(), &reason)) << reason;
  EXPECT_EQ(reader.KeyCount(), 0u);
  std::int64_t count = -1;
  EXPECT_TRUE(reader.CountOfRoll(CompanionFilter::From('U', "", "", ""), &count));
  EXPECT_EQ(count, 0);
}

TEST(CompanionBuild, TwoThreadsBuildTheSameBytesAsOne) {
  TestRoll roll;
  AddVariedEntries(&roll, 2000, 13);
  roll.Build();
  OpenRoll files(roll.dataDir);
  std::string one, two, error;
  ASSERT_TRUE(BuildCompanion(files.View(), {}, &one, &error, nullptr, INT64_MAX)) << error;
  ASSERT_TRUE(BuildCompanion(files.View(), {}, &two, &error, nullptr, 1)) << error;
  EXPECT_TRUE(one == two);
  // A stop asked for while both halves are read ends both.
  EXPECT_FALSE(BuildCompanion(
      files.View(), [](int percent) { return percent < 20; }, &two, &error, nullptr, 1));
  EXPECT_EQ(error, "cancelled");
}

TEST(CompanionBuild, ProgressIsReportedAndStopsTheBuild) {
  TestRoll roll;
  AddVariedEntries(&roll, 200, 3);
  roll.Build();
  OpenRoll files(roll.dataDir);
  std::string bytes, error;
  std::vector<int> seen;
  ASSERT_TRUE(BuildCompanion(
      files.View(), [&](int percent) { return seen.push_back(percent), true; }, &bytes, &error));
  ASSERT_FALSE(seen.empty());
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
  EXPECT_EQ(seen.back(), 100);
  EXPECT_FALSE(BuildCompanion(
      files.View(), [](int) { return false; }, &bytes, &error));
  EXPECT_EQ(error, "cancelled");
}

TEST(CompanionBuild, ADamagedIndexGetsNoCompanion) {
  TestRoll roll;
  AddVariedEntries(&roll, 100, 5);
  roll.Build();
  const std::string index = ReadFileBytes(roll.dataDir + kIndexFileName);
  // The root's first child pointing back at the root: a node reached twice.
  const std::int32_t root = DecodeFixed32(reinterpret_cast<const unsigned char*>(index.data()));
  Corrupt(roll.dataDir + kIndexFileName, root + 4 + kMaxNodeEntries * kIndexEntrySize, Le32(root));
  OpenRoll files(roll.dataDir);
  std::string bytes, error;
  EXPECT_FALSE(BuildCompanion(files.View(), {}, &bytes, &error));
  EXPECT_NE(error.find("the index is damaged"), std::string::npos) << error;
}

}  // namespace
