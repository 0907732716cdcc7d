#include "ui/selected_row_text.h"

#include "ui/match_summary.h"
#include "ui/row_fields.h"
#include "ui/search_screen.h"

std::string SelectedRowText(const SearchScreen& screen) {
  const int row = screen.SelectedRow();
  const ResultList* list = screen.Results();
  if (list == nullptr || row < 0 || row >= screen.ShownRowCount()) return {};
  const long position = static_cast<long>(screen.PageIndex()) * list->RowsPerPage() + row + 1;
  std::string text =
      "Entry " + std::to_string(position) + " of " + std::to_string(list->ResultCount()) + ": ";
  const RowFields fields = SplitRowText(screen.RowText(row), kRowTextSize);
  for (int i = 0; i < fields.count; ++i) {
    if (i > 0) text += ", ";
    text += fields.field[i];
  }
  const std::string why = RowMatchText(*list, row);
  if (!why.empty()) text += "; " + why;
  return text;
}
