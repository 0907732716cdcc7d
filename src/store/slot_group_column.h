// Every slot's group (its unit field, side and company: store/companion_format.h), read once from
// a roll's companion index and never changed after, so that the database and every answer made
// from it share one column (a shared_ptr to const), from any thread. A filter over a key's run
// then needs no list of its passing slots: the answer knows their count from the key's counts and
// finds them a page at a time, a byte or a few a slot.
//
// A column is whole or not made: every value is checked to name a group when it is made.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class SlotGroupColumn {
 public:
  // A column of `slotTotal` values of `width` bytes (1..4, little-endian) in `bytes`, each naming one
  // of `groups` groups. Null when the bytes are not that, or a value names no group.
  static std::shared_ptr<const SlotGroupColumn> Make(std::vector<unsigned char> bytes, int width,
                                                     std::size_t slotTotal, std::size_t groups);

  std::size_t Slots() const { return slotTotal; }
  std::size_t Groups() const { return groups; }
  std::uint32_t GroupOf(std::size_t slot) const;

  // Appends to *out the slots of [*from, end) whose group has a nonzero verdict (`verdicts`: one
  // byte a group), until *out holds `until` slots or the range ends; *from moves past the slots
  // looked at. `end` is cut to the column, and a column whose groups `verdicts` does not cover
  // passes no slot.
  void Passing(const std::vector<std::uint8_t>& verdicts, std::int64_t* from, std::int64_t end,
               std::size_t until, std::vector<std::int32_t>* out) const;

 private:
  SlotGroupColumn() = default;
  std::vector<unsigned char> bytes;
  int width = 1;
  std::size_t slotTotal = 0;
  std::size_t groups = 0;
};
