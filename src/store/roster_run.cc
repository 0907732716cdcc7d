// A unit's roster: RollDatabase::RunRoster.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/read_cursor.h"
#include "store/companion_cache.h"
#include "store/companion_format.h"
#include "store/companion_reader.h"
#include "store/roll_database.h"
#include "store/search_request.h"
#include "store/unit_roster.h"

namespace {

constexpr std::size_t kLineRunSize = 1 << 20;
constexpr std::size_t kSlotRunSize = 1 << 20;
constexpr std::int64_t kProgressStep = 1 << 15;

// One entry of the roster while it is put in order: its company's place among the roster's
// companies, its key and its slot.
struct Member {
  std::uint32_t company;
  std::uint32_t key;
  std::int32_t slot;
};

// The companies met, numbered as met, then ranked in roster order.
class Companies {
 public:
  std::uint32_t Number(const std::string& company) {
    const auto [at, added] = numbers.try_emplace(company, static_cast<std::uint32_t>(texts.size()));
    if (added) texts.push_back(company);
    return at->second;
  }
  // rank[number]: the company's place in roster order.
  std::vector<std::uint32_t> Ranks() const {
    std::vector<std::uint32_t> order(texts.size());
    for (std::uint32_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
      return CompareRosterCompanies(texts[a], texts[b]) < 0;
    });
    std::vector<std::uint32_t> rank(texts.size());
    for (std::uint32_t r = 0; r < order.size(); ++r) rank[order[r]] = r;
    return rank;
  }

 private:
  std::unordered_map<std::string, std::uint32_t> numbers;
  std::vector<std::string> texts;
};

// What a scan of the roll looks for: unit text (RosterUnitText's), side and, unless null, company
// (RosterCompany's).
struct RosterScan {
  std::string_view unit;
  char side;
  const std::string* company;
};

// Every slot of the catalogue's keys, read in slot order a large run at a time (the runs do not
// overlap, and runs that follow each other in the name file are read as one), and the line of
// each: most lines are turned down on their unit field alone, and only the rest are read to their
// side. Members are added with their key's place in the catalogue. False when `progress` stopped
// the scan. A run of slots that cannot be read ends its key's run there, as a given-name scan
// ends: no member is made of a slot not read.
bool ScanRoll(RollDatabase& database, const ReadOnlyFile& lineFile, const KeyCatalogue& keys,
              const RosterScan& scan, const FindProgress& progress, Companies* companies,
              std::vector<Member>* members) {
  std::vector<std::uint32_t> order;
  std::int64_t total = 0;
  for (std::size_t k = 0; k < keys.Size(); ++k) {
    if (keys.SlotCount(k) <= 0) continue;
    order.push_back(static_cast<std::uint32_t>(k));
    total += keys.SlotCount(k);
  }
  std::sort(order.begin(), order.end(),
            [&](std::uint32_t a, std::uint32_t b) { return keys.FirstSlot(a) < keys.FirstSlot(b); });
  auto endOf = [&](std::size_t i) { return keys.FirstSlot(order[i]) + keys.SlotCount(order[i]); };

  const std::size_t slotSize = static_cast<std::size_t>(database.SlotSize());
  const auto slots = std::make_unique_for_overwrite<unsigned char[]>(kSlotRunSize);
  ReadCursor lines(kLineRunSize);
  lines.Attach(&lineFile);
  EntryAttributes attributes;
  std::int64_t done = 0;
  std::int64_t nextReport = kProgressStep;
  for (std::size_t i = 0; i < order.size();) {
    std::size_t next = i + 1;
    while (next < order.size() && keys.FirstSlot(order[next]) == endOf(next - 1)) ++next;
    const std::int32_t end = endOf(next - 1);
    std::size_t k = i;  // the key whose run holds `slot`
    for (std::int32_t slot = keys.FirstSlot(order[i]); slot < end;) {
      while (slot >= endOf(k)) ++k;
      const int run = database.ReadSlotRun(slot, end, slots.get(), kSlotRunSize);
      if (run == 0) {
        slot = endOf(k);
        continue;
      }
      for (int r = 0; r < run; ++r, ++slot) {
        while (slot >= endOf(k)) ++k;
        const std::int32_t offset = SlotLineOffset(slots.get() + static_cast<std::size_t>(r) * slotSize);
        if (offset < 0) continue;
        const std::string_view line = lines.View(offset, kLongestLine);
        if (!SameUnitText(LineField(line, kLineUnitField), scan.unit)) continue;
        AttributesOfLine(line, &attributes);
        if (attributes.side != scan.side) continue;
        if (scan.company && attributes.company != *scan.company) continue;
        members->push_back({companies->Number(attributes.company), order[k], slot});
      }
      done += run;
      if (progress && done >= nextReport) {
        nextReport = done + kProgressStep;
        if (!progress(static_cast<int>(done * 100 / total))) return false;
      }
    }
    i = next;
  }
  return true;
}

// One group of a roster's entries as the companion keeps them: one unit field's entries of one
// side and company.
struct RosterGroup {
  std::string_view company;  // held by the reader
  std::size_t group;
  std::uint32_t entries;  // as the group's record claims
};

// The groups of the roster of unit text `unit` and `side` (of `company` only, unless null), company
// by company in roster order: the groups of one company, from unit fields that read alike, next
// to each other. False when the companion could not be read.
bool RosterGroups(CompanionReader& reader, std::string_view unit, char side, const std::string* company,
                  std::vector<RosterGroup>* out) {
  std::vector<std::size_t> fields;
  if (!reader.UnitFieldsReadingAs(unit, &fields)) return false;
  for (const std::size_t u : fields) {
    std::size_t from = 0, to = 0;
    if (!reader.UnitGroups(reader.UnitText(u), side, &from, &to)) return false;
    for (std::size_t g = from; g < to; ++g) {
      CompanionGroup group;
      if (!reader.Group(g, &group)) return false;
      if (!company || group.company == *company) out->push_back({group.company, g, group.entries});
    }
  }
  std::stable_sort(out->begin(), out->end(), [](const RosterGroup& a, const RosterGroup& b) {
    return CompareRosterCompanies(a.company, b.company) < 0;
  });
  return true;
}

// The key of `table` whose names are not in order and whose run holds `slot`, or -1.
std::int64_t UnorderedKeyOf(const KeyRunTable& table, std::uint32_t slot) {
  const std::vector<std::uint32_t>& keys = table.UnorderedKeys();
  const auto after = std::upper_bound(keys.begin(), keys.end(), slot, [&](std::uint32_t s, std::uint32_t k) {
    return s < static_cast<std::uint32_t>(table.Begin(k));
  });
  if (after == keys.begin()) return -1;
  const std::uint32_t key = *(after - 1);
  return slot < static_cast<std::uint32_t>(table.End(key)) ? static_cast<std::int64_t>(key) : -1;
}

// The slots of `groups` (RosterGroups'), company by company, in roster order, on a roll whose
// keys' runs hold every slot in key order: a company's slots ascending are in the order of their
// keys, and of their names in every key whose names are in order; those of a key whose names are
// not are put in order by `orderByNames(slots, count)`. False when the companion could not be read.
template <typename OrderByNames>
bool ListRoster(CompanionReader& reader, const KeyRunTable& table, const std::vector<RosterGroup>& groups,
                OrderByNames&& orderByNames, std::vector<std::uint32_t>* rows) {
  std::vector<std::int32_t> slots;
  std::size_t total = 0;
  for (const RosterGroup& g : groups) total += g.entries;
  // The rows fit the roll, whatever a group claims.
  rows->reserve(std::min<std::size_t>(total, static_cast<std::size_t>(table.Before(table.Size()))));
  for (std::size_t first = 0; first < groups.size();) {
    std::size_t last = first + 1;
    while (last < groups.size() && groups[last].company == groups[first].company) ++last;
    slots.clear();
    for (std::size_t g = first; g < last; ++g) {
      if (!reader.GroupSlots(groups[g].group, 0, SIZE_MAX, &slots)) return false;
    }
    if (last - first > 1) std::sort(slots.begin(), slots.end());
    const std::size_t from = rows->size();
    rows->insert(rows->end(), slots.begin(), slots.end());  // slots are never negative
    for (std::size_t at = from; !table.UnorderedKeys().empty() && at < rows->size();) {
      const std::int64_t key = UnorderedKeyOf(table, (*rows)[at]);
      std::size_t end = at + 1;
      if (key >= 0) {
        const auto keyEnd = static_cast<std::uint32_t>(table.End(static_cast<std::size_t>(key)));
        while (end < rows->size() && (*rows)[end] < keyEnd) ++end;
        if (end - at > 1) orderByNames(rows->data() + at, end - at);
      }
      at = end;
    }
    first = last;
  }
  return true;
}

}  // namespace

void RollDatabase::SetCompanionDirectory(std::string directory) {
  companionDirectory = std::move(directory);
  companion.reset();
  companionKeys.reset();
  companionGroups.reset();
  companionGeneration = 0;
}

CompanionReader* RollDatabase::Companion() {
  if (!IsOpen() || companionDirectory.empty()) return nullptr;
  if (companionGeneration != generation) {
    companionGeneration = generation;
    auto reader = std::make_unique<CompanionReader>();
    std::string reason;
    const RollFilesView files{&nameFile, &lineFile, &index->File()};
    const bool open =
        OpenCompanion(companionDirectory, files, reader.get(), &reason) == CompanionStatus::kOpen;
    companion = open ? std::move(reader) : nullptr;
    companionKeys.reset();
    companionKeysTried = false;
    companionGroups.reset();
    companionGroupsTried = false;
  }
  if (companion && companion->Failed()) companion.reset();
  return companion.get();
}

std::shared_ptr<const KeyRunTable> RollDatabase::CompanionKeys() {
  CompanionReader* reader = Companion();
  if (!reader) return nullptr;
  // Read once a companion: a table found wanting is not asked for again until the next one.
  if (!companionKeysTried) {
    companionKeysTried = true;
    companionKeys = reader->LoadKeyTable();
  }
  return companionKeys;
}

SearchAnswer RollDatabase::RunRoster(const RosterRequest& asked, const FindProgress& progress) {
  SearchRequest request;
  request.number = static_cast<std::int8_t>(asked.number);
  SearchAnswer answer(request, FindOptions{}, MatchMode::kExact, true);
  answer.SetRoster(asked);
  if (!RosterRequestProblem(asked).empty()) return answer;
  if (!OpenForAnswer(asked.number, &answer)) return answer;

  const std::string unit = RosterUnitText(asked.unit);
  const std::string wanted = RosterCompany(asked.company);
  const char side = asked.side;

  // Puts the `count` slots from `slots` in the order of their names, equal names in slot order.
  // Each name is read alone: a roster's slots lie far apart, and a read-ahead buffer would be
  // filled for every one of them. A slot not read whole has no name, as ReadSlot says.
  std::vector<std::string> names;
  std::vector<std::size_t> order;
  std::vector<std::uint32_t> sorted;
  const std::size_t length = static_cast<std::size_t>(nameLength);
  auto orderByNames = [&](std::uint32_t* slots, std::size_t count) {
    names.assign(count, std::string());
    for (std::size_t i = 0; i < count; ++i) {
      std::string& name = names[i];
      name.assign(length, '\0');
      const auto slot = static_cast<std::int32_t>(slots[i]);
      const std::int64_t at = static_cast<std::int64_t>(slot) * slotSize + kSlotHeaderSize;
      if (slot < 0 || slot >= SlotCount() ||
          nameFile.ReadAt(at, name.data(), length) != static_cast<std::int64_t>(length)) {
        name.assign(length, '\0');
        continue;
      }
      name.resize(strnlen(name.data(), length));
      name.resize(length, '\0');
    }
    order.resize(count);
    for (std::size_t i = 0; i < count; ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
      return CompareStoredNames(names[a].data(), names[b].data(), nameLength) < 0;
    });
    sorted.resize(count);
    for (std::size_t i = 0; i < count; ++i) sorted[i] = slots[order[i]];
    std::copy(sorted.begin(), sorted.end(), slots);
  };

  // From the companion: the groups of every unit field that reads as the unit. The table first:
  // asking for it may let go of a reader found damaged.
  const std::shared_ptr<const KeyRunTable> table = CompanionKeys();
  std::vector<RosterGroup> groups;
  bool answered = false;
  if (CompanionReader* reader = Companion()) {
    answered = RosterGroups(*reader, unit, side, asked.wholeUnit ? nullptr : &wanted, &groups);
    // On a roll whose keys' runs are as the index gives them and hold every slot one after
    // another, the rows are listed as they stand and each finds its key when asked for
    // (store/search_answer.h); such an index is sound, so the key catalogue is not needed.
    if (answered && table && table->AsIndexed() && table->TilesFromZero() &&
        table->Before(table->Size()) == SlotCount()) {
      std::vector<std::uint32_t> rows;
      answered = ListRoster(*reader, *table, groups, orderByNames, &rows);
      if (answered && !reader->Failed() && answer.SetListedRows(table, std::move(rows))) return answer;
    }
  }

  const KeyCatalogue& keys = *Catalogue();
  if (keys.Damaged()) answer.SetDamagedIndex(index->Path());
  Companies companies;
  std::vector<Member> members;
  // A slot the index files under no key is in no search's answer, so in no roster either.
  auto take = [&](std::int32_t slot, const std::string& company) {
    const std::int64_t key = keys.KeyOfSlot(slot);
    if (key >= 0) members.push_back({companies.Number(company), static_cast<std::uint32_t>(key), slot});
  };
  CompanionReader* reader = answered ? Companion() : nullptr;
  answered = reader != nullptr;
  if (reader) {
    std::vector<std::int32_t> slots;
    for (std::size_t g = 0; g < groups.size() && answered; ++g) {
      const std::string company(groups[g].company);
      slots.clear();
      answered = reader->GroupSlots(groups[g].group, 0, SIZE_MAX, &slots);
      for (const std::int32_t slot : slots) take(slot, company);
    }
    // What was read of a damaged companion is dropped: the scan answers instead.
    if (!answered || reader->Failed()) {
      answered = false;
      members.clear();
      companies = Companies();
    }
  }

  // Else one pass over the name file in slot order, reading each entry's line.
  const RosterScan scan{unit, side, asked.wholeUnit ? nullptr : &wanted};
  if (!answered && !ScanRoll(*this, lineFile, keys, scan, progress, &companies, &members)) {
    SearchAnswer stopped(request, FindOptions{}, MatchMode::kExact, true);
    stopped.SetRoster(asked);
    stopped.SetStatus({RollProblem::kStopped, "", "stopped"});
    return stopped;
  }

  // Company, key, then slot; then each company's entries of one key by their names.
  const std::vector<std::uint32_t> rank = companies.Ranks();
  for (Member& m : members) m.company = rank[m.company];
  std::sort(members.begin(), members.end(), [&](const Member& a, const Member& b) {
    if (a.company != b.company) return a.company < b.company;
    if (a.key != b.key) return a.key < b.key;  // the catalogue holds its keys in key order
    return a.slot < b.slot;
  });
  std::vector<std::uint32_t> block;
  for (std::size_t first = 0; first < members.size();) {
    std::size_t last = first + 1;
    while (last < members.size() && members[last].company == members[first].company &&
           members[last].key == members[first].key) {
      ++last;
    }
    if (last - first > 1) {
      block.clear();
      for (std::size_t i = first; i < last; ++i) block.push_back(static_cast<std::uint32_t>(members[i].slot));
      orderByNames(block.data(), block.size());
      for (std::size_t i = first; i < last; ++i)
        members[i].slot = static_cast<std::int32_t>(block[i - first]);
    }
    answer.AddSpan(keys.FirstSlot(members[first].key), keys.SlotCount(members[first].key), -1,
                   keys.Key(members[first].key), keys.Surname(members[first].key).size());
    const std::size_t from = answer.Picked().size();
    for (std::size_t i = first; i < last; ++i)
      answer.Picked().push_back(static_cast<std::uint32_t>(members[i].slot));
    answer.TakePicked(from);
    first = last;
  }
  answer.EndSpan();
  return answer;
}

std::shared_ptr<const SlotGroupColumn> RollDatabase::CompanionSlotGroups() {
  CompanionReader* reader = Companion();
  if (!reader) return nullptr;
  if (!companionGroupsTried) {
    companionGroupsTried = true;
    companionGroups = reader->LoadSlotGroups();
  }
  return companionGroups;
}
