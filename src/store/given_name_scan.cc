// The one scan over a run of slots that every search uses to narrow by a given name:
// RollDatabase::ScanGivenName.
#include <algorithm>
#include <utility>
#include <vector>

#include "store/roll_database.h"

namespace {

constexpr std::size_t kScanBufferSize = 256 * 1024;

}  // namespace

RollDatabase::ScanEnd RollDatabase::ScanGivenName(const GivenNameSet* names, std::int32_t first,
                                                  std::int32_t end, const SlotVisit& take,
                                                  const ScanStep& step) {
  if (end <= first) return ScanEnd::kWhole;
  // A run whose order an earlier scan confirmed: only the parts where the set's names can stand
  // are looked at, and they hold every match a whole scan would find, in the same order. Each
  // prefix has its window; windows that meet are scanned as one, so no slot is taken twice.
  if (names != nullptr) {
    if (const OrderedNames* ordered = nameOrders.Find(first, end)) {
      std::vector<std::pair<std::int32_t, std::int32_t>> windows;
      for (const GivenNamePrefix& prefix : names->Prefixes()) {
        std::int32_t from = first;
        std::int32_t to = end;
        ordered->Window(
            first, end, [&](const char* folded) { return prefix.CompareFolded(folded); }, &from, &to);
        if (from < to) windows.emplace_back(from, to);
      }
      std::sort(windows.begin(), windows.end());
      for (std::size_t i = 0; i < windows.size();) {
        std::int32_t to = windows[i].second;
        std::size_t next = i + 1;
        for (; next < windows.size() && windows[next].first <= to; ++next)
          to = std::max(to, windows[next].second);
        const ScanEnd ended = ScanRun(names, windows[i].first, to, take, step, nullptr);
        if (ended != ScanEnd::kWhole) return ended;
        i = next;
      }
      return ScanEnd::kWhole;
    }
  }
  NameOrderCheck check(nameLength);
  const ScanEnd ended = ScanRun(names, first, end, take, step, &check);
  if (ended == ScanEnd::kWhole && check.Ordered()) nameOrders.Remember(first, end, check.Take());
  return ended;
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
