// A unit's roster, from one scan of the roll and from its companion, against a brute-force reading
// of every entry: the same rows in the same order either way, on generated rolls whose unit,
// company and side fields are written in every way a roll writes them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <tuple>

#include "store/companion_cache.h"
#include "store/index_walk.h"
#include "store/roll_database.h"
#include "store/roll_format.h"
#include "store/unit_roster.h"
#include "support/companion_roll.h"
#include "support/scripted_message_box.h"

namespace {

bool Blank(char c) { return c == ' ' || c == '\t'; }

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

std::string Trim(const std::string& text) {
  std::size_t b = 0, e = text.size();
  while (b < e && Blank(text[b])) ++b;
  while (e > b && Blank(text[e - 1])) --e;
  return text.substr(b, e - b);
}

// The words of a unit text joined by one blank, upper-cased.
std::string UnitWords(const std::string& text) {
  std::string out, word;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || Blank(text[i])) {
      if (!word.empty()) out += (out.empty() ? "" : " ") + word;
      word.clear();
    } else {
      word += text[i];
    }
  }
  return Upper(out);
}

std::vector<std::string> FieldsOf(std::string line) {
  if (!line.empty() && line.back() == '\n') line.pop_back();
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = line.find(static_cast<char>(kFieldSeparator), start);
    fields.push_back(line.substr(start, at - start));
    if (at == std::string::npos) break;
    start = at + 1;
  }
  return fields;
}

struct Expected {
  std::string company;
  std::size_t key;
  std::string name;
  std::int32_t slot;
};

// Every entry read one by one, chosen and ordered as a roster says.
std::vector<std::pair<std::int32_t, std::string>> BruteRoster(const RollScan& scan,
                                                              const std::string& indexBytes,
                                                              const RosterRequest& r) {
  struct Key {
    std::string key;
    std::int32_t firstSlot, slotCount;
  };
  std::vector<Key> keys;
  WalkIndexBytes(
      indexBytes, [](const std::string&) {},
      [&](const WalkedEntry& e) {
        keys.push_back({std::string(e.key), e.firstSlot, e.slotCount});
      });
  std::sort(keys.begin(), keys.end(), [](auto& a, auto& b) { return a.key < b.key; });
  std::vector<Expected> found;
  for (std::size_t k = 0; k < keys.size(); ++k) {
    for (std::int32_t s = keys[k].firstSlot; s < keys[k].firstSlot + keys[k].slotCount; ++s) {
      const std::vector<std::string> f = FieldsOf(scan.Line(s));
      const std::string side = f.size() > 9 ? Upper(Trim(f[9])) : "";
      if (side.size() != 1 || side[0] != r.side) continue;
      if (f.size() < 3 || UnitWords(f[2]) != UnitWords(r.unit)) continue;
      const std::string company = Upper(Trim(f[1]));
      if (!r.wholeUnit && company != Upper(Trim(r.company))) continue;
      std::string name = Upper(scan.Name(s));
      name.resize(static_cast<std::size_t>(scan.nameLength), ' ');
      found.push_back({company, k, name, s});
    }
  }
  std::sort(found.begin(), found.end(), [](const Expected& a, const Expected& b) {
    return std::make_tuple(a.company.empty(), a.company, a.key, a.name, a.slot) <
           std::make_tuple(b.company.empty(), b.company, b.key, b.name, b.slot);
  });
  std::vector<std::pair<std::int32_t, std::string>> rows;
  for (const Expected& e : found) rows.emplace_back(e.slot, std::string(SurnameOfKey(keys[e.key].key)));
  return rows;
}

std::vector<std::pair<std::int32_t, std::string>> Rows(const SearchAnswer& answer) {
  std::vector<std::pair<std::int32_t, std::string>> rows;
  for (std::int64_t p = 0; p < answer.Count(); ++p) {
    std::int32_t slot = -1;
    std::size_t span = 0;
    answer.At(p, &slot, &span);
    rows.emplace_back(slot, std::string(answer.Span(span).surname));
  }
  return rows;
}

RosterRequest Ask(const std::string& unit, char side, const std::string& company = "") {
  RosterRequest r;
  r.unit = unit;
  r.side = side;
  r.company = company;
  r.wholeUnit = company.empty();
  return r;
}

class Roster : public ::testing::TestWithParam<unsigned> {
 protected:
  void SetUp() override {
    AddVariedEntries(&roll, 1200, GetParam());
    roll.Build();
    scan = std::make_unique<RollScan>(roll.dataDir);
    indexBytes = ReadFileBytes(roll.dataDir + kIndexFileName);
    OpenRoll files(roll.dataDir);
    std::string path, error;
    ASSERT_TRUE(BuildCompanionInCache(cache.Prefix(), files.View(), {}, kDefaultCompanionCacheCap, &path,
                                      nullptr, &error))
        << error;
    companionPath = path;
  }

  // The companion made again for the roll's files as they are now, in place of the old one.
  void RebuildCompanion() {
    ASSERT_EQ(std::remove(companionPath.c_str()), 0);
    OpenRoll files(roll.dataDir);
    std::string error;
    ASSERT_TRUE(BuildCompanionInCache(cache.Prefix(), files.View(), {}, kDefaultCompanionCacheCap,
                                      &companionPath, nullptr, &error))
        << error;
  }

  SearchAnswer Run(const RosterRequest& r, bool withCompanion, const FindProgress& progress = {}) {
    RollDatabase database(roll.location, BoxAnswers());
    if (withCompanion) database.SetCompanionDirectory(cache.Prefix());
    SearchAnswer answer = database.RunRoster(r, progress);
    EXPECT_EQ(database.Companion() != nullptr, withCompanion)
        << "the companion " << (withCompanion ? "was not" : "was") << " used";
    return answer;
  }

  ScriptedMessageBox box;
  TestRoll roll;
  ScopedTempDir cache;
  std::unique_ptr<RollScan> scan;
  std::string indexBytes;
  std::string companionPath;
};

TEST_P(Roster, EveryWayOfAskingListsWhatAScanOfEveryEntryFindsWithAndWithoutTheCompanion) {
  const RosterRequest asked[] = {
      Ask("5 IL INF", 'U'),         Ask(" 5  il\tinf ", 'U'),   Ask("5 IL INF", 'C'),
      Ask("7 MO INF", 'U'),         Ask("7 MO INF", 'C'),       Ask("CAV", 'U'),
      Ask("IL CAV", 'C'),           Ask("3 OH INF", 'U'),       Ask("5 IL INF", 'U', "A"),
      Ask("5 IL INF", 'U', " a\t"), Ask("18 ME INF", 'C', "K"), Ask("5 IL INF", 'U', "Q"),
      Ask("NO SUCH UNIT", 'U'),
  };
  for (const RosterRequest& r : asked) {
    SCOPED_TRACE("unit '" + r.unit + "' side " + std::string(1, r.side) + " company '" + r.company + "'");
    const auto expected = BruteRoster(*scan, indexBytes, r);
    const SearchAnswer scanned = Run(r, false);
    const SearchAnswer quick = Run(r, true);
    ASSERT_TRUE(scanned.Status().Ok()) << scanned.Status().Text();
    EXPECT_TRUE(scanned.IsRoster());
    EXPECT_FALSE(scanned.Plain());
    EXPECT_EQ(Rows(scanned), expected);
    EXPECT_EQ(Rows(quick), expected);
    // The companion's roster keeps its rows' slots and no span of its own per key.
    if (!expected.empty()) {
      EXPECT_LT(quick.Bytes() * 4, scanned.Bytes());
    }
  }
  // A Union and a Confederate regiment of one text are both on the roll, and apart.
  const auto blue = BruteRoster(*scan, indexBytes, Ask("7 MO INF", 'U'));
  const auto gray = BruteRoster(*scan, indexBytes, Ask("7 MO INF", 'C'));
  ASSERT_FALSE(blue.empty());
  ASSERT_FALSE(gray.empty());
  for (const auto& row : blue) EXPECT_EQ(std::count(gray.begin(), gray.end(), row), 0);
}

// A companion that is not this roll's as it is now, or is damaged, costs time and nothing else.
TEST_P(Roster, ADamagedCompanionNeverChangesTheRoster) {
  const RosterRequest r = Ask("5 IL INF", 'U');
  const auto expected = BruteRoster(*scan, indexBytes, r);
  const std::string bytes = ReadFileBytes(companionPath);
  for (long at : {long{600}, static_cast<long>(bytes.size() / 2), static_cast<long>(bytes.size()) - 4100}) {
    WriteFileBytes(companionPath, bytes);
    Corrupt(companionPath, at, "\x5a\xa5\x5a\xa5");
    RollDatabase database(roll.location, BoxAnswers());
    database.SetCompanionDirectory(cache.Prefix());
    EXPECT_EQ(Rows(database.RunRoster(r, {})), expected) << "damage at " << at;
  }
}

// A run whose names are out of order (here the largest, its slots reversed) has its entries of one
// company put in name order, with the companion as without it; every other key's are taken as the
// companion lists them.
TEST_P(Roster, ARunOutOfNameOrderIsPutInOrderWithTheCompanion) {
  struct {
    std::int32_t first = 0, count = 0;
  } big;
  WalkIndexBytes(
      indexBytes, [](const std::string&) {},
      [&](const WalkedEntry& e) {
        if (e.slotCount > big.count) {
          big.first = e.firstSlot;
          big.count = e.slotCount;
        }
      });
  ASSERT_GE(big.count, 4);
  const std::string namePath = roll.dataDir + kNameFileName;
  const std::string names = ReadFileBytes(namePath);
  const std::size_t slotSize = static_cast<std::size_t>(scan->nameLength) + kSlotHeaderSize;
  std::string reversed;
  for (std::int32_t s = big.first + big.count - 1; s >= big.first; --s)
    reversed += names.substr(static_cast<std::size_t>(s) * slotSize, slotSize);
  Corrupt(namePath, static_cast<long>(static_cast<std::size_t>(big.first) * slotSize), reversed);
  ASSERT_NO_FATAL_FAILURE(RebuildCompanion());
  scan = std::make_unique<RollScan>(roll.dataDir);

  // The roster of every unit of the run, whole and by company: one must list two of its entries
  // against their slots' order, or the test shows nothing.
  bool reordered = false;
  for (std::int32_t s = big.first; s < big.first + big.count; ++s) {
    const std::vector<std::string> f = FieldsOf(scan->Line(s));
    const std::string side = f.size() > 9 ? Upper(Trim(f[9])) : "";
    if (side.size() != 1 || (side[0] != 'U' && side[0] != 'C') || f.size() < 3 || Trim(f[2]).empty())
      continue;
    for (const RosterRequest& r : {Ask(f[2], side[0]), Ask(f[2], side[0], Trim(f[1]).empty() ? "" : f[1])}) {
      SCOPED_TRACE("unit '" + r.unit + "' side " + side + " company '" + r.company + "'");
      const auto expected = BruteRoster(*scan, indexBytes, r);
      EXPECT_EQ(Rows(Run(r, true)), expected);
      for (std::size_t i = 1; i < expected.size(); ++i) {
        const std::int32_t slot = expected[i].first;
        const bool inRun = slot >= big.first && slot < big.first + big.count;
        if (inRun && expected[i - 1].second == expected[i].second &&
            expected[i - 1].first > expected[i].first)
          reordered = true;
      }
    }
  }
  EXPECT_TRUE(reordered);
}

// An index whose last run reaches past the name file is damaged, and a roster says so with the
// companion as without it; its rows are the same.
TEST_P(Roster, ARunPastTheNameFileIsToldAsDamageWithTheCompanion) {
  WalkedEntry last{};
  WalkIndexBytes(
      indexBytes, [](const std::string&) {},
      [&](const WalkedEntry& e) {
        if (e.firstSlot >= last.firstSlot) last = e;
      });
  ASSERT_GT(last.slotCount, 0);
  Corrupt(roll.dataDir + kIndexFileName,
          static_cast<long>(last.nodeOffset + 4 + kIndexEntrySize * last.position + 4),
          Le32(last.slotCount + 5));
  ASSERT_NO_FATAL_FAILURE(RebuildCompanion());
  for (const RosterRequest& r : {Ask("5 IL INF", 'U'), Ask("7 MO INF", 'C')}) {
    const SearchAnswer scanned = Run(r, false);
    const SearchAnswer quick = Run(r, true);
    EXPECT_FALSE(scanned.DamagedIndex().empty());
    EXPECT_EQ(quick.DamagedIndex(), scanned.DamagedIndex());
    EXPECT_EQ(Rows(quick), Rows(scanned));
  }
}

INSTANTIATE_TEST_SUITE_P(Rolls, Roster, ::testing::Values(3u, 17u, 40u));

TEST(RosterOfARoll, AUnitTextEveryEntrySharesListsTheWholeRollByCompanyThenName) {
  ScriptedMessageBox box;
  TestRoll roll;
  const char* surnames[] = {"Young", "Abbot", "Kelly", "Abbot"};
  const char* givens[] = {"Zeke", "ann", "Bob", "Al"};
  const char* companies[] = {"B", "", "a", "B"};
  for (int i = 0; i < 400; ++i) {
    roll.Add(surnames[i % 4], givens[(i / 4) % 4],
             {"J", companies[(i / 16) % 4], "1 US SS", "", "", "", "", "", "", "U"});
  }
  roll.Build();
  RollDatabase database(roll.location, BoxAnswers());
  SearchAnswer answer = database.RunRoster(Ask("1 us ss", 'U'), {});
  ASSERT_EQ(answer.Count(), 400);
  // Company A first, then B, then the entries without a company; inside each, by surname then name.
  std::vector<std::string> seen;
  for (std::int64_t p = 0; p < answer.Count(); ++p) {
    std::int32_t slot = -1;
    std::size_t span = 0;
    answer.At(p, &slot, &span);
    database.ReadSlot(slot);
    char line[kLineBufferSize];
    database.ReadLine(database.LineOffset(), line);
    const std::string company = Upper(FieldsOf(line)[1]);
    const std::string row = (company.empty() ? "~" : company) + " " + std::string(answer.Span(span).surname) +
                            " " + Upper(database.CurrentName());
    if (seen.empty() || seen.back() != row) seen.push_back(row);
  }
  std::vector<std::string> expected;
  for (const char* company : {"A", "B", "~"}) {
    for (const char* surname : {"ABBOT", "KELLY", "YOUNG"}) {
      for (const char* given : {"AL", "ANN", "BOB", "ZEKE"}) {
        expected.push_back(std::string(company) + " " + surname + " " + given);
      }
    }
  }
  EXPECT_EQ(seen, expected);
}

// The scan reads slots and lines a large run at a time: a roll of long slots and long lines whose
// members stand on both sides of every edge of those runs loses none and takes none twice.
TEST(RosterOfARoll, AScanLongerThanItsReadRunsMissesNothingAtTheirEdges) {
  ScriptedMessageBox box;
  TestRoll roll;
  const std::string remarks(300, 'r');
  for (int i = 0; i < 9000; ++i) {
    const std::string surname =
        std::string("Sur") + static_cast<char>('A' + i % 26) + static_cast<char>('A' + i / 26 % 26);
    const char* unit = i % 3 == 0 ? "5 IL INF" : "5 IL CAV";
    roll.Add(surname, "Given" + std::to_string(i),
             {"J", std::string(1, static_cast<char>('A' + i % 5)), unit, "", "", remarks, "", "", "",
              i % 2 ? "U" : "C"});
  }
  roll.Build(255);  // 259-byte slots: some 4,000 to a run read
  const RollScan scan(roll.dataDir);
  const auto expected = BruteRoster(scan, ReadFileBytes(roll.dataDir + kIndexFileName), Ask("5 IL INF", 'U'));
  ASSERT_EQ(expected.size(), 1500u);
  RollDatabase database(roll.location, BoxAnswers());
  EXPECT_EQ(Rows(database.RunRoster(Ask("5 IL INF", 'U'), {})), expected);
}

TEST(RosterOfARoll, EmptyMalformedAndOneSidedRequestsAreRefusedWithoutRows) {
  EXPECT_EQ(RosterRequestProblem(Ask("  \t ", 'U')), "the unit text is empty");
  EXPECT_EQ(RosterRequestProblem(Ask(std::string(300, 'X'), 'U')),
            "the unit text is longer than 255 characters");
  EXPECT_EQ(RosterRequestProblem(Ask("5 IL\x1b[2J INF", 'U')), "the unit text holds a control character");
  EXPECT_EQ(RosterRequestProblem(Ask("5 IL INF", 'X')), "the side is not U or C");
  RosterRequest noCompany = Ask("5 IL INF", 'U');
  noCompany.wholeUnit = false;
  EXPECT_EQ(RosterRequestProblem(noCompany), "no company was given");
  EXPECT_EQ(RosterRequestProblem(Ask("5 IL INF", 'C', "D")), "");

  ScriptedMessageBox box;
  TestRoll roll;
  roll.Add("Kelly", "JOHN", {"J", "D", "", "", "", "", "", "", "", "U"});  // an empty unit field
  roll.Add("Kelly", "JAMES", {"J", "D"});                                  // no unit field at all
  roll.Build();
  RollDatabase database(roll.location, BoxAnswers());
  for (const RosterRequest& r : {Ask("", 'U'), Ask("\t", 'U'), Ask("5 IL\nINF", 'U')}) {
    const SearchAnswer answer = database.RunRoster(r, {});
    EXPECT_TRUE(answer.Status().Ok());
    EXPECT_EQ(answer.Count(), 0);
  }
}

// The companion reads a slot list a run of bytes at a time: one group of some 74,000 entries, its
// list longer than one such run, deltas of one and two bytes, reads on across the run's edge and
// lists each slot once.
TEST(RosterOfARoll, AGroupLongerThanOneReadOfTheCompanionListsEverySlot) {
  ScriptedMessageBox box;
  TestRoll roll;
  for (int i = 0; i < 80000; ++i) {
    const char* unit = i % 97 == 5 ? "5 IL CAV" : "5 IL INF";
    roll.Add(i % 2000 == 7 ? "Abbot" : "Kelly", "N" + std::to_string(i),
             {"J", "D", unit, "", "", "", "", "", "", i % 2000 < 1860 ? "U" : "C"});
  }
  roll.Build();
  ScopedTempDir cache;
  {
    OpenRoll files(roll.dataDir);
    std::string path, error;
    ASSERT_TRUE(BuildCompanionInCache(cache.Prefix(), files.View(), {}, kDefaultCompanionCacheCap, &path,
                                      nullptr, &error))
        << error;
  }
  const RollScan scan(roll.dataDir);
  const std::string indexBytes = ReadFileBytes(roll.dataDir + kIndexFileName);
  RollDatabase database(roll.location, BoxAnswers());
  database.SetCompanionDirectory(cache.Prefix());
  for (const char side : {'U', 'C'}) {
    const auto expected = BruteRoster(scan, indexBytes, Ask("5 IL INF", side));
    EXPECT_EQ(Rows(database.RunRoster(Ask("5 IL INF", side), {})), expected) << side;
  }
  EXPECT_NE(database.Companion(), nullptr);
}

TEST(RosterOfARoll, AStoppedScanSaysSoAndListsNothing) {
  ScriptedMessageBox box;
  TestRoll roll;
  for (int i = 0; i < 70000; ++i)
    roll.Add("Kelly", "N" + std::to_string(i), {"J", "D", "5 IL INF", "", "", "", "", "", "", "U"});
  roll.Build();
  RollDatabase database(roll.location, BoxAnswers());
  int calls = 0;
  const SearchAnswer stopped = database.RunRoster(Ask("5 IL INF", 'U'), [&](int percent) {
    EXPECT_GE(percent, 0);
    EXPECT_LE(percent, 100);
    ++calls;
    return false;
  });
  EXPECT_EQ(stopped.Status().problem, RollProblem::kStopped);
  EXPECT_EQ(stopped.Count(), 0);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(database.RunRoster(Ask("5 IL INF", 'U'), [](int) { return true; }).Count(), 70000);
}

}  // namespace
