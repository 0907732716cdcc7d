#include "records/csv_text.h"

bool CsvCellNeedsGuard(std::string_view cell) {
  const std::size_t start = cell.find_first_not_of(kCsvFormulaGuard);
  if (start == std::string_view::npos) return false;
  switch (cell[start]) {
    case '=':
    case '+':
    case '-':
    case '@':
    case '\t':
    case '\r':
      return true;
    default:
      return false;
  }
}

std::string GuardedCsvCell(std::string_view cell) {
  std::string text;
  if (CsvCellNeedsGuard(cell)) text.push_back(kCsvFormulaGuard);
  text.append(cell);
  return text;
}

std::string_view UnguardedCsvCell(std::string_view cell) {
  if (!cell.empty() && cell.front() == kCsvFormulaGuard && CsvCellNeedsGuard(cell.substr(1)))
    cell.remove_prefix(1);
  return cell;
}

void AppendCsvField(std::string_view field, std::string* out) {
  const std::string cell = GuardedCsvCell(field);
  const bool quote = cell.find_first_of(",\"\r\n") != std::string::npos ||
                     (!cell.empty() && (cell.front() == ' ' || cell.back() == ' '));
  if (!quote) {
    out->append(cell);
    return;
  }
  out->push_back('"');
  for (char c : cell) {
    if (c == '"') out->push_back('"');
    out->push_back(c);
  }
  out->push_back('"');
}
