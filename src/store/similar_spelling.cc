#include "store/similar_spelling.h"

#include <algorithm>
#include <cstdlib>

int BoundedEditDistance(std::string_view a, std::string_view b, int bound) {
  bound = std::clamp(bound, 0, kMaxEditBound);
  const int over = bound + 1;
  const int n = static_cast<int>(a.size());
  const int m = static_cast<int>(b.size());
  if (std::abs(n - m) > bound) return over;

  // Row i holds the cells (i, j) with |j - i| <= bound, cell (i, j) at j - i + bound; a cell
  // farther from the diagonal costs more than `bound` edits, so it counts as `over`.
  constexpr int kBand = 2 * kMaxEditBound + 1;
  const int width = 2 * bound + 1;
  int rows[3][kBand];
  int* twoBack = rows[0];
  int* previous = rows[1];
  int* current = rows[2];
  for (int d = 0; d < width; ++d) {
    const int j = d - bound;
    previous[d] = j >= 0 && j <= m ? j : over;
    twoBack[d] = over;
  }
  for (int i = 1; i <= n; ++i) {
    int rowBest = over;
    for (int d = 0; d < width; ++d) {
      const int j = i + d - bound;
      int cell = over;
      if (j == 0) {
        cell = std::min(i, over);
      } else if (j > 0 && j <= m) {
        cell = previous[d] + (a[i - 1] == b[j - 1] ? 0 : 1);
        if (d + 1 < width) cell = std::min(cell, previous[d + 1] + 1);
        if (d > 0) cell = std::min(cell, current[d - 1] + 1);
        if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
          cell = std::min(cell, twoBack[d] + 1);
        }
        cell = std::min(cell, over);
      }
      current[d] = cell;
      rowBest = std::min(rowBest, cell);
    }
    // A row's best is never below the best of the row before: a swap from two rows back costs
    // no less than going through the row between. So once a whole row is over, it is over.
    if (rowBest > bound) return over;
    int* const recycled = twoBack;
    twoBack = previous;
    previous = current;
    current = recycled;
  }
  return previous[m - n + bound];
}

int AllowedEdits(int letters) { return letters <= 5 ? 1 : 2; }

SimilarSpelling::SimilarSpelling(std::string_view typed)
    : letterCount(FoldSurname(typed, letters, kMaxFoldedLetters)), allowed(AllowedEdits(letterCount)) {}

int SimilarSpelling::Distance(std::string_view key) const {
  if (letterCount == 0) return -1;
  char keyLetters[kMaxFoldedLetters];
  const int keyCount = FoldSurname(key, keyLetters, kMaxFoldedLetters);
  if (keyCount == 0) return -1;
  const int distance = BoundedEditDistance(std::string_view(letters, letterCount),
                                           std::string_view(keyLetters, keyCount), allowed);
  return distance <= allowed ? distance : -1;
}
