#include "search_screen.h"

int SearchScreen::PaintRows() const {
  int total = 0;
  for (const std::string& row : FormattedRows()) total += static_cast<int>(row.size());
  return total;
}
