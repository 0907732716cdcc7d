#include "results/find_result.h"

#include <algorithm>

void FindResult::AddSpan(FoundSpan span) {
  EndSpan();
  const std::int64_t before = Count();
  const std::int64_t size = narrowed || span.slotCount < 0 ? 0 : span.slotCount;
  spans.push_back(std::move(span));
  ends.push_back(before + size);
}

void FindResult::AddMatch(std::int32_t slot) {
  if (!narrowed || spans.empty()) return;
  passed.push_back(static_cast<std::uint32_t>(slot));
  ++ends.back();
}

void FindResult::EndSpan() {
  const bool empty = !spans.empty() && ends.back() == (ends.size() > 1 ? ends[ends.size() - 2] : 0);
  if (empty && narrowed) {
    spans.pop_back();
    ends.pop_back();
  }
}

void FindResult::At(std::int64_t position, std::int32_t* slot, std::size_t* span) const {
  const auto at = std::upper_bound(ends.begin(), ends.end(), position);
  *span = static_cast<std::size_t>(at - ends.begin());
  if (*span >= spans.size()) {
    *slot = -1;
    return;
  }
  if (narrowed) {
    *slot = static_cast<std::int32_t>(passed[static_cast<std::size_t>(position)]);
  } else {
    const std::int64_t begin = *span == 0 ? 0 : ends[*span - 1];
    *slot = static_cast<std::int32_t>(spans[*span].firstSlot + (position - begin));
  }
}

std::size_t FindResult::Bytes() const {
  std::size_t bytes = spans.capacity() * sizeof(FoundSpan) + ends.capacity() * sizeof(std::int64_t) +
                      passed.capacity() * sizeof(std::uint32_t);
  for (const FoundSpan& s : spans) bytes += s.key.capacity() + s.surname.capacity();
  return bytes;
}
