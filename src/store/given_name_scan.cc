// The one scan over a run of slots that every search uses to narrow by a given name:
// RollDatabase::ScanGivenName.
#include <algorithm>
#include <utility>
#include <vector>

#include "store/companion_reader.h"
#include "store/roll_database.h"

namespace {

constexpr std::size_t kScanBufferSize = 256 * 1024;

}  // namespace

template <typename Window>
RollDatabase::ScanEnd RollDatabase::ScanWindows(const GivenNameSet& names, std::int32_t first,
                                                std::int32_t end, const SlotVisit& take, const ScanStep& step,
                                                Window&& window) {
  std::vector<std::pair<std::int32_t, std::int32_t>> windows;
  for (const GivenNamePrefix& prefix : names.Prefixes()) {
    std::int32_t from = first;
    std::int32_t to = end;
    window(prefix, &from, &to);
    if (from < to) windows.emplace_back(from, to);
  }
  std::sort(windows.begin(), windows.end());
  for (std::size_t i = 0; i < windows.size();) {
    std::int32_t to = windows[i].second;
    std::size_t next = i + 1;
    for (; next < windows.size() && windows[next].first <= to; ++next)
      to = std::max(to, windows[next].second);
    const ScanEnd ended = ScanRun(&names, windows[i].first, to, take, step, nullptr);
    if (ended != ScanEnd::kWhole) return ended;
    i = next;
  }
  return ScanEnd::kWhole;
}

RollDatabase::ScanEnd RollDatabase::ScanGivenName(const GivenNameSet* names, std::int32_t first,
                                                  std::int32_t end, const SlotVisit& take,
                                                  const ScanStep& step, std::string_view key) {
  if (end <= first) return ScanEnd::kWhole;
  // A run whose order an earlier scan confirmed, or the companion vouches for: only the parts
  // where the set's names can stand are looked at, and they hold every match a whole scan would
  // find, in the same order.
  if (names != nullptr) {
    if (const OrderedNames* ordered = KnownOrder(key, first, end)) {
      return ScanWindows(*names, first, end, take, step,
                         [&](const GivenNamePrefix& prefix, std::int32_t* from, std::int32_t* to) {
                           // The kept names give a window a step wider at each end at most,
                           // without a read; a run kept without names is bisected by reads.
                           const auto compare = [&](const char* name) { return prefix.CompareFolded(name); };
                           if (ordered->Sampled()) {
                             ordered->Window(first, end, compare, from, to);
                           } else {
                             BisectWindow(prefix, first, end, *ordered, from, to);
                           }
                         });
    }
  }
  NameOrderCheck check(nameLength);
  const ScanEnd ended = ScanRun(names, first, end, take, step, &check);
  if (ended == ScanEnd::kWhole && check.Ordered()) nameOrders.Remember(first, end, check.Take());
  return ended;
}

const OrderedNames* RollDatabase::KnownOrder(std::string_view key, std::int32_t first, std::int32_t end) {
  if (const OrderedNames* known = nameOrders.Find(first, end)) return known;
  CompanionReader* reader = key.empty() ? nullptr : Companion();
  if (reader == nullptr) return nullptr;
  const std::int64_t position = reader->FindKey(key);
  CompanionKey found;
  if (position < 0 || !reader->Key(static_cast<std::size_t>(position), &found)) return nullptr;
  // The verdict is of the run the companion cut from the same index: it must be this run.
  if (!found.namesOrdered || found.begin != first || found.end != end) return nullptr;
  std::string samples;
  if (!reader->NameSamples(static_cast<std::size_t>(position), &samples)) return nullptr;
  // Kept as a whole scan's verdict is: the companion is bound to this open file set.
  nameOrders.Remember(first, end, OrderedNames(std::move(samples), nameLength));
  return nameOrders.Find(first, end);
}

bool RollDatabase::BisectWindow(const GivenNamePrefix& prefix, std::int32_t first, std::int32_t end,
                                const OrderedNames& ordered, std::int32_t* from, std::int32_t* to) {
  bool unread = false;
  char folded[kMaxNameLength];
  unsigned char bytes[kSlotHeaderSize + kMaxNameLength];
  const auto size = static_cast<std::size_t>(slotSize);
  // <0, 0 or >0 as the name of `slot` sorts before, with or after the prefix.
  auto compare = [&](std::int32_t slot) {
    if (unread || nameCursor.Read(static_cast<std::int64_t>(slot) * slotSize, bytes, size) != size) {
      unread = true;
      return 0;
    }
    FoldStoredName(reinterpret_cast<const char*>(bytes + kSlotHeaderSize), nameLength, folded);
    return prefix.CompareFolded(folded);
  };
  // Each look at a slot far from the last is a read of the file. Once what is left of a bisection
  // fits in the read-ahead buffer it is read whole, and the rest of that bisection is done there.
  const std::int32_t buffered = static_cast<std::int32_t>(kReadBufferSize / size);
  auto bound = [&](std::int32_t begin, std::int32_t stop, auto&& before) {
    bool held = false;
    while (begin < stop) {
      if (!held && stop - begin <= buffered) {
        held = true;
        nameCursor.View(static_cast<std::int64_t>(begin) * slotSize,
                        static_cast<std::size_t>(stop - begin) * size);
      }
      const std::int32_t mid = begin + (stop - begin) / 2;
      if (before(mid)) {
        begin = mid + 1;
      } else {
        stop = mid;
      }
    }
    return begin;
  };
  // The kept names narrow each end to a step, with no read. The window starts at the last kept
  // name before the prefix (or the run's first slot), so the first slot at or after it is within a
  // step past that. The window ends at the first kept name after the prefix (or the run's end),
  // and the last before it, a step back, is not after the prefix.
  std::int32_t lowStart = first;
  std::int32_t lowStop = end;
  std::int32_t highStart = first;
  std::int32_t afterSeen = end;
  if (ordered.Sampled()) {
    std::int32_t windowFrom = first;
    std::int32_t windowTo = end;
    ordered.Window(
        first, end, [&](const char* name) { return prefix.CompareFolded(name); }, &windowFrom, &windowTo);
    lowStart = windowFrom;
    lowStop = static_cast<std::int32_t>(
        std::min<std::int64_t>(windowTo, std::int64_t{windowFrom} + kNameSampleStep));
    highStart = std::max(windowFrom, windowTo - kNameSampleStep + 1);
    afterSeen = windowTo;
  }
  // What the first bisection learns narrows the second: a slot seen to sort after the prefix is
  // at or past the end of its names, one seen to match lies before that end.
  std::int32_t matchSeen = highStart;
  const std::int32_t low = bound(lowStart, lowStop, [&](std::int32_t slot) {
    const int c = compare(slot);
    if (c > 0 && slot < afterSeen) afterSeen = slot;
    if (c == 0 && slot >= matchSeen) matchSeen = slot + 1;
    return c < 0;
  });
  const std::int32_t high = bound(std::max(low, matchSeen), std::max(low, afterSeen),
                                  [&](std::int32_t slot) { return compare(slot) <= 0; });
  // A slot that could not be read: the whole run, whose scan then stops where the read fails.
  *from = unread ? first : low;
  *to = unread ? end : high;
  return !unread;
}

bool RollDatabase::ExactWindow(const GivenNameSet& names, std::string_view key, std::int32_t first,
                               std::int32_t end, std::int32_t* from, std::int32_t* to) {
  const GivenNamePrefix* prefix = names.OnlyPrefix();
  if (prefix == nullptr || end <= first) return false;
  const OrderedNames* ordered = KnownOrder(key, first, end);
  return ordered != nullptr && BisectWindow(*prefix, first, end, *ordered, from, to);
}

RollDatabase::ScanEnd RollDatabase::ScanRun(const GivenNameSet* names, std::int32_t first, std::int32_t end,
                                            const SlotVisit& take, const ScanStep& step,
                                            NameOrderCheck* check) {
  if (!scanBuffer) scanBuffer = std::make_unique_for_overwrite<unsigned char[]>(kScanBufferSize);
  const std::size_t size = static_cast<std::size_t>(slotSize);
  for (std::int32_t slot = first; slot < end;) {
    const int run = ReadSlotRun(slot, end, scanBuffer.get(), kScanBufferSize);
    // Past the name file's end or a failed read: what could not be read is no match.
    if (run == 0) return ScanEnd::kReadFailed;
    for (int i = 0; i < run; ++i, ++slot) {
      const unsigned char* bytes = scanBuffer.get() + static_cast<std::size_t>(i) * size;
      const char* name = reinterpret_cast<const char*>(bytes + kSlotHeaderSize);
      if (check) check->Feed(name);
      if (names != nullptr && !names->MatchesStored(name)) continue;
      if (!take(slot, bytes)) return ScanEnd::kStopped;
    }
    if (step && !step(run)) return ScanEnd::kStopped;
  }
  return ScanEnd::kWhole;
}
