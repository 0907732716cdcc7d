#include "records/unit_names.h"

#include <algorithm>

#include "records/unit_table.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The table's spelling of a unit text: upper case, single blanks, none around it.
std::string TableKey(std::string_view text) {
  std::string key;
  key.reserve(text.size());
  for (char c : Trimmed(text)) {
    if (IsBlank(c)) {
      if (!key.empty() && key.back() != ' ') key += ' ';
    } else {
      key += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
  }
  return key;
}

const UnitTableRow* FindRow(std::string_view key) {
  const UnitTableRow* end = kUnitTable + kUnitTableSize;
  const UnitTableRow* row = std::lower_bound(
      kUnitTable, end, key,
      [](const UnitTableRow& r, std::string_view k) { return std::string_view(r.shortForm) < k; });
  return row != end && std::string_view(row->shortForm) == key ? row : nullptr;
}

}  // namespace

Side SideOfField(std::string_view sideField) {
  const std::string_view side = Trimmed(sideField);
  if (side == "U" || side == "u") return Side::kUnion;
  if (side == "C" || side == "c") return Side::kConfederate;
  return Side::kUnknown;
}

const char* SideName(Side side) {
  switch (side) {
    case Side::kUnion: return "Union";
    case Side::kConfederate: return "Confederate";
    case Side::kUnknown: break;
  }
  return "";
}

DecodedUnit DecodeUnit(std::string_view unitText, Side entrySide) {
  DecodedUnit decoded;
  const UnitTableRow* row = FindRow(TableKey(unitText));
  if (row == nullptr) return decoded;
  decoded.known = true;
  decoded.name = row->name;
  switch (row->sides) {
    case 'U': decoded.side = Side::kUnion; break;
    case 'C': decoded.side = Side::kConfederate; break;
    default: decoded.side = entrySide; break;
  }
  return decoded;
}

std::string UnitInPlainWords(std::string_view unitText, std::string_view sideField) {
  const std::string_view unit = Trimmed(unitText);
  if (unit.empty()) return std::string();
  const DecodedUnit decoded = DecodeUnit(unit, SideOfField(sideField));
  std::string text(decoded.known ? decoded.name : unit);
  const Side side = decoded.known ? decoded.side : SideOfField(sideField);
  if (side != Side::kUnknown) {
    text += " (";
    text += SideName(side);
    text += ')';
  }
  return text;
}
