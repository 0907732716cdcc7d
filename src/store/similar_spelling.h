// Similar spelling: surnames a few typing errors or clerk's slips apart. The distance is the
// number of single-letter insertions, deletions, substitutions and swaps of two adjacent
// letters that turn one folded surname (store/name_folding.h) into the other, each letter
// edited at most once (the optimal string alignment distance).
#pragma once

#include <string_view>

#include "store/name_folding.h"

// The largest bound BoundedEditDistance works to; a larger bound is taken as this one.
inline constexpr int kMaxEditBound = 4;

// The distance between `a` and `b` when it is at most `bound`, else bound + 1. Only the cells
// within `bound` of the diagonal are computed, and it stops as soon as every way is over.
int BoundedEditDistance(std::string_view a, std::string_view b, int bound);

// The edits a typed surname of `letters` folded letters allows: 1 up to 5 letters, 2 above.
int AllowedEdits(int letters);

// The test for one typed surname, folded once, against every key of a roll.
class SimilarSpelling {
 public:
  explicit SimilarSpelling(std::string_view typed);

  // The distance from the typed surname to the letters of `key` when it is within the edits
  // allowed, else -1. A typed surname or a key without any letter is similar to nothing.
  int Distance(std::string_view key) const;

 private:
  char letters[kMaxFoldedLetters];
  int letterCount = 0;
  int allowed = 0;
};
