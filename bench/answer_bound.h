// The least an answer needs, for the bound the engine is measured against: the bytes it cannot do
// without, at the speed the page cache hands out bytes, plus the disk check's open and close of
// the marker file. Everything else (the name file's trailer, the index header, the filter buffer,
// opening the roll's files, seeks, buffers) is left out, so no real program reaches the bound.
#pragma once

#include <cstdint>
#include <string>

class EngineScreen;

struct AnswerBytes {
  std::int64_t nodes = 0;  // index nodes on the lookup path, the root included
  std::int64_t slots = 0;  // name-file slots the answer has to look at
  std::int64_t lines = 0;  // whole lines of the rows shown (or of the row More Info shows)
  std::int64_t lists = 0;  // a stored list's count and the slot numbers the answer takes from it
  std::int64_t Total() const { return nodes + slots + lines + lists; }
};

// After `screen` searched `surname`: the lookup path's nodes; every slot of the surname's run
// when a given name filtered it (each name must be looked at), else the page's slots; the lines
// of the first page.
AnswerBytes SearchAnswerBytes(EngineScreen& screen, const std::string& surname, bool filtered);
// After a page turn: the page's slots and lines (the matches are known from the search).
AnswerBytes PageAnswer(EngineScreen& screen);
// After `screen` showed a roster's first page (`whole`: and then walked every row): the best a
// stored list of the unit's entries in roster order allows, its count (8 bytes) and the slot
// number of each row taken (4 bytes), then each such row's slot and whole line.
AnswerBytes RosterAnswer(EngineScreen& screen, bool whole);
// More Info on row `row`: its line.
AnswerBytes DetailAnswer(EngineScreen& screen, int row);

// The bound in nanoseconds: the bytes at `bytesPerSecond`, plus one open and close of the marker.
double BoundNs(const AnswerBytes& bytes, double bytesPerSecond, double openCloseNs);
