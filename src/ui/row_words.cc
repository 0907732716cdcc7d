#include "ui/row_words.h"

#include "records/unit_names.h"

std::string RowInWords(const SoldierEntry& entry) {
  std::string words;
  auto part = [&words](const char* separator, const char* label, const std::string& value) {
    if (value.empty()) return;
    if (!words.empty()) words += separator;
    words += label;
    words += value;
  };
  part("; ", "Middle initial ", entry.Field(kMiddleInitialField));
  part("; ", "Company ", entry.Field(kCompanyField));
  part("; ", "", UnitInPlainWords(entry.Field(kUnitField), entry.Field(kSideField)));
  part("; ", "rank in ", entry.Field(kRankInField));
  part(entry.Field(kRankInField).empty() ? "; " : ", ", "rank out ", entry.Field(kRankOutField));
  return words;
}
