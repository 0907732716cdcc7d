#include "records/csv_text.h"

namespace {

// "-77.5219": a negative number, which a spreadsheet reads as the number it is. Nothing else
// after the minus (no second sign, operator or letter) that could make it a formula.
bool IsNegativeNumber(std::string_view cell) {
  if (cell.size() < 2 || cell.front() != '-') return false;
  bool digits = false;
  bool point = false;
  for (std::size_t i = 1; i < cell.size(); ++i) {
    const char c = cell[i];
    if (c >= '0' && c <= '9') {
      digits = true;
    } else if (c == '.' && !point && digits) {
      point = true;
    } else {
      return false;
    }
  }
  return digits && cell.back() != '.';
}

}  // namespace

bool CsvCellNeedsGuard(std::string_view cell) {
  const std::size_t start = cell.find_first_not_of(kCsvFormulaGuard);
  if (start == std::string_view::npos) return false;
  if (IsNegativeNumber(cell.substr(start))) return false;
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
