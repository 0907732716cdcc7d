#include "results/find_result.h"

#include <algorithm>

void FindResult::AddSpan(FoundSpan span) {
  EndSpan();
  const std::int64_t before = Count();
  const std::int64_t size = narrowed_ || span.slotCount < 0 ? 0 : span.slotCount;
  spans_.push_back(std::move(span));
  ends_.push_back(before + size);
}

void FindResult::AddMatch(std::int32_t slot) {
  if (!narrowed_ || spans_.empty()) return;
  slots_.push_back(static_cast<std::uint32_t>(slot));
  ++ends_.back();
}

void FindResult::EndSpan() {
  const bool empty = !spans_.empty() && ends_.back() == (ends_.size() > 1 ? ends_[ends_.size() - 2] : 0);
  if (empty && narrowed_) {
    spans_.pop_back();
    ends_.pop_back();
  }
}

void FindResult::At(std::int64_t position, std::int32_t* slot, std::size_t* span) const {
  const auto at = std::upper_bound(ends_.begin(), ends_.end(), position);
  *span = static_cast<std::size_t>(at - ends_.begin());
  if (*span >= spans_.size()) {
    *slot = -1;
    return;
  }
  if (narrowed_) {
    *slot = static_cast<std::int32_t>(slots_[static_cast<std::size_t>(position)]);
  } else {
    const std::int64_t begin = *span == 0 ? 0 : ends_[*span - 1];
    *slot = static_cast<std::int32_t>(spans_[*span].firstSlot + (position - begin));
  }
}

std::size_t FindResult::Bytes() const {
  std::size_t bytes = spans_.capacity() * sizeof(FoundSpan) + ends_.capacity() * sizeof(std::int64_t) +
                      slots_.capacity() * sizeof(std::uint32_t);
  for (const FoundSpan& s : spans_) bytes += s.key.capacity() + s.surname.capacity();
  return bytes;
}
