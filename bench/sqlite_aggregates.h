// The tuned SQLite copy with what its engineer would also keep for this screen: four small
// aggregates, in a file of their own attached beside the copy (as `agg`) with the key catalogue
// (as `keys`, sqlite_find.h):
//
//   CREATE TABLE run_order (run INTEGER PRIMARY KEY, ordered INTEGER NOT NULL);
//     -- per surname run: its entries stand in `given` order, so a given-name prefix is the slot
//     -- range between two seeks of entry_given: the count and the first page at once
//   CREATE TABLE soundex_total (code INTEGER PRIMARY KEY, total INTEGER NOT NULL);
//     -- the entries filed under each Soundex code (a key counted once per code it has)
//   CREATE TABLE entry_side (run INTEGER NOT NULL, side INTEGER NOT NULL, slot INTEGER NOT NULL,
//     PRIMARY KEY (run, side, slot)) WITHOUT ROWID;
//   CREATE TABLE side_count (run INTEGER NOT NULL, side INTEGER NOT NULL, count INTEGER NOT NULL,
//     PRIMARY KEY (run, side)) WITHOUT ROWID;
//     -- the Union (85, 'U') and Confederate (67, 'C') entries of each run, by the side filter's rule
//   CREATE TABLE run_key (run INTEGER PRIMARY KEY, key TEXT NOT NULL, bare TEXT NOT NULL,
//     count INTEGER NOT NULL, before INTEGER NOT NULL);
//   CREATE INDEX run_key_bare ON run_key (bare, before);
//     -- each run's key, and the entries of the keys before it in key order (prefix sums)
//
// What the aggregates answer: a given-name search of a surname in order; Find by a wildcard
// pattern that is a fixed start and one `*` (the count from two prefix sums, the page from the
// first keys); Soundex of a surname with one code (the count from its total); a side filter over
// one surname (the count from side_count, the page from entry_side). Everything else is the tuned
// copy's own answer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sqlite_find.h"
#include "sqlite_tuned.h"

// Loads the aggregates of the roll in `rollDirectory` into a new database at `dbPath`. False with
// *error on failure; `rows`, when given, gets the entries visited.
bool LoadSqliteAggregates(const std::string& rollDirectory, const std::string& dbPath, std::string* error,
                          std::int64_t* rows = nullptr);

class AggregateSqliteScreen : public TunedSqliteScreen {
 public:
  // Opens the tuned copy with its key catalogue and attaches the aggregates. False when any of it
  // fails.
  bool Open(const std::string& dbPath, const std::string& keysPath, const std::string& aggregatesPath);

  // Maps the copy and the aggregates afresh (TunedSqliteScreen::Remap).
  void Remap();

  void Search(const std::string& surname, const std::string& given) override;
  void Find(const std::string& surname, const FindOptions& options) override;

 private:
  // The first page of the runs in their order, each row named by its run's key.
  void LoadFoundPage(const std::vector<KeyRun>& runs);
  bool PrefixFind(const std::string& fixedStart);
  bool SoundexFind(const std::string& typed);
  bool SideFind(const std::string& typed, char side);

  Statement runOrdered, givenFirst, prefixBefore, prefixKeys, total, soundexTotal, soundexKeys, sideCount,
      sidePage;
};
