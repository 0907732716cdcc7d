// Every surname of a roll: the keys of its index in key order, each with its run of slots and its
// sound codes (American Soundex and Daitch-Mokotoff), for the searches that look at more than one
// key. Built by one walk of the index file (store/index_walk.h) when first needed, and kept by
// the database for as long as the roll's files stay the same, so a second search pays nothing.
//
// The runs are sound whatever the index says: each lies inside the name file and no two overlap,
// so the keys together never list more slots than the roll has. A run that starts outside the name
// file, or has a negative count, is empty; one that reaches past its end is cut there; of runs
// that overlap, the one that starts first (the first key, at the same start) keeps its slots and
// the others are empty. Any of these, or a tree that cannot be walked whole, is damage: Damaged()
// says so, and a search tells the user.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "store/daitch_mokotoff.h"
#include "store/soundex.h"

class RollIndex;

class KeyCatalogue {
 public:
  // Walks `index`, whose slots lie in a name file of `slotTotal` slots. False when it is damaged;
  // the keys that could be read are kept, with their runs made sound.
  bool Build(const RollIndex& index, std::int64_t slotTotal);
  bool Damaged() const { return damaged; }

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
  // The positions of the keys filed under Soundex `code` (either of a key's codes), ascending.
  std::span<const std::uint32_t> KeysWithSoundex(SoundexCode code) const;
  // Positions [*from, *to) outside which no key's surname, upper-cased (a-z only), begins with
  // `prefix` (upper case): the keys that begin with it when every key is in upper case, else
  // every key.
  void PrefixRange(std::string_view prefix, std::size_t* from, std::size_t* to) const;
  // The key whose run holds `slot`, or -1 when no key's run does.
  std::int64_t KeyOfSlot(std::int32_t slot) const;
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
  bool upperCaseKeys = true;  // no key holds a-z
  bool damaged = false;
  // The keys by Soundex code: those of code c are soundexKeys[soundexStart[c], soundexStart[c + 1]).
  std::vector<std::uint32_t> soundexStart;
  std::vector<std::uint32_t> soundexKeys;
  // The keys with slots, in the order of their runs in the name file (the runs do not overlap).
  std::vector<std::uint32_t> keysBySlot;
};
