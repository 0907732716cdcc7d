// The search over many keys, or narrowed by the entries' fields: RollDatabase::RunFind.
#include <memory>
#include <string>

#include "platform/read_cursor.h"
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

const KeyCatalogue* RollDatabase::OpenForManyKeys(int roll, SearchAnswer* answer) {
  RollStatus status;
  if (!EnsureDataPresent(&status) || !Open(roll, &status)) {
    answer->SetStatus(std::move(status));
    return nullptr;
  }
  answer->SetSource(number, generation);
  const KeyCatalogue* keys = Catalogue();
  if (keys->Damaged()) answer->SetDamagedIndex(index->Path());
  return keys;
}

SearchAnswer RollDatabase::RunFind(const SearchRequest& request, const FindOptions& options,
                                   const FindProgress& progress) {
  const MatchMode mode = EffectiveMatchMode(options.mode, request.surname);
  if (mode == MatchMode::kExact && !options.filter.Active()) return RunSearch(request, options.givenVariants);

  const bool narrowed = request.hasGivenName == 1 || options.filter.Active();
  SearchAnswer answer(request, options, mode, narrowed);
  const KeyCatalogue* catalogued = OpenForManyKeys(request.number, &answer);
  if (!catalogued) return answer;
  const KeyCatalogue& keyCatalogue = *catalogued;
  const std::vector<KeyMatch> keys = MatchKeys(keyCatalogue, mode, request.surname);

  // The catalogue's runs lie in the name file and do not overlap: the total is at most the roll.
  std::int64_t total = 0;
  for (const KeyMatch& k : keys) total += keyCatalogue.SlotCount(static_cast<std::size_t>(k.key));

  std::unique_ptr<GivenNameSet> given;
  if (request.hasGivenName == 1) {
    given = std::make_unique<GivenNameSet>(request.givenName, nameLength, options.givenVariants);
  }
  std::unique_ptr<ReadCursor> lines;
  if (options.filter.Active()) {
    lines = std::make_unique<ReadCursor>(kLineRunSize);
    lines->Attach(&lineFile);
  }
  const EntryMatcher matcher(options.filter);
  // An entry passes the filter when its line does.
  auto passes = [&](const unsigned char* bytes) {
    if (!lines) return true;
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
  for (const KeyMatch& match : keys) {
    const std::size_t key = static_cast<std::size_t>(match.key);
    const std::int32_t begin = keyCatalogue.FirstSlot(key);
    const std::int32_t count = keyCatalogue.SlotCount(key);
    answer.AddSpan(begin, count, match.detail, keyCatalogue.Key(key), keyCatalogue.Surname(key).size());
    if (!narrowed) continue;
    const std::size_t from = answer.Picked().size();
    const ScanEnd ended = ScanGivenName(
        given.get(), begin, begin + count,
        [&](std::int32_t slot, const unsigned char* bytes) {
          if (passes(bytes)) answer.Picked().push_back(static_cast<std::uint32_t>(slot));
          return true;
        },
        step);
    if (ended == ScanEnd::kStopped) {
      SearchAnswer stopped(request, options, mode, narrowed);
      stopped.SetStatus({RollProblem::kStopped, "", "stopped"});
      return stopped;
    }
    answer.TakePicked(from);
  }
  answer.EndSpan();
  return answer;
}
