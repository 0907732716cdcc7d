// The search over many keys, or narrowed by the entries' fields: RollDatabase::RunFind.
#include <memory>
#include <string>

#include "platform/read_cursor.h"
#include "results/given_name.h"
#include "results/result_list.h"
#include "store/roll_database.h"
#include "store/search_request.h"

namespace {

// Lines of the keys being narrowed are read a large run at a time: a key's lines stand together.
constexpr std::size_t kLineRunSize = 1 << 20;
constexpr std::size_t kSlotRunSize = 256 * 1024;
// How many slots are looked at between two calls of the progress callback.
constexpr std::int64_t kProgressStep = 1 << 15;

}  // namespace

const KeyCatalogue* RollDatabase::Catalogue() {
  if (!IsOpen()) return nullptr;
  if (!catalogue) {
    catalogue = std::make_unique<KeyCatalogue>();
    catalogue->Build(*index);
  }
  return catalogue.get();
}

FindOutcome RollDatabase::RunFind(SearchRequest& request, const FindOptions& options, const FindProgress& progress) {
  const MatchMode mode = EffectiveMatchMode(options.mode, request.surname);
  if (mode == MatchMode::kExact && !options.filter.Active()) {
    RunSearch(request);
    return FindOutcome::kShown;
  }
  if (!EnsureDataPresent() || !Open(request.number)) {
    resultList->Reset();
    return FindOutcome::kNoData;
  }
  const KeyCatalogue& keyCatalogue = *Catalogue();
  const std::vector<KeyMatch> keys = MatchKeys(keyCatalogue, mode, request.surname);

  const bool narrowed = request.hasGivenName == 1 || options.filter.Active();
  auto result = std::make_unique<FindResult>(mode, narrowed);
  const std::int64_t available = SlotCount();
  // The slots of each key, cut to what the name file has, as the exact search cuts them.
  std::vector<std::pair<std::int32_t, std::int32_t>> ranges;
  std::int64_t total = 0;
  for (const KeyMatch& k : keys) {
    std::int64_t begin = keyCatalogue.FirstSlot(static_cast<std::size_t>(k.key));
    std::int64_t last = begin + keyCatalogue.SlotCount(static_cast<std::size_t>(k.key));
    if (begin < 0 || begin >= available) begin = last = 0;
    if (last > available) last = available;
    if (last < begin) last = begin;
    ranges.push_back({static_cast<std::int32_t>(begin), static_cast<std::int32_t>(last - begin)});
    total += last - begin;
  }

  std::unique_ptr<GivenNamePrefix> given;
  if (request.hasGivenName == 1) given = std::make_unique<GivenNamePrefix>(request.givenName, nameLength);
  std::unique_ptr<unsigned char[]> slots;
  std::unique_ptr<ReadCursor> lines;
  if (narrowed) slots = std::make_unique_for_overwrite<unsigned char[]>(kSlotRunSize);
  if (options.filter.Active()) {
    lines = std::make_unique<ReadCursor>(kLineRunSize);
    lines->Attach(&lineFile);
  }

  const EntryMatcher matcher(options.filter);
  std::int64_t done = 0;
  std::int64_t nextReport = kProgressStep;
  for (std::size_t k = 0; k < keys.size(); ++k) {
    const std::size_t key = static_cast<std::size_t>(keys[k].key);
    const auto [begin, count] = ranges[k];
    result->AddSpan(begin, count, keys[k].detail, keyCatalogue.Key(key), keyCatalogue.Surname(key).size());
    if (!narrowed) continue;
    for (std::int32_t slot = begin; slot < begin + count;) {
      const int run = ReadSlotRun(slot, begin + count, slots.get(), kSlotRunSize);
      if (run == 0) break;  // a failed read: the rest of this key cannot be looked at
      for (int i = 0; i < run; ++i, ++slot) {
        const unsigned char* bytes = slots.get() + static_cast<std::size_t>(i) * static_cast<std::size_t>(slotSize);
        if (given && !given->MatchesStored(reinterpret_cast<const char*>(bytes + kSlotHeaderSize))) continue;
        const SlotValue value = DecodeSlot(bytes, nameLength);
        if (lines) {
          if (value.lineOffset < 0) continue;
          const std::string_view line = lines->View(value.lineOffset, kLongestLine);
          if (!matcher.Matches(line.substr(0, line.find(static_cast<char>(kLineFeed)) + 1))) continue;
        }
        result->AddMatch(slot);
      }
      done += run;
      if (progress && done >= nextReport) {
        nextReport = done + kProgressStep;
        if (!progress(static_cast<int>(done * 100 / (total > 0 ? total : 1)))) return FindOutcome::kCancelled;
      }
    }
  }
  result->EndSpan();

  resultList->Reset();
  resultList->SetDisplaySurname(request.surname);
  resultList->ShowFound(std::move(result));
  return FindOutcome::kShown;
}
