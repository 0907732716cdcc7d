// A list of slots of one run kept as the companion index stores it: ascending, as varint deltas
// (the first from the run's first slot). An answer can hold one as it was read and unpack it only
// as far as its rows are asked for, so that a list of 88,000 entries shows its first page after
// ten of them. The bytes are shared and never changed, so that the reader that read them can hand
// the same list to the next answer that asks for it without a copy.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct PackedSlots {
  std::shared_ptr<const std::string> deltas;  // null: no bytes
  std::int32_t begin = 0;  // the run [begin, end) every slot lies in
  std::int32_t end = 0;
  std::int64_t count = 0;  // how many slots the deltas hold
};

// Unpacks the slots of `list` from its byte *at on, at most `limit` of them, onto *out (which holds
// the slots before *at). False when the bytes end early, a slot does not rise or leaves the run:
// what was unpacked until then stays.
bool UnpackSlots(const PackedSlots& list, std::size_t* at, std::size_t limit, std::vector<std::int32_t>* out);
