// A row's Information column in plain words. The column packs an entry's fields into one short
// line ("L, I, 18 ME INF, CORP, ...") that says nothing of what each is; the row's tooltip and the
// status strip spell it out from the whole entry.
#pragma once

#include <string>

#include "records/soldier_entry.h"

// "Middle initial L; Company I; 18th Maine Infantry (Union); rank in CORP, rank out SGT" (UTF-8),
// the parts the entry has, in this order; ranks as the roll writes them. Empty when it has none.
std::string RowInWords(const SoldierEntry& entry);
