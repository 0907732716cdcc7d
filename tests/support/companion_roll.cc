#include "support/companion_roll.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/read_cursor.h"
#include "store/name_order.h"
#include "store/roll_format.h"

namespace {

constexpr const char* kSurnames[] = {"Smith",   "Smyth",  "Jones",   "Kelly",     "Kelley",
                                     "Miller",  "Muller", "Mueller", "VanDeusen", "Schmidt",
                                     "O'Brien", "Lee",    "Li",      "Washington"};
constexpr const char* kGivens[] = {"John",     "JOHN W", "john",    "Johnny", "James",
                                   "Mary Ann", "J. W.",  "Patrick", "Pat",    "",
                                   "A",        "Abner",  "zeke",    "John  ", "Jo"};
// Unit fields as rolls write them, and as a filter must read them alike or apart.
constexpr const char* kUnits[] = {"5 IL INF",      "5 il inf",  " 5 IL INF", "18 ME INF", "5 BN TN CAV",
                                  "11 AL HVY ART", "2 MD CAV",  "7 MO INF",  "",          "CAV",
                                  "IL  CAV",       "3 OH INF\t"};
constexpr const char* kCompanies[] = {"A", " a ", "a\t", "", "B", "K", "D", "  "};
constexpr const char* kSides[] = {"U", "C", " c ", "u", "", "X", "UC", "C", "U"};

}  // namespace

EntryFilter Filter(char side, const std::string& state, const std::string& unit, const std::string& company) {
  EntryFilter f;
  f.side = side;
  f.state = state;
  f.unit = unit;
  f.company = company;
  return f;
}

void AddVariedEntries(TestRoll* roll, int entries, unsigned seed) {
  std::mt19937 random(seed);
  auto pick = [&](auto& list) { return std::string(list[random() % std::size(list)]); };
  for (int i = 0; i < entries; ++i) {
    std::vector<std::string> fields = {"J",  pick(kCompanies), pick(kUnits), "PVT", "CORP", "", "12", "34",
                                       "56", pick(kSides)};
    // Some lines end early: without a side, without a unit, without a company.
    if (random() % 9 == 0) fields.resize(random() % 10);
    roll->Add(pick(kSurnames), pick(kGivens), fields);
  }
}

void AddLongRun(TestRoll* roll, const std::string& surname, int entries, unsigned seed) {
  std::mt19937 random(seed);
  for (int i = 0; i < entries; ++i) {
    std::string given = i % 3 == 0 ? std::string(kGivens[random() % std::size(kGivens)]) : "";
    if (given.empty()) {
      given = {static_cast<char>('A' + random() % 26), static_cast<char>('a' + random() % 26)};
      if (random() % 2) given += " " + std::string(1, static_cast<char>('A' + random() % 26)) + ".";
    }
    roll->Add(surname, given,
              {"J", kCompanies[random() % std::size(kCompanies)], kUnits[random() % std::size(kUnits)], "PVT",
               "", "", "", "", "", kSides[random() % std::size(kSides)]});
  }
}

OpenRoll::OpenRoll(const std::string& dataDir) {
  EXPECT_EQ(name.Open(dataDir + kNameFileName), OpenStatus::kOk);
  EXPECT_EQ(line.Open(dataDir + kLineFileName), OpenStatus::kOk);
  EXPECT_EQ(index.Open(dataDir + kIndexFileName), OpenStatus::kOk);
}

RollScan::RollScan(const std::string& dataDir) {
  const std::string names = ReadFileBytes(dataDir + kNameFileName);
  ReadOnlyFile lineFile;
  EXPECT_EQ(lineFile.Open(dataDir + kLineFileName), OpenStatus::kOk);
  if (names.size() < kNameTrailerSize) return;
  nameLength =
      DecodeTrailer(reinterpret_cast<const unsigned char*>(names.data() + names.size() - kNameTrailerSize));
  const std::size_t slotSize = static_cast<std::size_t>(nameLength) + kSlotHeaderSize;
  const std::size_t slots = (names.size() - kNameTrailerSize) / slotSize;
  nameBytes = names.substr(0, slots * slotSize);
  ReadCursor cursor(1 << 16);
  cursor.Attach(&lineFile);
  for (std::size_t s = 0; s < slots; ++s) {
    const SlotValue slot =
        DecodeSlot(reinterpret_cast<const unsigned char*>(nameBytes.data() + s * slotSize), nameLength);
    std::string line;
    if (slot.lineOffset >= 0) {
      // As the Find run hands a line to a filter.
      const std::string_view view = cursor.View(slot.lineOffset, kLongestLine);
      line = std::string(view.substr(0, view.find(static_cast<char>(kLineFeed)) + 1));
    }
    lines.push_back(line);
  }
}

std::string RollScan::Name(std::int32_t slot) const {
  const std::size_t slotSize = static_cast<std::size_t>(nameLength) + kSlotHeaderSize;
  return std::string(
      DecodeSlot(reinterpret_cast<const unsigned char*>(nameBytes.data() + slot * slotSize), nameLength)
          .name);
}

std::vector<std::int32_t> RollScan::Passing(std::int32_t begin, std::int32_t end,
                                            const EntryFilter& filter) const {
  const EntryMatcher matcher(filter);
  std::vector<std::int32_t> slots;
  for (std::int32_t s = begin; s < end; ++s) {
    if (matcher.Matches(Line(s))) slots.push_back(s);
  }
  return slots;
}

bool RollScan::Ordered(std::int32_t begin, std::int32_t end) const {
  NameOrderCheck check(nameLength);
  const std::size_t slotSize = static_cast<std::size_t>(nameLength) + kSlotHeaderSize;
  for (std::int32_t s = begin; s < end; ++s) check.Feed(nameBytes.data() + s * slotSize + kSlotHeaderSize);
  return check.Ordered();
}
