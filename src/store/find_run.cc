// The search over many keys, or narrowed by the entries' fields: RollDatabase::RunFind.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/read_cursor.h"
#include "store/companion_reader.h"
#include "store/roll_database.h"
#include "store/search_request.h"

namespace {

// Lines of the keys being narrowed are read a large run at a time: a key's lines stand together.
constexpr std::size_t kLineRunSize = 1 << 20;
// How many slots are looked at between two calls of the progress callback.
constexpr std::int64_t kProgressStep = 1 << 15;

}  // namespace

const KeyCatalogue* RollDatabase::Catalogue() {
  if (!IsOpen()) return nullptr;
  if (!catalogue) {
    catalogue = std::make_unique<KeyCatalogue>();
    catalogue->Build(*index, SlotCount());
  }
  return catalogue.get();
}

bool RollDatabase::OpenForAnswer(int roll, SearchAnswer* answer) {
  RollStatus status;
  if (!EnsureDataPresent(&status) || !Open(roll, &status)) {
    answer->SetStatus(std::move(status));
    return false;
  }
  answer->SetSource(number, generation);
  return true;
}

const KeyCatalogue* RollDatabase::OpenForManyKeys(int roll, SearchAnswer* answer) {
  if (!OpenForAnswer(roll, answer)) return nullptr;
  const KeyCatalogue* keys = Catalogue();
  if (keys->Damaged()) answer->SetDamagedIndex(index->Path());
  return keys;
}

namespace {

// A key a Find lists: its run of slots, cut to the name file, and why it matched.
struct FoundKey {
  std::int32_t begin;
  std::int32_t count;
  std::int32_t detail;
  std::string_view key;  // as the index stores it
  std::size_t surnameLength;
  std::int64_t companionKey = -1;  // its position in the roll's companion, when it came from there
};

// The answer of a search stopped part way: no rows.
SearchAnswer Stopped(const SearchRequest& request, const FindOptions& options, MatchMode mode,
                     bool narrowed) {
  SearchAnswer stopped(request, options, mode, narrowed);
  stopped.SetStatus({RollProblem::kStopped, "", "stopped"});
  return stopped;
}

}  // namespace

SearchAnswer RollDatabase::RunFind(const SearchRequest& request, const FindOptions& options,
                                   const FindProgress& progress) {
  const MatchMode mode = EffectiveMatchMode(options.mode, request.surname);
  if (mode == MatchMode::kExact && !options.filter.Active()) return RunSearch(request, options.givenVariants);

  const bool narrowed = request.hasGivenName == 1 || options.filter.Active();
  SearchAnswer answer(request, options, mode, narrowed);
  if (!OpenForAnswer(request.number, &answer)) return answer;

  // A wildcard over a range of keys, nothing narrowing it: counted and listed from the companion's
  // key table, with no span made per key.
  if (mode == MatchMode::kWildcard && !narrowed) {
    std::size_t from = 0, to = 0;
    if (const std::shared_ptr<const KeyRunTable> table = CompanionKeys();
        table && WildcardKeyRange(*table, request.surname, &from, &to)) {
      answer.SetKeyRange(table, from, to);
      return answer;
    }
  }

  // A filter over every surname and no given name: counted from the companion's groups and its
  // rows found in the column of slot groups as they are asked for, when the keys' runs hold every
  // slot of the roll one after another (a sound index has them so).
  if (mode == MatchMode::kWildcard && request.hasGivenName != 1) {
    std::size_t from = 0, to = 0;
    const std::shared_ptr<const KeyRunTable> table = CompanionKeys();
    if (table && WildcardKeyRange(*table, request.surname, &from, &to) && from == 0 && to == table->Size() &&
        table->Before(to) == SlotCount()) {
      const std::shared_ptr<const SlotGroupColumn> column = CompanionSlotGroups();
      CompanionReader* reader = Companion();
      const CompanionFilter filter = CompanionFilter::From(options.filter.side, options.filter.state,
                                                           options.filter.unit, options.filter.company);
      std::int64_t count = 0;
      std::shared_ptr<const std::vector<std::uint8_t>> verdicts;
      if (reader && column && static_cast<std::int64_t>(column->Slots()) == SlotCount() &&
          reader->CountOfRoll(filter, &count) && (verdicts = reader->GroupVerdicts(filter)) &&
          answer.SetFilteredKeyRange(table, from, to, column, std::move(verdicts), count)) {
        return answer;
      }
    }
  }

  std::vector<FoundKey> keys;
  // The exact key of a roll with a companion needs no catalogue: the companion's key table holds
  // the key's run, as the catalogue has it (the table is only made of runs that do not overlap).
  const std::string ownKey = OwnKey(request.surname);
  const std::shared_ptr<const KeyRunTable> table =
      mode == MatchMode::kExact && !ownKey.empty() ? CompanionKeys() : nullptr;
  if (table) {
    if (const std::int64_t k = table->Find(ownKey); k >= 0) {
      const auto i = static_cast<std::size_t>(k);
      keys.push_back(
          {table->Begin(i), table->End(i) - table->Begin(i), -1, ownKey, table->SurnameLength(i), k});
    }
  }
  if (!table) {
    const KeyCatalogue* catalogued = Catalogue();
    if (catalogued->Damaged()) answer.SetDamagedIndex(index->Path());
    for (const KeyMatch& match : MatchKeys(*catalogued, mode, request.surname)) {
      const auto k = static_cast<std::size_t>(match.key);
      keys.push_back({catalogued->FirstSlot(k), catalogued->SlotCount(k), match.detail, catalogued->Key(k),
                      catalogued->Surname(k).size()});
    }
  }

  // The keys' runs lie in the name file and do not overlap: the total is at most the roll.
  std::int64_t total = 0;
  for (const FoundKey& k : keys) total += k.count;

  std::unique_ptr<GivenNameSet> given;
  if (request.hasGivenName == 1) {
    given = std::make_unique<GivenNameSet>(request.givenName, nameLength, options.givenVariants);
  }
  // A filter is answered from the companion's groups of the slots when the roll has a sound one,
  // else from each entry's line; the two agree entry for entry (store/companion_reader.h).
  CompanionReader* groups = options.filter.Active() ? Companion() : nullptr;
  const CompanionFilter groupFilter = CompanionFilter::From(options.filter.side, options.filter.state,
                                                            options.filter.unit, options.filter.company);
  std::unique_ptr<ReadCursor> lines;
  const EntryMatcher matcher(options.filter);
  // An entry passes the filter when its line does.
  auto passes = [&](const unsigned char* bytes) {
    if (!options.filter.Active()) return true;
    if (!lines) {
      lines = std::make_unique<ReadCursor>(kLineRunSize);
      lines->Attach(&lineFile);
    }
    const SlotValue value = DecodeSlot(bytes, nameLength);
    if (value.lineOffset < 0) return false;
    const std::string_view line = lines->View(value.lineOffset, kLongestLine);
    return matcher.Matches(line.substr(0, line.find(static_cast<char>(kLineFeed)) + 1));
  };

  std::int64_t done = 0;
  std::int64_t nextReport = kProgressStep;
  auto step = [&](std::int64_t slots) {
    done += slots;
    if (!progress || done < nextReport) return true;
    nextReport = done + kProgressStep;
    return progress(static_cast<int>(done * 100 / (total > 0 ? total : 1)));
  };
  std::vector<std::int32_t> passing;
  for (const FoundKey& run : keys) {
    const std::int32_t begin = run.begin;
    const std::int32_t count = run.count;
    answer.AddSpan(begin, count, run.detail, run.key, run.surnameLength);
    if (!narrowed) continue;
    const std::size_t from = answer.Picked().size();
    // A plain given name in a run known to be in name order: its names are one window of the run,
    // and only that window's entries need the filter.
    std::int32_t scanFirst = begin;
    std::int32_t scanEnd = begin + count;
    const bool window = given && ExactWindow(*given, run.key, begin, begin + count, &scanFirst, &scanEnd);
    if (window && !options.filter.Active()) {
      answer.AddWindow(scanFirst, scanEnd - scanFirst);
      if (!step(count)) return Stopped(request, options, mode, narrowed);
      continue;
    }
    passing.clear();
    // A side alone over a key the companion lists: the key's stored list of that side, taken as it
    // is stored and unpacked as its rows are shown.
    if (groups && !given && run.companionKey >= 0 && groupFilter.Criteria() == 1 && groupFilter.side != 0) {
      PackedSlots list;
      if (groups->SideList(static_cast<std::size_t>(run.companionKey), groupFilter.side, &list)) {
        answer.AddPacked(std::move(list));
        if (!step(count)) return Stopped(request, options, mode, narrowed);
        continue;
      }
      groups = nullptr;
    }
    // A state or a company alone over a key the companion lists: its count from the key's counts,
    // its slots found in the roll's column of slot groups only as far as its rows are shown.
    if (groups && !given && run.companionKey >= 0 && groupFilter.Criteria() == 1 && groupFilter.side == 0 &&
        groupFilter.unit.empty()) {
      const std::shared_ptr<const SlotGroupColumn> column = CompanionSlotGroups();
      groups = Companion();  // null when reading the column found it damaged
      std::int64_t passingCount = 0;
      std::shared_ptr<const std::vector<std::uint8_t>> verdicts;
      if (groups && column &&
          groups->CountOfKey(static_cast<std::size_t>(run.companionKey), groupFilter, &passingCount) &&
          (verdicts = groups->GroupVerdicts(groupFilter))) {
        answer.AddScanned(column, std::move(verdicts), begin, begin + count, passingCount);
        if (!step(count)) return Stopped(request, options, mode, narrowed);
        continue;
      }
      if (groups && groups->Failed()) groups = nullptr;
    }
    // A companion found damaged part way is left for the lines, from this key on.
    if (groups && !groups->PassingSlots(scanFirst, scanEnd, groupFilter, 0, SIZE_MAX, &passing)) {
      groups = nullptr;
      passing.clear();
    }
    ScanEnd ended = ScanEnd::kWhole;
    if (groups && (!given || window)) {
      for (const std::int32_t slot : passing) answer.Picked().push_back(static_cast<std::uint32_t>(slot));
      if (!step(count)) ended = ScanEnd::kStopped;
    } else {
      // The given name's matches come in slot order, as the passing slots do.
      std::size_t next = 0;
      const SlotVisit take = [&](std::int32_t slot, const unsigned char* bytes) {
        if (groups) {
          while (next < passing.size() && passing[next] < slot) ++next;
          if (next == passing.size() || passing[next] != slot) return true;
        } else if (!passes(bytes)) {
          return true;
        }
        answer.Picked().push_back(static_cast<std::uint32_t>(slot));
        return true;
      };
      ended = window ? ScanRun(given.get(), scanFirst, scanEnd, take, step, nullptr)
                     : ScanGivenName(given.get(), begin, begin + count, take, step, run.key);
    }
    if (ended == ScanEnd::kStopped) return Stopped(request, options, mode, narrowed);
    answer.TakePicked(from);
  }
  answer.EndSpan();
  return answer;
}
