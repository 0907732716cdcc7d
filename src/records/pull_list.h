// The microfilm pull list of a set of entries: the distinct National Archives microfilm rolls to
// request (box and roll), each with the number of entries it holds. Entries are added one at a
// time, so a caller can stream a large result through it.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "records/soldier_entry.h"

struct MicrofilmRoll {
  std::string box;   // empty when the entries name a roll without its box
  std::string roll;  // empty when the entries name a box without a roll
  long entries = 0;
};

class PullList {
 public:
  void Add(const SoldierEntry& entry);

  // By box, then roll: numbers in numeric order, before any other text, which follows in byte
  // order; an empty box or roll first.
  std::vector<MicrofilmRoll> Rolls() const;
  long EntriesWithReference() const { return withReference; }
  // Entries naming neither a box nor a roll: there is nothing to request for them.
  long EntriesWithoutReference() const { return withoutReference; }

  // For a reader, LF line ends:
  //   National Archives microfilm to request: 2 rolls for 5 entries.
  //   Box 12, roll 34: 4 entries
  //   Box 150, roll 2: 1 entry
  //   1 entry has no microfilm reference.
  std::string Text() const;
  // microfilm_box,microfilm_roll,entries and a record per roll (RFC 4180, CR LF). Entries without
  // a reference are not listed.
  std::string Csv() const;

 private:
  struct RollOrder {
    bool operator()(const std::pair<std::string, std::string>& a,
                    const std::pair<std::string, std::string>& b) const;
  };

  std::map<std::pair<std::string, std::string>, long, RollOrder> rolls;
  long withReference = 0;
  long withoutReference = 0;
};
