// The one scan over a run of slots that every search uses to narrow by a given name:
// RollDatabase::ScanGivenName.
#include "store/roll_database.h"

namespace {

constexpr std::size_t kScanBufferSize = 256 * 1024;

}  // namespace

RollDatabase::ScanEnd RollDatabase::ScanGivenName(const GivenNamePrefix* prefix, std::int32_t first,
                                                  std::int32_t end, const SlotVisit& take,
                                                  const ScanStep& step) {
  if (end <= first) return ScanEnd::kWhole;
  // A run whose order an earlier scan confirmed: only the part where the prefix's names can stand
  // is looked at, and it holds every match a whole scan would find, in the same order.
  if (prefix != nullptr) {
    if (const OrderedNames* ordered = nameOrders.Find(first, end)) {
      std::int32_t from = first;
      std::int32_t to = end;
      ordered->Window(
          first, end, [&](const char* folded) { return prefix->CompareFolded(folded); }, &from, &to);
      return ScanRun(prefix, from, to, take, step, nullptr);
    }
  }
  NameOrderCheck check(nameLength);
  const ScanEnd ended = ScanRun(prefix, first, end, take, step, &check);
  if (ended == ScanEnd::kWhole && check.Ordered()) nameOrders.Remember(first, end, check.Take());
  return ended;
}

RollDatabase::ScanEnd RollDatabase::ScanRun(const GivenNamePrefix* prefix, std::int32_t first,
                                            std::int32_t end, const SlotVisit& take, const ScanStep& step,
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
      if (prefix != nullptr && !prefix->MatchesStored(name)) continue;
      if (!take(slot, bytes)) return ScanEnd::kStopped;
    }
    if (step && !step(run)) return ScanEnd::kStopped;
  }
  return ScanEnd::kWhole;
}
