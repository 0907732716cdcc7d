#include "research/research_log.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "platform/cp1252.h"
#include "platform/output_file.h"
#include "platform/user_file.h"
#include "research/log_schema.h"

namespace {

// An SQLite database file starts with these 16 bytes; its header is 100 bytes long, with the
// user_version at 60 and the application_id at 68 (big-endian).
constexpr char kSqliteMagic[] = "SQLite format 3";
constexpr std::size_t kHeaderSize = 100;
constexpr std::size_t kUserVersionAt = 60;
constexpr std::size_t kApplicationIdAt = 68;
// Copies kept of an older log before it is upgraded: name-v1-backup.sqlite, -2, ... at most.
constexpr int kMostCopies = 9;

// How long to wait before asking again to switch a log to WAL mode.
constexpr int kWalRetryMilliseconds = 5;

constexpr const char* kLeftAlone = "; it is left as it is";

std::uint32_t BigEndian32(const std::string& bytes, std::size_t at) {
  return (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])) << 24) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 16) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 8) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 3]));
}

// The roll's bytes as the log's text columns hold them, and back. Every byte survives the round
// trip (platform/cp1252.h); a text some other program put there that the code page cannot hold
// reads back with '?' in its place.
std::string ToText(std::string_view bytes) { return Cp1252ToUtf8(bytes); }
std::string FromText(const std::string& text) {
  std::string bytes;
  std::string_view rest = text;
  while (!rest.empty()) {
    std::string piece;
    std::size_t bad = 0;
    if (Utf8ToCp1252(rest, &piece, &bad)) {
      bytes += piece;
      break;
    }
    std::string good;
    Utf8ToCp1252(rest.substr(0, bad), &good, &bad);
    bytes += good;
    bytes.push_back('?');
    // Past the character that could not be converted.
    std::size_t skip = 1;
    while (bad + skip < rest.size() && (static_cast<unsigned char>(rest[bad + skip]) & 0xC0) == 0x80) ++skip;
    rest.remove_prefix(bad + skip);
  }
  return bytes;
}

// The errors a write to a file of one's own may meet that a person can do something about.
bool IsWriteError(int error) {
#ifdef EDQUOT
  if (error == EDQUOT) return true;
#endif
  return error == ENOSPC || error == EFBIG || error == EIO || error == EROFS;
}

// SQLite's report of a damaged file on one line: "Page 3: btreeInitPage() returns error code 11".
std::string OneLine(const std::string& report) {
  std::string line;
  std::string_view rest = report;
  constexpr std::string_view kDatabaseHeading = "*** in database main ***";
  if (rest.rfind(kDatabaseHeading, 0) == 0) rest.remove_prefix(kDatabaseHeading.size());
  for (char c : rest) {
    const bool blank = c == '\n' || c == '\r' || c == ' ' || c == '\t';
    if (blank && (line.empty() || line.back() == ' ')) continue;
    line.push_back(blank ? ' ' : c);
  }
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

// "2 seconds", "0.1 seconds".
std::string Seconds(int milliseconds) {
  if (milliseconds % 1000 == 0)
    return std::to_string(milliseconds / 1000) + (milliseconds == 1000 ? " second" : " seconds");
  char text[32];
  std::snprintf(text, sizeof text, "%.1f seconds", milliseconds / 1000.0);
  return text;
}

ResearchStatus StatusOfText(const std::string& text) {
  ResearchStatus status = ResearchStatus::kToDo;
  ParseStatus(text, &status);
  return status;
}

// Where the copy of an older log goes: research.sqlite -> research-v1-backup.sqlite.
std::string CopyPath(const std::string& path, int version, int n) {
  std::string stem = path;
  std::string extension;
  const std::size_t dot = path.rfind('.');
  const std::size_t separator = path.find_last_of("/\\");
  if (dot != std::string::npos && (separator == std::string::npos || dot > separator + 1)) {
    stem = path.substr(0, dot);
    extension = path.substr(dot);
  }
  stem += "-v" + std::to_string(version) + "-backup";
  if (n > 1) stem += "-" + std::to_string(n);
  return stem + extension;
}

// The columns as they are read: every text cut to what this program could have written there, so
// that a log another program filled with huge values costs no more memory than one of ours.
const char* const kSearchColumns =
    "id, substr(searched_at, 1, 40), substr(roll_label, 1, 64), substr(roll_hash, 1, 64), "
    "substr(surname, 1, 256), substr(given_name, 1, 1024), substr(match_mode, 1, 16), substr(side, 1, 4), "
    "substr(state, 1, 16), substr(unit, 1, 1024), substr(company, 1, 64), result_count, substr(program, 1, "
    "64)";
const char* const kSoldierColumns =
    "id, substr(saved_at, 1, 40), substr(changed_at, 1, 40), substr(roll_label, 1, 64), substr(roll_hash, 1, "
    "64), "
    "substr(index_key, 1, 64), slot, substr(surname, 1, 256), substr(name_text, 1, 1024), substr(line, 1, "
    "4999), "
    "substr(status, 1, 32), substr(notes, 1, 1048576), coalesce(search_id, 0)";

LoggedSearch SearchOfRow(const Statement& row) {
  LoggedSearch search;
  search.id = row.Int(0);
  search.when = row.Text(1);
  search.roll.label = row.Text(2);
  search.roll.hash = row.Text(3);
  search.surname = row.Text(4);
  search.givenName = row.Text(5);
  search.mode = row.Text(6);
  search.side = row.Text(7);
  search.state = row.Text(8);
  search.unit = row.Text(9);
  search.company = row.Text(10);
  search.count = row.Int(11);
  search.program = row.Text(12);
  return search;
}

SavedSoldier SoldierOfRow(const Statement& row) {
  SavedSoldier soldier;
  soldier.id = row.Int(0);
  soldier.savedAt = row.Text(1);
  soldier.changedAt = row.Text(2);
  soldier.roll.label = row.Text(3);
  soldier.roll.hash = row.Text(4);
  soldier.indexKey = FromText(row.Text(5));
  soldier.slot = row.Int(6);
  soldier.surname = FromText(row.Text(7));
  soldier.nameText = FromText(row.Text(8));
  soldier.line = row.Text(9);
  soldier.status = StatusOfText(row.Text(10));
  soldier.notes = row.Text(11);
  soldier.searchId = row.Int(12);
  return soldier;
}

// The WHERE and ORDER BY of a listing; the surname is parameter 1, the status 2.
std::string Clauses(const LogFilter& filter, bool soldiers, const char* timeColumn) {
  std::string sql;
  if (!filter.surname.empty()) sql += " WHERE surname = ?1 COLLATE NOCASE";
  if (soldiers && filter.status) sql += filter.surname.empty() ? " WHERE status = ?2" : " AND status = ?2";
  sql += std::string(" ORDER BY ") + timeColumn + (filter.newestFirst ? " DESC, id DESC" : ", id");
  if (filter.limit > 0) sql += " LIMIT " + std::to_string(filter.limit);
  return sql;
}

}  // namespace

bool LogProblem::Lasting() const {
  switch (kind) {
    case LogProblemKind::kBusy:
    case LogProblemKind::kWriteFailed:
    case LogProblemKind::kNoSuchSoldier:
    case LogProblemKind::kNone:
      return false;
    default:
      return true;
  }
}

ResearchLog::ResearchLog() = default;
ResearchLog::ResearchLog(Settings given) : settings(std::move(given)) {}
ResearchLog::~ResearchLog() { Close(); }

void ResearchLog::Close() { db.reset(); }

std::string ResearchLog::Now() const { return settings.clock ? settings.clock() : IsoUtcNow(); }

bool ResearchLog::Refuse(LogProblemKind kind, const std::string& what) {
  problem.kind = kind;
  problem.message = path + ": " + what;
  if (db) {
    // A file refused is not touched: when its WAL file held changes before this program came,
    // not even the checkpoint a last connection makes on closing may copy them into it. (Without
    // such changes the closing only takes away the empty WAL files the opening made.)
    if (walHadChanges) sqlite3_db_config(db.get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    db.reset();
  }
  return false;
}

ResearchLog::SqliteFailure ResearchLog::Capture(int code) const {
  SqliteFailure failure;
  failure.code = code;
  failure.error = db ? sqlite3_system_errno(db.get()) : 0;
  // SQLite does not keep the system's error of every failed write (a write of its WAL file, for
  // one); errno, cleared when the action began, still holds it then.
  if (failure.error == 0 && IsWriteError(errno)) failure.error = errno;
  failure.detail = db ? sqlite3_errmsg(db.get()) : sqlite3_errstr(code);
  return failure;
}

bool ResearchLog::Fail(int code) { return Report(Capture(code)); }

bool ResearchLog::RollBack() {
  // What went wrong is taken before the rollback, which would replace it.
  const SqliteFailure failure = Capture(sqlite3_extended_errcode(db.get()));
  Execute(db.get(), "ROLLBACK");
  return Report(failure);
}

bool ResearchLog::Report(const SqliteFailure& failure) {
  const int primary = failure.code & 0xFF;
  const int error = failure.error;
  const std::string& detail = failure.detail;
  problem.message = path + ": ";
  switch (primary) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      problem.kind = LogProblemKind::kBusy;
      problem.message += "in use by another program for longer than " + Seconds(settings.busyMilliseconds);
      break;
    case SQLITE_READONLY:
    case SQLITE_PERM:
      problem.kind = LogProblemKind::kReadOnly;
      problem.message +=
          "cannot be written" + (error ? ": " + SystemErrorText(error) : std::string(" (read-only)"));
      break;
    case SQLITE_FULL:
      problem.kind = LogProblemKind::kWriteFailed;
      problem.message +=
          "cannot be written: " + (error ? SystemErrorText(error) : std::string("the disk is full"));
      break;
    case SQLITE_IOERR:
      problem.kind = LogProblemKind::kWriteFailed;
      problem.message += "cannot be written: " + (error ? SystemErrorText(error) : detail);
      break;
    case SQLITE_CANTOPEN:
      problem.kind = LogProblemKind::kReadOnly;
      problem.message += "cannot be opened" + (error ? ": " + SystemErrorText(error) : std::string());
      break;
    case SQLITE_CORRUPT:
      return Refuse(LogProblemKind::kDamaged, "damaged (" + detail + ")" + kLeftAlone);
    case SQLITE_NOTADB:
      return Refuse(LogProblemKind::kNotALog,
                    std::string("not a research log (not an SQLite database)") + kLeftAlone);
    default:
      problem.kind = LogProblemKind::kFailed;
      problem.message += detail;
      break;
  }
  return false;
}

bool ResearchLog::Open(const std::string& logPath, LogAccess access) {
  Close();
  path = logPath;
  notice.clear();
  problem = {};
  lastSearch = 0;
  fullSync = false;
  if (path.empty()) {
    problem = {LogProblemKind::kNoPlace,
               "no place for the research log: the user's data directory is not known"};
    return false;
  }
  if (!CheckBeforeOpening(access) || !CheckWalFiles()) return false;

  sqlite3* opened = nullptr;
  // Read and write where the file allows it (SQLite falls back to reading only); never create
  // the file here, which CheckBeforeOpening made with the user's own permissions when asked to.
  const int code =
      sqlite3_open_v2(path.c_str(), &opened, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  db.reset(opened);
  if (code != SQLITE_OK) return Fail(code);
  // SQLite opened the file by name after it was checked: it must still be the file checked.
  if (!IdentityOfPath(path).SameFile(checkedFile)) {
    return Refuse(LogProblemKind::kUnreadable,
                  std::string("was replaced while it was being opened") + kLeftAlone);
  }
  sqlite3_busy_timeout(db.get(), settings.busyMilliseconds);
  sqlite3_extended_result_codes(db.get(), 1);
  return Accept(access);
}

bool ResearchLog::CheckBeforeOpening(LogAccess access) {
  UserFileCheck check = CheckUserFile(path, kHeaderSize);
  if (check.status == UserFileStatus::kMissing) {
    if (access == LogAccess::kRead) {
      problem = {LogProblemKind::kMissing, path + ": there is no research log yet"};
      return false;
    }
    std::string error;
    if (!MakePrivateDirectories(DirectoryOf(path), &error)) {
      problem = {LogProblemKind::kUnreadable, path + ": cannot be made: " + error};
      return false;
    }
    // Another program may make it in the meantime: then that one is looked at.
    if (!CreatePrivateFile(path, &error) && KindAtPath(path) == FileKind::kMissing) {
      problem = {LogProblemKind::kReadOnly, error};
      return false;
    }
    check = CheckUserFile(path, kHeaderSize);
  }
  switch (check.status) {
    case UserFileStatus::kOk:
      break;
    case UserFileStatus::kMissing:
      return Refuse(LogProblemKind::kUnreadable,
                    std::string("vanished while it was being opened") + kLeftAlone);
    case UserFileStatus::kNotRegular:
      return Refuse(LogProblemKind::kNotRegular,
                    std::string(DescribeFileKind(check.kind)) + ", not a research log" + kLeftAlone);
    case UserFileStatus::kOtherOwner:
      return Refuse(LogProblemKind::kOtherOwner, std::string("belongs to another user") + kLeftAlone);
    case UserFileStatus::kUnreadable:
      if (check.kind == FileKind::kSymlink) {
        return Refuse(LogProblemKind::kUnreadable,
                      std::string("a symbolic link that leads nowhere") + kLeftAlone);
      }
      return Refuse(LogProblemKind::kUnreadable,
                    "cannot be opened: " + SystemErrorText(check.error) + kLeftAlone);
  }
  checkedFile = check.identity;
  const std::string& header = check.header;
  if (header.empty()) return true;  // a new, empty database
  if (header.size() < kHeaderSize || std::memcmp(header.data(), kSqliteMagic, sizeof kSqliteMagic) != 0) {
    return Refuse(LogProblemKind::kNotALog,
                  std::string("not a research log (not an SQLite database)") + kLeftAlone);
  }
  // What the header tells is refused before SQLite ever opens the file. (A change not yet copied
  // from the WAL file into the database is checked again once it is open.)
  const std::uint32_t application = BigEndian32(header, kApplicationIdAt);
  if (application != 0 && application != static_cast<std::uint32_t>(kLogApplicationId)) {
    return Refuse(LogProblemKind::kNotALog,
                  std::string("not a research log (another program's SQLite database)") + kLeftAlone);
  }
  const std::uint32_t version = BigEndian32(header, kUserVersionAt);
  if (application != 0 && version > static_cast<std::uint32_t>(kLogVersion)) {
    return Refuse(LogProblemKind::kNewer, "written by a newer version of Dravenholt (layout " +
                                              std::to_string(version) + "; this version knows up to " +
                                              std::to_string(kLogVersion) + ")" + kLeftAlone);
  }
  return true;
}

bool ResearchLog::CheckWalFiles() {
  // SQLite opens these beside the log by name, for writing: a link or a FIFO there, or another
  // user's file, would be written or would hold the open.
  walHadChanges = false;
  for (const char* suffix : {"-wal", "-shm", "-journal"}) {
    const std::string file = path + suffix;
    const FileKind kind = KindAtPath(file);
    if (kind == FileKind::kMissing) continue;
    const UserFileCheck check = kind == FileKind::kRegular ? CheckUserFile(file, 0) : UserFileCheck{};
    if (check.status == UserFileStatus::kOk) {
      if (std::string_view(suffix) == "-wal" && check.identity.size > 0) walHadChanges = true;
      continue;
    }
    const std::string what = kind == FileKind::kRegular
                                 ? std::string("belongs to another user")
                                 : std::string(DescribeFileKind(kind)) + ", not the log's own file";
    problem = {kind == FileKind::kRegular ? LogProblemKind::kOtherOwner : LogProblemKind::kNotRegular,
               file + ": " + what + "; the research log beside it is left as it is"};
    return false;
  }
  return true;
}

bool ResearchLog::Accept(LogAccess access) {
  // One statement, so that the three are read in one snapshot: a log another program is making
  // meanwhile is either still empty or already whole.
  Statement facts(db.get(),
                  "SELECT (SELECT application_id FROM pragma_application_id), (SELECT user_version FROM "
                  "pragma_user_version), (SELECT count(*) FROM sqlite_schema)");
  const int read = facts.Ok() ? facts.Step() : sqlite3_extended_errcode(db.get());
  if (read != SQLITE_ROW) return Fail(read);
  const std::int64_t application = facts.Int(0);
  const std::int64_t version = facts.Int(1);
  const std::int64_t tables = facts.Int(2);
  facts.Reset();
  if (application != kLogApplicationId && (application != 0 || tables != 0)) {
    return Refuse(LogProblemKind::kNotALog,
                  std::string("not a research log (another program's SQLite database)") + kLeftAlone);
  }
  if (version > kLogVersion) {
    return Refuse(LogProblemKind::kNewer, "written by a newer version of Dravenholt (layout " +
                                              std::to_string(version) + "; this version knows up to " +
                                              std::to_string(kLogVersion) + ")" + kLeftAlone);
  }
  const bool fresh = tables == 0;
  if (!fresh) {
    Statement check(db.get(), "PRAGMA quick_check");
    const int step = check.Ok() ? check.Step() : sqlite3_errcode(db.get());
    if (step != SQLITE_ROW) return Fail(step);
    if (check.Text(0) != "ok") {
      return Refuse(LogProblemKind::kDamaged, "damaged (" + OneLine(check.Text(0)) + ")" + kLeftAlone);
    }
  }
  if (!fresh && version < kOldestLogVersion) {
    return Refuse(LogProblemKind::kNotALog,
                  std::string("not a research log (no layout version)") + kLeftAlone);
  }
  // An empty file is a log not yet made (one whose maker was stopped before it could make it, or
  // one being made by another program this moment): only a writer makes it.
  if (fresh && access == LogAccess::kRead) {
    problem = {LogProblemKind::kMissing, path + ": there is no research log yet"};
    db.reset();
    return false;
  }
  const bool writable = sqlite3_db_readonly(db.get(), "main") == 0;
  if (!writable) {
    if (fresh || version < kLogVersion) {
      return Refuse(fresh ? LogProblemKind::kReadOnly : LogProblemKind::kCannotUpgrade,
                    fresh ? std::string("cannot be written (read-only)")
                          : "written by an older version of Dravenholt (layout " + std::to_string(version) +
                                ") and cannot be upgraded here: it is read-only" + kLeftAlone);
    }
    if (access == LogAccess::kWrite) {
      problem = {LogProblemKind::kReadOnly, path + ": cannot be written (read-only)"};
      db.reset();
      return false;
    }
  }
  // Normal synchronisation in WAL mode: a commit reaches the operating system before it returns,
  // so it survives the program being killed at any moment; only a power cut or a crash of the
  // system itself may lose the last commits, never the database as a whole. A search recorded runs
  // so; a person's own work (a soldier saved, a status or note changed) is committed with full
  // synchronisation, which waits for the disk too (see Begin).
  if (Execute(db.get(), "PRAGMA synchronous = NORMAL; PRAGMA foreign_keys = ON") != SQLITE_OK) {
    return Fail(sqlite3_errcode(db.get()));
  }
  if (fresh) return UseWal() && Create();
  if (version < kLogVersion && !Upgrade(static_cast<int>(version))) return false;
  return !writable || UseWal();
}

bool ResearchLog::UseWal() {
  // WAL: readers and one writer at once, and a commit that is one append to the WAL file. An
  // older log is switched only once it is upgraded, so that a log refused or an upgrade that
  // failed leaves the file as it was. SQLite switches only while no other program is reading the
  // file, and answers "busy" at once rather than waiting: it is asked again, within the busy
  // timeout, as SQLite's own waits would.
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(settings.busyMilliseconds);
  Statement mode(db.get(), "PRAGMA journal_mode = WAL");
  for (;;) {
    const int step = mode.Ok() ? mode.Step() : sqlite3_extended_errcode(db.get());
    if (step == SQLITE_ROW) return mode.Text(0) == "wal" || Fail(SQLITE_CANTOPEN);
    if ((step & 0xFF) != SQLITE_BUSY || std::chrono::steady_clock::now() > deadline) return Fail(step);
    mode.Reset();
    sqlite3_sleep(kWalRetryMilliseconds);
  }
}

bool ResearchLog::Create() {
  if (!Begin(false)) return false;
  // Another program may have made the layout while this one waited for the lock.
  std::int64_t tables = 0;
  if (!QueryInt(db.get(), "SELECT count(*) FROM sqlite_schema", &tables)) return RollBack();
  if (tables == 0 && !CreateLayout(db.get())) return RollBack();
  return Commit();
}

bool ResearchLog::Upgrade(int from) {
  if (!Begin(true)) return false;
  std::int64_t version = 0;
  if (!QueryInt(db.get(), "PRAGMA user_version", &version)) return RollBack();
  if (version == kLogVersion) return Commit();  // upgraded by another program meanwhile
  auto cannot = [&](const std::string& why) {
    Execute(db.get(), "ROLLBACK");
    return Refuse(LogProblemKind::kCannotUpgrade, "written by an older version of Dravenholt (layout " +
                                                      std::to_string(from) +
                                                      ") and cannot be upgraded: " + why + kLeftAlone);
  };
  // The copy first, from inside the write transaction, so that it is the log as it stands.
  std::string copy;
  for (int n = 1; n <= kMostCopies && copy.empty(); ++n) {
    const std::string candidate = CopyPath(path, from, n);
    if (KindAtPath(candidate) == FileKind::kMissing) copy = candidate;
  }
  if (copy.empty()) return cannot("no free name for a copy of it");
  std::string error;
  if (!CreatePrivateFile(copy, &error)) return cannot(error);
  // Copied through a connection of its own: SQLite copies nothing through one that is writing.
  // The write lock this one holds keeps every other program from changing the log meanwhile, so
  // the copy is the log as it is upgraded.
  sqlite3* source = nullptr;
  sqlite3* target = nullptr;
  bool copied = sqlite3_open_v2(path.c_str(), &source, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
                sqlite3_open_v2(copy.c_str(), &target, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK;
  if (copied) {
    sqlite3_busy_timeout(source, settings.busyMilliseconds);
    sqlite3_backup* backup = sqlite3_backup_init(target, "main", source, "main");
    copied = backup && sqlite3_backup_step(backup, -1) == SQLITE_DONE;
    copied = sqlite3_backup_finish(backup) == SQLITE_OK && copied;
  }
  const std::string copyError = !target ? "out of memory" : copied ? "" : sqlite3_errmsg(target);
  sqlite3_close_v2(target);
  sqlite3_close_v2(source);
  if (!copied) {
    RemoveFile(copy.c_str());
    return cannot(copy + ": " + copyError);
  }
  if (!UpgradeLayout(db.get(), from)) return cannot(sqlite3_errmsg(db.get()));
  if (!Commit()) return false;
  notice = path + ": upgraded from layout " + std::to_string(from) + " to " + std::to_string(kLogVersion) +
           "; the log as it was is kept in " + copy;
  return true;
}

bool ResearchLog::Begin(bool lasting) {
  if (!db) return Refuse(LogProblemKind::kFailed, "the research log is not open");
  if (lasting != fullSync) {
    if (Execute(db.get(), lasting ? "PRAGMA synchronous = FULL" : "PRAGMA synchronous = NORMAL") !=
        SQLITE_OK) {
      return Fail(sqlite3_errcode(db.get()));
    }
    fullSync = lasting;
  }
  errno = 0;
  // IMMEDIATE takes the write lock at once (waiting up to the busy timeout), so no transaction
  // has to give up halfway because another program began writing after it began reading.
  const int code = Execute(db.get(), "BEGIN IMMEDIATE");
  return code == SQLITE_OK || Fail(code);
}

bool ResearchLog::Commit() {
  const int code = Execute(db.get(), "COMMIT");
  if (code == SQLITE_OK) return true;
  const SqliteFailure failure = Capture(sqlite3_extended_errcode(db.get()));
  if (!sqlite3_get_autocommit(db.get())) Execute(db.get(), "ROLLBACK");
  return Report(failure);
}

bool ResearchLog::RecordSearch(LoggedSearch* search) {
  if (!Begin(false)) return false;
  const std::string when = Now();
  Statement insert(
      db.get(),
      "INSERT INTO searches (searched_at, roll_label, roll_hash, surname, given_name, match_mode, side, "
      "state, unit, company, result_count, program) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, "
      "?12)");
  if (insert.Ok()) {
    insert.Bind(1, when).Bind(2, search->roll.label).Bind(3, search->roll.hash).Bind(4, search->surname);
    insert.Bind(5, search->givenName).Bind(6, search->mode).Bind(7, search->side).Bind(8, search->state);
    insert.Bind(9, search->unit).Bind(10, search->company).Bind(11, std::max<std::int64_t>(search->count, 0));
    insert.Bind(12, search->program);
  }
  if (!insert.Ok() || !insert.Run()) return RollBack();
  const std::int64_t id = sqlite3_last_insert_rowid(db.get());
  if (!Commit()) return false;
  search->id = id;
  search->when = when;
  lastSearch = id;
  return true;
}

bool ResearchLog::SaveSoldier(SavedSoldier* soldier, bool* alreadySaved) {
  *alreadySaved = false;
  if (!Begin(true)) return false;
  const std::string key = ToText(soldier->indexKey);
  if (soldier->slot >= 0) {
    Statement same(db.get(), (std::string("SELECT ") + kSoldierColumns +
                              " FROM soldiers WHERE roll_hash = ?1 AND index_key = ?2 AND slot = ?3")
                                 .c_str());
    if (!same.Ok()) return RollBack();
    same.Bind(1, soldier->roll.hash).Bind(2, key).Bind(3, soldier->slot);
    const int step = same.Step();
    if (step == SQLITE_ROW) {
      *soldier = SoldierOfRow(same);
      *alreadySaved = true;
      same.Reset();
      return Commit();
    }
    if (step != SQLITE_DONE) return RollBack();
  }
  std::int64_t searchId = 0;
  if (soldier->searchId > 0) {
    std::int64_t known = 0;
    const std::string sql = "SELECT count(*) FROM searches WHERE id = " + std::to_string(soldier->searchId);
    if (!QueryInt(db.get(), sql.c_str(), &known)) return RollBack();
    if (known > 0) searchId = soldier->searchId;
  }
  const std::string when = Now();
  Statement insert(
      db.get(),
      "INSERT INTO soldiers (saved_at, changed_at, roll_label, roll_hash, index_key, slot, surname, "
      "name_text, line, status, notes, search_id) VALUES (?1, ?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)");
  if (!insert.Ok()) return RollBack();
  insert.Bind(1, when).Bind(2, soldier->roll.label).Bind(3, soldier->roll.hash).Bind(4, key);
  insert.Bind(5, soldier->slot < 0 ? -1 : soldier->slot).Bind(6, ToText(soldier->surname));
  insert.Bind(7, ToText(soldier->nameText)).BindBlob(8, soldier->line).Bind(9, StatusName(soldier->status));
  insert.Bind(10, soldier->notes);
  if (searchId > 0) {
    insert.Bind(11, searchId);
  } else {
    insert.BindNull(11);
  }
  if (!insert.Run()) return RollBack();
  const std::int64_t id = sqlite3_last_insert_rowid(db.get());
  Statement history(db.get(),
                    "INSERT INTO soldier_changes (soldier_id, changed_at, change, status, notes) "
                    "VALUES (?1, ?2, 'saved', ?3, ?4)");
  if (!history.Ok()) return RollBack();
  history.Bind(1, id).Bind(2, when).Bind(3, StatusName(soldier->status)).Bind(4, soldier->notes);
  if (!history.Run()) return RollBack();
  if (!Commit()) return false;
  soldier->id = id;
  soldier->savedAt = when;
  soldier->changedAt = when;
  soldier->searchId = searchId;
  return true;
}

bool ResearchLog::ChangeSoldier(std::int64_t id, const SoldierEdit& edit) {
  if (!Begin(true)) return false;
  Statement current(db.get(), "SELECT status, notes FROM soldiers WHERE id = ?1");
  if (!current.Ok()) return RollBack();
  current.Bind(1, id);
  const int step = current.Step();
  if (step == SQLITE_DONE) {
    Execute(db.get(), "ROLLBACK");
    problem = {LogProblemKind::kNoSuchSoldier, path + ": no saved soldier " + std::to_string(id)};
    return false;
  }
  if (step != SQLITE_ROW) return RollBack();
  const ResearchStatus oldStatus = StatusOfText(current.Text(0));
  const std::string oldNotes = current.Text(1);
  current.Reset();

  const ResearchStatus status = edit.status.value_or(oldStatus);
  std::string notes = oldNotes;
  if (edit.notes) {
    if (!edit.appendNotes) {
      notes = *edit.notes;
    } else if (!edit.notes->empty()) {
      notes = oldNotes.empty() ? *edit.notes : oldNotes + "\n\n" + *edit.notes;
    }
  }
  const bool statusChanged = status != oldStatus;
  const bool notesChanged = notes != oldNotes;
  if (!statusChanged && !notesChanged) return Commit();
  const char* what = statusChanged && notesChanged ? "status, notes" : statusChanged ? "status" : "notes";

  const std::string when = Now();
  Statement update(db.get(), "UPDATE soldiers SET status = ?1, notes = ?2, changed_at = ?3 WHERE id = ?4");
  Statement history(db.get(),
                    "INSERT INTO soldier_changes (soldier_id, changed_at, change, status, notes) "
                    "VALUES (?1, ?2, ?3, ?4, ?5)");
  if (!update.Ok() || !history.Ok()) return RollBack();
  update.Bind(1, StatusName(status)).Bind(2, notes).Bind(3, when).Bind(4, id);
  history.Bind(1, id).Bind(2, when).Bind(3, what).Bind(4, StatusName(status)).Bind(5, notes);
  if (!update.Run() || !history.Run()) return RollBack();
  return Commit();
}

bool ResearchLog::Searches(const LogFilter& filter, std::vector<LoggedSearch>* out) {
  out->clear();
  if (!db) return Refuse(LogProblemKind::kFailed, "the research log is not open");
  Statement query(db.get(), (std::string("SELECT ") + kSearchColumns + " FROM searches" +
                             Clauses(filter, false, "searched_at"))
                                .c_str());
  if (!query.Ok()) return Fail(sqlite3_errcode(db.get()));
  if (!filter.surname.empty()) query.Bind(1, filter.surname);
  int step;
  while ((step = query.Step()) == SQLITE_ROW) out->push_back(SearchOfRow(query));
  return step == SQLITE_DONE || Fail(step);
}

bool ResearchLog::Soldiers(const LogFilter& filter, std::vector<SavedSoldier>* out) {
  out->clear();
  if (!db) return Refuse(LogProblemKind::kFailed, "the research log is not open");
  Statement query(db.get(), (std::string("SELECT ") + kSoldierColumns + " FROM soldiers" +
                             Clauses(filter, true, "saved_at"))
                                .c_str());
  if (!query.Ok()) return Fail(sqlite3_errcode(db.get()));
  if (!filter.surname.empty()) query.Bind(1, ToText(filter.surname));
  if (filter.status) query.Bind(2, StatusName(*filter.status));
  int step;
  while ((step = query.Step()) == SQLITE_ROW) out->push_back(SoldierOfRow(query));
  return step == SQLITE_DONE || Fail(step);
}

bool ResearchLog::FindSoldier(std::int64_t id, SavedSoldier* out) {
  if (!db) return Refuse(LogProblemKind::kFailed, "the research log is not open");
  Statement query(db.get(),
                  (std::string("SELECT ") + kSoldierColumns + " FROM soldiers WHERE id = ?1").c_str());
  if (!query.Ok()) return Fail(sqlite3_errcode(db.get()));
  query.Bind(1, id);
  const int step = query.Step();
  if (step == SQLITE_ROW) {
    *out = SoldierOfRow(query);
    return true;
  }
  if (step != SQLITE_DONE) return Fail(step);
  problem = {LogProblemKind::kNoSuchSoldier, path + ": no saved soldier " + std::to_string(id)};
  return false;
}

bool ResearchLog::History(std::int64_t id, std::vector<SoldierChange>* out) {
  out->clear();
  if (!db) return Refuse(LogProblemKind::kFailed, "the research log is not open");
  Statement query(db.get(),
                  "SELECT substr(changed_at, 1, 40), substr(change, 1, 32), substr(status, 1, 32), "
                  "substr(notes, 1, 1048576) "
                  "FROM soldier_changes WHERE soldier_id = ?1 ORDER BY id");
  if (!query.Ok()) return Fail(sqlite3_errcode(db.get()));
  query.Bind(1, id);
  int step;
  while ((step = query.Step()) == SQLITE_ROW) {
    out->push_back({query.Text(0), query.Text(1), StatusOfText(query.Text(2)), query.Text(3)});
  }
  return step == SQLITE_DONE || Fail(step);
}

bool ResearchLog::FindSearch(std::int64_t id, LoggedSearch* out, bool* found) {
  *found = false;
  if (!db) return Refuse(LogProblemKind::kFailed, "the research log is not open");
  Statement query(db.get(),
                  (std::string("SELECT ") + kSearchColumns + " FROM searches WHERE id = ?1").c_str());
  if (!query.Ok()) return Fail(sqlite3_errcode(db.get()));
  query.Bind(1, id);
  const int step = query.Step();
  if (step == SQLITE_ROW) {
    *out = SearchOfRow(query);
    *found = true;
    return true;
  }
  return step == SQLITE_DONE || Fail(step);
}
