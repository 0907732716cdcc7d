#include "store/packed_slots.h"

#include <string_view>

#include "store/companion_format.h"

bool UnpackSlots(const PackedSlots& list, std::size_t* at, std::size_t limit,
                 std::vector<std::int32_t>* out) {
  const std::string_view deltas = list.deltas ? std::string_view(*list.deltas) : std::string_view();
  if (*at > deltas.size()) return false;
  const auto* bytes = reinterpret_cast<const unsigned char*>(deltas.data());
  const unsigned char* p = bytes + *at;
  const unsigned char* const stop = bytes + deltas.size();
  std::int64_t slot = out->empty() ? list.begin : out->back();
  for (std::size_t n = 0; n < limit && static_cast<std::int64_t>(out->size()) < list.count; ++n) {
    std::uint64_t delta = 0;
    // Every slot after the first rises over the one before, and all lie in the run.
    if (!GetVarint(&p, stop, &delta) || (!out->empty() && delta == 0) ||
        delta >= static_cast<std::uint64_t>(list.end - slot)) {
      return false;
    }
    slot += static_cast<std::int64_t>(delta);
    out->push_back(static_cast<std::int32_t>(slot));
    *at = static_cast<std::size_t>(p - bytes);
  }
  return true;
}
