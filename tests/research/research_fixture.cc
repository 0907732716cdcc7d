#include "research_fixture.h"

#include "store/roll_format.h"

namespace {

constexpr std::int64_t kClockStart = 1740823200;  // 2025-03-01T10:00:00Z

}  // namespace

ResearchLog::Settings LogTest::Settings(int busyMilliseconds) {
  ResearchLog::Settings settings;
  settings.busyMilliseconds = busyMilliseconds;
  settings.clock = [ticks = ticks] { return IsoUtc(kClockStart + (*ticks)++); };
  return settings;
}

LoggedSearch SampleSearch(const std::string& surname, std::int64_t count) {
  LoggedSearch search;
  search.roll = {"KINLOOM3", "00000000000000000000000000000001"};
  search.surname = surname;
  search.count = count;
  search.program = "test";
  return search;
}

SavedSoldier SampleSoldier(const std::string& surname, std::int64_t slot) {
  SavedSoldier soldier;
  soldier.roll = {"KINLOOM3", "00000000000000000000000000000001"};
  soldier.surname = surname;
  soldier.indexKey = KeyOf(surname);
  soldier.slot = slot;
  soldier.nameText = "Ren\xE9";
  soldier.line = JoinFields({"G", "C", "25 BTRY OH LT ART", "PVT", "CORP", "", "12", "34", "5678", "U"});
  return soldier;
}

Connection OpenRaw(const std::string& path) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  Connection connection(db);
  sqlite3_busy_timeout(db, 5000);
  return connection;
}

std::string IntegrityOf(const std::string& path) {
  Connection db = OpenRaw(path);
  Statement check(db.get(), "PRAGMA integrity_check");
  if (!check.Ok() || check.Step() != SQLITE_ROW) return sqlite3_errmsg(db.get());
  return check.Text(0);
}

std::int64_t RowsIn(const std::string& path, const std::string& table) {
  Connection db = OpenRaw(path);
  std::int64_t rows = -1;
  if (!QueryInt(db.get(), ("SELECT count(*) FROM " + table).c_str(), &rows)) return -1;
  return rows;
}

FileState StateOf(const std::string& path) {
  FileState state;
  state.identity = IdentityOfPath(path);
  state.exists = state.identity.known;
  if (state.exists && KindOfPath(path) == FileKind::kRegular) state.bytes = ReadFileBytes(path);
  return state;
}
