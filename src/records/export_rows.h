// An entry as a row of an export: one CSV record or one JSON object, with the same columns in the
// same order. The columns are the entry's surname, given name and fields, each on its own, with the
// unit's and the side's names in plain words beside their codes. Every value is a UTF-8 string
// (empty when the entry has none), in CSV and JSON alike; the decoded unit name is empty when the
// unit list does not know the unit text.
//
// The shape of the whole document (a header, an array, one object per line) is the caller's.
#pragma once

#include <array>
#include <string>

#include "records/soldier_entry.h"

inline constexpr int kExportColumnCount = 14;

// surname, given_name, middle_initial, company, unit, unit_name, rank_in, rank_out, remarks,
// microfilm_box, microfilm_roll, microfilm_record, side, side_name
const std::array<const char*, kExportColumnCount>& ExportColumns();

std::array<std::string, kExportColumnCount> ExportValues(const SoldierEntry& entry);

// The header record and an entry's record, each ended by CR LF.
std::string CsvHeader();
std::string CsvRow(const SoldierEntry& entry);

// {"surname":"KELLY","given_name":"Patrick",...}: the columns as keys, in column order, without a
// line break.
std::string JsonObject(const SoldierEntry& entry);

// Appends `text` as a JSON string, quotes included.
void AppendJsonString(std::string_view text, std::string* out);
