#include "store/search_answer.h"

#include <algorithm>
#include <cstdint>

namespace {

// How many slots of a packed or scanned list are found at first: a page of ten and one more.
constexpr std::size_t kFirstUnpacked = 16;

}  // namespace

SearchAnswer::SearchAnswer(const SearchRequest& asked, const FindOptions& how, MatchMode ran,
                           bool narrowedByFields)
    : request(asked), options(how), mode(ran), narrowed(narrowedByFields) {}

void SearchAnswer::AddSpan(std::int32_t firstSlot, std::int32_t slotCount, std::int32_t detail,
                           std::string_view key, std::size_t surnameLength) {
  EndSpan();
  const std::int64_t before = Count();
  const std::int64_t size = narrowed || slotCount < 0 ? 0 : slotCount;
  spans.push_back({firstSlot, slotCount, detail, static_cast<std::uint32_t>(keys.size()),
                   static_cast<std::uint8_t>(key.size()), static_cast<std::uint8_t>(surnameLength),
                   static_cast<std::uint32_t>(picked.size()), kPicks});
  keys.append(key);
  ends.push_back(before + size);
}

void SearchAnswer::SetKeyRange(std::shared_ptr<const KeyRunTable> table, std::size_t from, std::size_t to) {
  if (narrowed || !spans.empty() || !table || from > to || to > table->Size()) return;
  keyTable = std::move(table);
  keyFrom = from;
  keyTo = to;
}

bool SearchAnswer::SetFilteredKeyRange(std::shared_ptr<const KeyRunTable> table, std::size_t from,
                                       std::size_t to, std::shared_ptr<const SlotGroupColumn> column,
                                       std::shared_ptr<const std::vector<std::uint8_t>> verdicts,
                                       std::int64_t count) {
  if (!narrowed || !spans.empty() || packed || !table || !column || !verdicts || from >= to ||
      to > table->Size()) {
    return false;
  }
  // The runs of the range follow one another with no slot between them, so the slot a row finds
  // tells its key (At).
  const std::int32_t begin = table->Begin(from);
  const std::int32_t end = table->End(to - 1);
  if (end - begin != table->Before(to) - table->Before(from) || count < 0 || count > end - begin)
    return false;
  keyTable = std::move(table);
  keyFrom = from;
  keyTo = to;
  packed = std::make_unique<Packed>();
  packed->list = PackedSlots{{}, begin, end, count};
  packed->column = std::move(column);
  packed->verdicts = std::move(verdicts);
  packed->scanned = begin;
  return true;
}

bool SearchAnswer::SetListedRows(std::shared_ptr<const KeyRunTable> table, std::vector<std::uint32_t> slots) {
  if (!narrowed || !spans.empty() || packed || keyTable || !table || !table->TilesFromZero()) return false;
  const std::int64_t end = table->Before(table->Size());
  for (const std::uint32_t slot : slots) {
    if (slot >= end) return false;
  }
  keyTable = std::move(table);
  keyFrom = 0;
  keyTo = keyTable->Size();
  picked = std::move(slots);
  listed = true;
  return true;
}

std::int64_t SearchAnswer::Count() const {
  if (listed) return static_cast<std::int64_t>(picked.size());
  if (keyTable && packed) return packed->list.count;
  if (keyTable) return keyTable->Before(keyTo) - keyTable->Before(keyFrom);
  return ends.empty() ? 0 : ends.back();
}

FoundSpan SearchAnswer::Span(std::size_t i) const {
  if (keyTable) {
    const std::size_t k = keyFrom + i;
    const std::string_view key = keyTable->Key(k);
    return {keyTable->Begin(k), keyTable->End(k) - keyTable->Begin(k), -1, key,
            key.substr(0, keyTable->SurnameLength(k))};
  }
  const Stored& s = spans[i];
  const std::string_view key = std::string_view(keys).substr(s.keyOffset, s.keyLength);
  return {s.firstSlot, s.slotCount, s.detail, key, key.substr(0, s.surnameLength)};
}

void SearchAnswer::AddMatch(std::int32_t slot) {
  if (!narrowed || spans.empty() || spans.back().window != kPicks) return;
  picked.push_back(static_cast<std::uint32_t>(slot));
  ++ends.back();
}

void SearchAnswer::AddWindow(std::int32_t first, std::int32_t count) {
  if (!narrowed || spans.empty() || count <= 0 || spans.back().window != kPicks ||
      picked.size() != spans.back().pickedFrom) {
    return;
  }
  spans.back().window = first;
  ends.back() += count;
}

bool SearchAnswer::TakesLazySpan(std::int64_t count) const {
  return narrowed && !spans.empty() && count > 0 && spans.back().window == kPicks &&
         picked.size() == spans.back().pickedFrom;
}

void SearchAnswer::AddPacked(PackedSlots list) {
  if (!TakesLazySpan(list.count)) return;
  if (packed) {
    // A second list is unpacked at once; its slots are picked.
    std::vector<std::int32_t> slots;
    std::size_t at = 0;
    UnpackSlots(list, &at, SIZE_MAX, &slots);
    for (const std::int32_t slot : slots) AddMatch(slot);
    return;
  }
  spans.back().window = kPacked;
  ends.back() += list.count;
  packed = std::make_unique<Packed>();
  packed->list = std::move(list);
}

void SearchAnswer::AddScanned(std::shared_ptr<const SlotGroupColumn> column,
                              std::shared_ptr<const std::vector<std::uint8_t>> verdicts, std::int32_t begin,
                              std::int32_t end, std::int64_t count) {
  if (!column || !verdicts || begin > end || count > end - begin || !TakesLazySpan(count)) return;
  if (packed) {
    // A second run is scanned at once; its slots are picked.
    std::vector<std::int32_t> slots;
    std::int64_t from = begin;
    column->Passing(*verdicts, &from, end, static_cast<std::size_t>(count), &slots);
    for (const std::int32_t slot : slots) AddMatch(slot);
    return;
  }
  spans.back().window = kPacked;
  ends.back() += count;
  packed = std::make_unique<Packed>();
  packed->list = PackedSlots{{}, begin, end, count};
  packed->column = std::move(column);
  packed->verdicts = std::move(verdicts);
  packed->scanned = begin;
}

std::int32_t SearchAnswer::Packed::SlotAt(std::int64_t offset) {
  const std::lock_guard<std::mutex> held(lock);
  // Unpacked a page's worth at least (a page and the row that says there is a next one), and ever
  // more as rows further on are asked for.
  while (!broken && static_cast<std::int64_t>(unpacked.size()) <= offset &&
         static_cast<std::int64_t>(unpacked.size()) < list.count) {
    const std::size_t more = std::max<std::size_t>(kFirstUnpacked, unpacked.size());
    if (column) {
      // A run that ends before its count is reached has no rows past its last passing slot.
      const std::size_t until = static_cast<std::size_t>(
          std::min<std::int64_t>(list.count, static_cast<std::int64_t>(unpacked.size() + more)));
      column->Passing(*verdicts, &scanned, list.end, until, &unpacked);
      if (unpacked.size() < until) broken = true;
    } else if (!UnpackSlots(list, &at, more, &unpacked)) {
      broken = true;
    }
  }
  return offset < static_cast<std::int64_t>(unpacked.size()) ? unpacked[static_cast<std::size_t>(offset)]
                                                             : -1;
}

void SearchAnswer::TakePicked(std::size_t from) {
  if (!narrowed || spans.empty() || from > picked.size() || spans.back().window != kPicks) {
    picked.resize(std::min(from, picked.size()));
    return;
  }
  ends.back() += static_cast<std::int64_t>(picked.size() - from);
}

void SearchAnswer::EndSpan() {
  const bool empty = !spans.empty() && ends.back() == (ends.size() > 1 ? ends[ends.size() - 2] : 0);
  if (empty && narrowed) {
    keys.resize(spans.back().keyOffset);
    spans.pop_back();
    ends.pop_back();
  }
}

void SearchAnswer::At(std::int64_t position, std::int32_t* slot, std::size_t* span) const {
  if (keyTable) {
    if (position < 0 || position >= Count()) {
      *span = SpanCount();
      *slot = -1;
      return;
    }
    if (listed) {
      // The runs tile the name file from slot 0: a slot is its own total.
      *slot = static_cast<std::int32_t>(picked[static_cast<std::size_t>(position)]);
      *span = keyTable->KeyOfTotal(*slot);
      return;
    }
    if (packed) {
      *slot = packed->SlotAt(position);
      if (*slot < 0) {
        *span = SpanCount();
        return;
      }
      *span = keyTable->KeyOfTotal(keyTable->Before(keyFrom) + (*slot - keyTable->Begin(keyFrom))) - keyFrom;
      return;
    }
    const std::int64_t total = keyTable->Before(keyFrom) + position;
    const std::size_t k = keyTable->KeyOfTotal(total);
    *span = k - keyFrom;
    *slot = static_cast<std::int32_t>(keyTable->Begin(k) + (total - keyTable->Before(k)));
    return;
  }
  const auto at = std::upper_bound(ends.begin(), ends.end(), position);
  *span = static_cast<std::size_t>(at - ends.begin());
  if (position < 0 || *span >= spans.size()) {
    *slot = -1;
    return;
  }
  const Stored& s = spans[*span];
  const std::int64_t offset = position - (*span == 0 ? 0 : ends[*span - 1]);
  if (!narrowed) {
    *slot = static_cast<std::int32_t>(s.firstSlot + offset);
  } else if (s.window >= 0) {
    *slot = static_cast<std::int32_t>(s.window + offset);
  } else if (s.window == kPacked) {
    *slot = packed->SlotAt(offset);
  } else {
    *slot = static_cast<std::int32_t>(picked[s.pickedFrom + static_cast<std::size_t>(offset)]);
  }
}

std::size_t SearchAnswer::Bytes() const {
  // A key table is shared with the database that made it, and not counted here.
  std::size_t unpacked = 0;
  if (packed) {
    const std::lock_guard<std::mutex> held(packed->lock);
    unpacked = (packed->list.deltas ? packed->list.deltas->capacity() : 0) +
               packed->unpacked.capacity() * sizeof(std::int32_t);
  }
  return unpacked + spans.capacity() * sizeof(Stored) + keys.capacity() +
         ends.capacity() * sizeof(std::int64_t) + picked.capacity() * sizeof(std::uint32_t);
}
