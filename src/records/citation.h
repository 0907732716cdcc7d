// Citations of an entry, to paste into notes: what the entry says of the soldier (name, company,
// unit, ranks, side), the roll database as the source, and the National Archives microfilm box,
// roll and record the entry points to. Parts the entry lacks are left out with their words.
#pragma once

#include <string>

#include "records/soldier_entry.h"

// The source: the roll database on its disk, and the program it was searched with.
inline constexpr const char* kRollSourceTitle = "Kinloom Disk 3, Civil War muster-roll database";
inline constexpr const char* kRollSourceMedium = "CD-ROM";
inline constexpr const char* kRollSearchedWith = "searched with Dravenholt";

// A plain citation in sentences:
//   Patrick G. KELLY, Company G, 25th Battery, Ohio Light Artillery (Union), rank in CORP,
//   rank out SERG. Source: Kinloom Disk 3, Civil War muster-roll database (CD-ROM), searched with
//   Dravenholt. National Archives microfilm: box 12, roll 34, record 5678.
std::string PlainCitation(const SoldierEntry& entry);

// A first reference note in the layered shape that evidence-style guides give for a database
// index on disc that cites microfilm: the database and its medium, the entry, then "citing" the
// original:
//   Kinloom Disk 3, Civil War muster-roll database (CD-ROM), searched with Dravenholt, entry for
//   Patrick G. KELLY, Co. G, 25th Battery, Ohio Light Artillery (Union), rank in CORP, rank out
//   SERG; citing National Archives microfilm, box 12, roll 34, record 5678.
std::string EvidenceCitation(const SoldierEntry& entry);

// "box 12, roll 34, record 5678", without the parts the entry lacks; empty without any.
std::string MicrofilmReference(const SoldierEntry& entry);
