// The given-name test of a search: does a slot's name text begin with the typed given name?
//
// The typed name (upper case, space-padded to 255 characters, as the search request holds it) and
// the slot's name are both taken as L characters, upper-cased (a-z only) and padded with spaces;
// their first n characters are compared, where n is the number of leading letters of the typed
// name (at least 1) and at most L. So JOHN matches JOHN, JOHNNY and JOHN W; MARY ANN matches every
// name that begins with MARY; J. W. every name that begins with J.
//
// A search may also ask for the typed name's abbreviations and nicknames (store/given_variants.h):
// each is a whole word, so WM matches WM and WM. H but not WMS. The typed name and its variants
// make a GivenNameSet, the one test the given-name scan takes.
#pragma once

#include <string_view>
#include <vector>

#include "store/roll_format.h"

class GivenNamePrefix {
 public:
  // `given` as the request holds it; `nameLength` is L of the open database.
  GivenNamePrefix(const char* given, int nameLength);
  // A whole word of letters (upper case): it matches a name that begins with it and goes on with
  // anything but a letter within L (the name's end, a blank, a full stop).
  GivenNamePrefix(std::string_view word, int nameLength);
  bool Matches(std::string_view name) const {
    for (int i = 0; i < compare; ++i) {
      const char c =
          static_cast<std::size_t>(i) < name.size() ? UpperAscii(name[static_cast<std::size_t>(i)]) : ' ';
      if (c != key[i]) return false;
    }
    return !wholeWord || compare >= length || static_cast<std::size_t>(compare) >= name.size() ||
           !IsAsciiLetter(name[static_cast<std::size_t>(compare)]);
  }
  // The same test on a slot's name bytes as they lie in the name file (at least L of them): the
  // name ends at its first NUL, as DecodeSlot takes it, but only the compared characters are
  // looked at, so a scan need not measure every name it passes over.
  bool MatchesStored(const char* name) const {
    int i = 0;
    for (; i < compare && name[i] != '\0'; ++i) {
      if (UpperAscii(name[i]) != key[i]) return false;
    }
    for (; i < compare; ++i) {
      if (key[i] != ' ') return false;
    }
    // The name went on to here (a whole word has no blank to meet an earlier end), and the byte
    // after it lies within L.
    return !wholeWord || compare >= length || !IsAsciiLetter(name[compare]);
  }
  // <0, 0 or >0 as the first compared bytes of a folded name (store/name_order.h: upper-cased,
  // blanks from its first NUL on) sort before, equal or after the typed name's; 0 exactly when
  // MatchesStored holds for the stored name it was folded from, or, for a whole word, a superset
  // of those names.
  // Whether it asks for a whole word (a variant's test) rather than a prefix.
  bool WholeWord() const { return wholeWord; }
  int CompareFolded(const char* folded) const {
    for (int i = 0; i < compare; ++i) {
      const auto x = static_cast<unsigned char>(folded[i]);
      const auto y = static_cast<unsigned char>(key[i]);
      if (x != y) return x < y ? -1 : 1;
    }
    return 0;
  }

 private:
  static bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

  char key[kCurrentNameSize + 1] = {};
  int compare = 0;
  int length = 0;
  bool wholeWord = false;
};

// The typed given name's test and, when asked for, one whole-word test for each of its variants:
// a name matches the set when it matches any of them.
class GivenNameSet {
 public:
  // `given` as the request holds it; `nameLength` is L of the open database.
  GivenNameSet(const char* given, int nameLength, bool variants);
  bool MatchesStored(const char* name) const {
    for (const GivenNamePrefix& prefix : prefixes) {
      if (prefix.MatchesStored(name)) return true;
    }
    return false;
  }
  bool Matches(std::string_view name) const {
    for (const GivenNamePrefix& prefix : prefixes) {
      if (prefix.Matches(name)) return true;
    }
    return false;
  }
  // The typed name's test first, then the variants'.
  const std::vector<GivenNamePrefix>& Prefixes() const { return prefixes; }
  // The set's one test when it is a plain prefix: in a run in name order, the names it matches are
  // exactly those of one window (CompareFolded 0). Null for a set with variants.
  const GivenNamePrefix* OnlyPrefix() const {
    return prefixes.size() == 1 && !prefixes.front().WholeWord() ? &prefixes.front() : nullptr;
  }

 private:
  std::vector<GivenNamePrefix> prefixes;
};
