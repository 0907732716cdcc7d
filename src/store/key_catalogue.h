// Every surname of a roll: the keys of its index in key order, each with its run of slots and its
// sound codes (American Soundex and Daitch-Mokotoff), for the searches that look at more than one
// key. Built by one walk of the index file (store/index_walk.h) when first needed, and kept by
// the database for as long as the roll's files stay the same, so a second search pays nothing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/daitch_mokotoff.h"
#include "store/soundex.h"

class RollIndex;

class KeyCatalogue {
 public:
  // Walks `index`. False when the walk met a damaged tree; the keys that could be read are kept.
  bool Build(const RollIndex& index);

  std::size_t Size() const { return entries.size(); }
  // Key `i` as stored (upper case, padded).
  std::string_view Key(std::size_t i) const;
  // The surname of key `i`: the key without its padding.
  std::string_view Surname(std::size_t i) const;
  std::int32_t FirstSlot(std::size_t i) const { return entries[i].firstSlot; }
  std::int32_t SlotCount(std::size_t i) const { return entries[i].slotCount; }
  int SoundexCodes(std::size_t i, const SoundexCode** codes) const;
  int DmCodes(std::size_t i, const DmCode** codes) const;
  // The position of `key` (index form), or -1.
  std::int64_t Find(std::string_view key) const;
  // Bytes held, for the memory budget.
  std::size_t Bytes() const;

 private:
  struct Entry {
    std::uint32_t keyOffset;
    std::uint8_t keyLength;
    std::uint8_t surnameLength;
    std::uint8_t soundexCount;
    std::uint8_t dmCount;
    std::int32_t firstSlot;
    std::int32_t slotCount;
    std::uint32_t dmOffset;
    SoundexCode soundex[kMaxSoundexCodes];
  };
  std::string keys;
  std::vector<Entry> entries;
  std::vector<DmCode> dm;
};
