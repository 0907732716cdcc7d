// Every key of a roll in key order, with its run of slots cut to the name file and the running
// total of the slots before it: what a search that lists a whole range of keys needs to count its
// rows and find any one of them without listing the keys. Made once from a roll's companion index
// (CompanionReader::LoadKeyTable) and never changed after, so the database and every answer made
// from it share one table (a shared_ptr to const), from any thread.
//
// A table is whole or not made: the keys are checked to be in byte order, each text to be in
// bounds and the runs to follow one another in the name file in key order, none overlapping
// another, as a sound index has them (Make); the totals are made from the runs. So a key's run in
// the table is the run the key catalogue gives it (store/key_catalogue.h), which empties runs that
// overlap: an index that has any is left to the catalogue.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class KeyRunTable {
 public:
  struct Run {
    std::int32_t begin;  // the key's run, cut to the name file
    std::int32_t end;
    std::uint32_t keyOffset;  // the key as the index stores it (padded), in `texts`
    std::uint8_t keyLength;
    std::uint8_t surnameLength;  // the key without its padding
    bool namesOrdered = false;   // the run's names are in the order of store/name_order.h
  };

  // A table of `runs` (in key order) whose keys are in `texts`. Null when the keys are not in
  // byte order, a text lies outside `texts`, a run is negative, or the runs overlap or go back.
  // `asIndexed`: every run is the key's run as the index gives it, none cut to the name file or
  // emptied.
  static std::shared_ptr<const KeyRunTable> Make(std::vector<Run> runs, std::string texts,
                                                 bool asIndexed = true);

  std::size_t Size() const { return runs.size(); }
  std::string_view Key(std::size_t i) const;
  std::size_t SurnameLength(std::size_t i) const { return runs[i].surnameLength; }
  std::int32_t Begin(std::size_t i) const { return runs[i].begin; }
  std::int32_t End(std::size_t i) const { return runs[i].end; }
  // The slots of keys 0..i-1 (0 <= i <= Size()).
  std::int64_t Before(std::size_t i) const { return before[i]; }
  // Whether no key holds a-z: then a key's surname begins with an upper-case prefix exactly when
  // its bytes do.
  bool UpperCase() const { return upperCase; }
  // Whether the runs hold every slot from 0 to the end of the last one, one after another: then
  // the slot a key's run holds is its own total, and KeyOfTotal(slot) is the key that holds it.
  bool TilesFromZero() const { return tilesFromZero; }
  // Whether every run is as the index gives it (Make's `asIndexed`).
  bool AsIndexed() const { return asIndexed; }
  // The keys, ascending, whose runs hold slots but whose names are not in order.
  const std::vector<std::uint32_t>& UnorderedKeys() const { return unorderedKeys; }

  // The position of `key` (as stored), or -1.
  std::int64_t Find(std::string_view key) const;
  // Positions [*from, *to) of the keys whose bytes begin with `prefix`.
  void PrefixRange(std::string_view prefix, std::size_t* from, std::size_t* to) const;
  // The key whose run holds the `total`-th slot counted over all runs (0 <= total < Before(Size())):
  // the last key i with Before(i) <= total, and a run of its own holds it.
  std::size_t KeyOfTotal(std::int64_t total) const;

 private:
  KeyRunTable() = default;
  std::vector<Run> runs;
  std::string texts;
  std::vector<std::int64_t> before;  // Size() + 1 totals
  bool upperCase = true;
  bool tilesFromZero = false;
  bool asIndexed = true;
  std::vector<std::uint32_t> unorderedKeys;
};
