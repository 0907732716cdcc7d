#include "sqlite_roster.h"

#include <sqlite3.h>

#include <map>
#include <tuple>

#include "roll_catalog.h"
#include "store/companion_format.h"
#include "store/name_order.h"

namespace {

constexpr const char* kSchema =
    "CREATE TABLE unit_entry (slot INTEGER PRIMARY KEY, side INTEGER NOT NULL, unit TEXT NOT NULL, "
    "company TEXT NOT NULL, key TEXT NOT NULL, given BLOB NOT NULL);"
    "CREATE TABLE roster_order (side INTEGER NOT NULL, unit TEXT NOT NULL, no_company INTEGER NOT NULL, "
    "company TEXT NOT NULL, key TEXT NOT NULL, given BLOB NOT NULL, slot INTEGER NOT NULL, "
    "PRIMARY KEY (side, unit, no_company, company, key, given, slot)) WITHOUT ROWID;"
    "CREATE TABLE roster_count (side INTEGER NOT NULL, unit TEXT NOT NULL, company TEXT NOT NULL, "
    "count INTEGER NOT NULL, PRIMARY KEY (side, unit, company)) WITHOUT ROWID;";
constexpr const char* kIndex = "CREATE INDEX unit_entry_unit ON unit_entry (side, unit, company);";

// The roster's order: company (none last), key, folded given name, slot.
#define ROSTER_ORDER " ORDER BY company = '', company, key, given, slot"
#define ORDERED_ORDER " ORDER BY no_company, company, key, given, slot"

// [kind][company] for the tuned copy: the index on (side, unit, company), the rows sorted by the
// query.
constexpr const char* kTunedSql[3][2] = {
    {"SELECT count(*) FROM roster.unit_entry WHERE side = ?1 AND unit = ?2",
     "SELECT count(*) FROM roster.unit_entry WHERE side = ?1 AND unit = ?2 AND company = ?3"},
    {"SELECT slot, key FROM roster.unit_entry WHERE side = ?1 AND unit = ?2" ROSTER_ORDER " LIMIT ?4",
     "SELECT slot, key FROM roster.unit_entry WHERE side = ?1 AND unit = ?2 AND company = ?3" ROSTER_ORDER
     " LIMIT ?4"},
    {"SELECT u.slot, e.name, e.line, u.key FROM roster.unit_entry u JOIN main.entry e ON e.slot = u.slot "
     "WHERE u.side = ?1 AND u.unit = ?2 ORDER BY u.company = '', u.company, u.key, u.given, u.slot",
     "SELECT u.slot, e.name, e.line, u.key FROM roster.unit_entry u JOIN main.entry e ON e.slot = u.slot "
     "WHERE u.side = ?1 AND u.unit = ?2 AND u.company = ?3 ORDER BY u.key, u.given, u.slot"},
};
// And with the aggregates: the counts, and every roster as a range of the order table.
constexpr const char* kOrderedSql[3][2] = {
    {"SELECT total(count) FROM roster.roster_count WHERE side = ?1 AND unit = ?2",
     "SELECT total(count) FROM roster.roster_count WHERE side = ?1 AND unit = ?2 AND company = ?3"},
    {"SELECT slot, key FROM roster.roster_order WHERE side = ?1 AND unit = ?2" ORDERED_ORDER " LIMIT ?4",
     "SELECT slot, key FROM roster.roster_order WHERE side = ?1 AND unit = ?2 AND no_company = 0 AND "
     "company = ?3" ORDERED_ORDER " LIMIT ?4"},
    {"SELECT o.slot, e.name, e.line, o.key FROM roster.roster_order o JOIN main.entry e ON e.slot = o.slot "
     "WHERE o.side = ?1 AND o.unit = ?2 ORDER BY o.no_company, o.company, o.key, o.given, o.slot",
     "SELECT o.slot, e.name, e.line, o.key FROM roster.roster_order o JOIN main.entry e ON e.slot = o.slot "
     "WHERE o.side = ?1 AND o.unit = ?2 AND o.no_company = 0 AND o.company = ?3 "
     "ORDER BY o.key, o.given, o.slot"},
};

}  // namespace

bool LoadSqliteRoster(const std::string& rollDirectory, const std::string& dbPath, std::string* error,
                      std::int64_t* rowsLoaded) {
  std::int64_t count = 0;
  const bool ok = BuildSqliteFile(
      dbPath,
      [&](sqlite3* db, std::string* why) {
        if (!Exec(db, "PRAGMA page_size = 4096;", why) || !Exec(db, kSchema, why) || !Exec(db, "BEGIN", why))
          return false;
        Statement entry = Prepare(db, "INSERT INTO unit_entry VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
        Statement ordered = Prepare(db, "INSERT INTO roster_order VALUES (?1, ?2, ?3 = '', ?3, ?4, ?5, ?6)");
        Statement total = Prepare(db, "INSERT INTO roster_count VALUES (?1, ?2, ?3, ?4)");
        if (!entry || !ordered || !total) return *why = sqlite3_errmsg(db), false;
        auto step = [&](sqlite3_stmt* s) {
          const bool done = sqlite3_step(s) == SQLITE_DONE;
          sqlite3_reset(s);
          if (!done) *why = sqlite3_errmsg(db);
          return done;
        };
        std::map<std::tuple<char, std::string, std::string>, std::int64_t> counts;
        std::int32_t nameLength = 0;
        EntryAttributes attributes;
        std::string stored, folded;
        const bool loaded = VisitRollEntries(
            rollDirectory,
            [&](const RollEntry& e) {
              AttributesOfLine(e.line, &attributes);
              if (attributes.side != 'U' && attributes.side != 'C') return true;
              const std::string unit = RosterUnitText(attributes.unit);
              if (unit.empty()) return true;
              stored.assign(e.name);
              stored.resize(static_cast<std::size_t>(nameLength), '\0');
              folded.resize(static_cast<std::size_t>(nameLength));
              FoldStoredName(stored.data(), nameLength, folded.data());
              ++counts[{attributes.side, unit, attributes.company}];
              for (sqlite3_stmt* s : {entry.get(), ordered.get()}) {
                const bool isEntry = s == entry.get();
                int i = 1;
                if (isEntry) sqlite3_bind_int64(s, i++, e.slot);
                sqlite3_bind_int(s, i++, attributes.side);
                BindText(s, i++, unit);
                BindText(s, i++, attributes.company);
                BindText(s, i++, e.run->key);
                sqlite3_bind_blob(s, i++, folded.data(), static_cast<int>(folded.size()), SQLITE_STATIC);
                if (!isEntry) sqlite3_bind_int64(s, i++, e.slot);
                if (!step(s)) return false;
              }
              ++count;
              return true;
            },
            why, &nameLength);
        if (!loaded) return false;
        for (const auto& [group, n] : counts) {
          sqlite3_bind_int(total.get(), 1, std::get<0>(group));
          BindText(total.get(), 2, std::get<1>(group));
          BindText(total.get(), 3, std::get<2>(group));
          sqlite3_bind_int64(total.get(), 4, n);
          if (!step(total.get())) return false;
        }
        return Exec(db, "COMMIT", why) && Exec(db, kIndex, why) && Exec(db, "ANALYZE", why);
      },
      error);
  if (rowsLoaded) *rowsLoaded = count;
  return ok;
}

bool SqliteRoster::Open(sqlite3* db, const std::string& path, bool ordered) {
  Statement attach = Prepare(db, "ATTACH DATABASE ?1 AS roster");
  if (!attach) return false;
  BindText(attach.get(), 1, path);
  if (sqlite3_step(attach.get()) != SQLITE_DONE) return false;
  for (int kind = 0; kind < 3; ++kind) {
    for (int company = 0; company < 2; ++company) {
      statements[kind][company] = Prepare(db, (ordered ? kOrderedSql : kTunedSql)[kind][company]);
      if (!statements[kind][company]) return false;
    }
  }
  return true;
}

sqlite3_stmt* SqliteRoster::Bound(int kind, const RosterRequest& request, std::int64_t limit) {
  boundUnit = RosterUnitText(request.unit);
  boundCompany = RosterCompany(request.company);
  sqlite3_stmt* s = statements[kind][request.wholeUnit ? 0 : 1].get();
  sqlite3_bind_int(s, 1, request.side);
  BindText(s, 2, boundUnit);
  if (!request.wholeUnit) BindText(s, 3, boundCompany);
  if (kind == 1) sqlite3_bind_int64(s, 4, limit);
  return s;
}

std::int64_t SqliteRoster::Count(const RosterRequest& request) {
  sqlite3_stmt* s = Bound(0, request, 0);
  const std::int64_t n = sqlite3_step(s) == SQLITE_ROW ? sqlite3_column_int64(s, 0) : 0;
  sqlite3_reset(s);
  return n;
}

std::vector<RosterSlot> SqliteRoster::Slots(const RosterRequest& request, std::int64_t limit) {
  sqlite3_stmt* s = Bound(1, request, limit);
  std::vector<RosterSlot> out;
  while (sqlite3_step(s) == SQLITE_ROW) out.push_back({sqlite3_column_int64(s, 0), ColumnBytes(s, 1)});
  sqlite3_reset(s);
  return out;
}

std::vector<std::pair<RosterSlot, SqliteRow>> SqliteRoster::Rows(const RosterRequest& request) {
  sqlite3_stmt* s = Bound(2, request, 0);
  std::vector<std::pair<RosterSlot, SqliteRow>> out;
  while (sqlite3_step(s) == SQLITE_ROW) {
    SqliteRow row = ReadRow(s);
    out.push_back({{row.slot, ColumnBytes(s, 3)}, std::move(row)});
  }
  sqlite3_reset(s);
  return out;
}
