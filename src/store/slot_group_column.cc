#include "store/slot_group_column.h"

#include <algorithm>
#include <type_traits>

std::shared_ptr<const SlotGroupColumn> SlotGroupColumn::Make(std::vector<unsigned char> bytes, int width,
                                                             std::size_t slotTotal, std::size_t groups) {
  if (width < 1 || width > 4 || slotTotal > bytes.size() / static_cast<std::size_t>(width)) return nullptr;
  std::shared_ptr<SlotGroupColumn> column(new SlotGroupColumn);
  column->bytes = std::move(bytes);
  column->width = width;
  column->slotTotal = slotTotal;
  column->groups = groups;
  for (std::size_t s = 0; s < slotTotal; ++s) {
    if (column->GroupOf(s) >= groups) return nullptr;
  }
  return column;
}

std::uint32_t SlotGroupColumn::GroupOf(std::size_t slot) const {
  const unsigned char* at = bytes.data() + slot * static_cast<std::size_t>(width);
  std::uint32_t g = at[0];
  for (int b = 1; b < width; ++b) g |= static_cast<std::uint32_t>(at[b]) << (8 * b);
  return g;
}

void SlotGroupColumn::Passing(const std::vector<std::uint8_t>& verdicts, std::int64_t* from, std::int64_t end,
                              std::size_t until, std::vector<std::int32_t>* out) const {
  end = std::min<std::int64_t>(end, static_cast<std::int64_t>(slotTotal));
  if (*from < 0) *from = 0;
  if (verdicts.size() < groups) {
    *from = std::max(*from, end);
    return;
  }
  std::int64_t s = *from;
  // The width is one of four, fixed for the column: a loop of its own for each keeps the value's
  // bytes in a load the compiler can see.
  auto scan = [&](auto w) {
    const unsigned char* at = bytes.data() + static_cast<std::size_t>(s) * w;
    for (; s < end && out->size() < until; ++s, at += w) {
      std::uint32_t g = at[0];
      for (std::size_t b = 1; b < w; ++b) g |= static_cast<std::uint32_t>(at[b]) << (8 * b);
      if (verdicts[g] != 0) out->push_back(static_cast<std::int32_t>(s));
    }
  };
  if (s < end) {
    switch (width) {
      case 1:
        scan(std::integral_constant<std::size_t, 1>{});
        break;
      case 2:
        scan(std::integral_constant<std::size_t, 2>{});
        break;
      case 3:
        scan(std::integral_constant<std::size_t, 3>{});
        break;
      default:
        scan(std::integral_constant<std::size_t, 4>{});
        break;
    }
  }
  *from = std::max(s, *from);
}
