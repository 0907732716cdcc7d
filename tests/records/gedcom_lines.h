// Reading GEDCOM back in tests: the lines of a file, and a text put back together from its CONC
// and CONT lines.
#pragma once

#include <string>
#include <vector>

struct GedcomLine {
  int level = -1;
  std::string xref;  // "@I1@" on a record's line
  std::string tag;
  std::string value;
};

// Splits at LF (a CR before it is dropped); a line that is not "level [xref] tag [value]" fails
// the calling test.
std::vector<GedcomLine> ParseGedcom(const std::string& text);

// Fails the calling test unless HEAD comes first and TRLR last, levels go up by at most one, every
// xref is defined once and every pointer points at one.
void ExpectWellFormedGedcom(const std::vector<GedcomLine>& lines);

// The value of the line at `index` with its CONC and CONT lines joined on.
std::string GedcomTextAt(const std::vector<GedcomLine>& lines, std::size_t index);

// The index of the first line from `from` on with `tag`, or lines.size().
std::size_t FindGedcomTag(const std::vector<GedcomLine>& lines, const std::string& tag,
                          std::size_t from = 0);
