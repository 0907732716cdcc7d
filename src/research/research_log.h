// The research log: the searches a person made and the soldiers they saved, kept in one SQLite
// database of the user's own (log_place.h says where), shared by the viewer and rollkit.
//
// It keeps what was written. The database runs in WAL mode; every action of a person (a search
// recorded, a soldier saved, a status or note changed) is one transaction, so a process killed at
// any moment loses at most the action it was in the middle of, and several programs may write and
// read at once, each seeing what the others committed. A write waits at most the busy timeout for
// another program's, then gives up with kBusy.
//
// It never gets in the way. A log that cannot be used (missing, read-only, busy, damaged, not a
// log at all, another user's, from a newer version) is reported as a LogProblem whose message a
// person can act on, and the file is left exactly as it was: nothing is overwritten, repaired or
// removed. A log of an older layout is upgraded, once a copy of it has been made beside it.
//
// One object is one connection, for one thread at a time.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "research/research_types.h"
#include "research/sqlite_statement.h"

enum class LogAccess {
  kRead,   // a missing log stays missing (kMissing)
  kWrite,  // a missing log is made, and its directory with it
};

enum class LogProblemKind {
  kNone,
  kNoPlace,        // no directory is known for the log
  kMissing,        // kRead of a log that does not exist
  kNotRegular,     // a FIFO, directory, device... at the path, or at the path of its WAL files
  kOtherOwner,     // another user's file
  kUnreadable,     // the system refused to open it (permissions, a link it would not follow)
  kNotALog,        // no SQLite database, or another program's
  kDamaged,        // SQLite finds it malformed
  kNewer,          // a layout newer than this program's
  kCannotUpgrade,  // an older layout that could not be brought up to date
  kReadOnly,       // it, or its directory, cannot be written
  kBusy,           // another program held it longer than the busy timeout
  kWriteFailed,    // the disk is full, a file-size limit, an I/O error
  kNoSuchSoldier,  // no saved soldier has the number asked for
  kFailed,         // anything else SQLite reports
};

struct LogProblem {
  LogProblemKind kind = LogProblemKind::kNone;
  // "<path>: a FIFO, not a research log; it is left as it is", ...; "" for kNone.
  std::string message;

  // Whether the file is not one to use at all (another try would meet the same), rather than
  // busy or short of room for a moment.
  bool Lasting() const;
};

// Which rows a listing gives.
struct LogFilter {
  std::string surname;                   // "": any; else this surname, ASCII case ignored
  std::optional<ResearchStatus> status;  // soldiers only
  bool newestFirst = false;
  std::int64_t limit = 0;  // 0: all
};

class ResearchLog {
 public:
  static constexpr int kBusyMilliseconds = 2000;

  struct Settings {
    int busyMilliseconds = kBusyMilliseconds;
    // The time now, UTC, ISO 8601 ("2025-03-01T14:02:11Z"); empty: the system clock.
    std::function<std::string()> clock;
  };

  ResearchLog();
  explicit ResearchLog(Settings settings);
  ~ResearchLog();
  ResearchLog(const ResearchLog&) = delete;
  ResearchLog& operator=(const ResearchLog&) = delete;

  // Opens the log at `path` (UTF-8; "" is kNoPlace). False with Problem() set when it cannot be
  // used; the file is then as it was.
  bool Open(const std::string& path, LogAccess access);
  void Close();
  bool IsOpen() const { return db != nullptr; }
  const std::string& Path() const { return path; }
  // What a person should know about a successful Open: that the log was upgraded and where the
  // copy of the old one is; "" otherwise.
  const std::string& Notice() const { return notice; }
  // Why the last operation that returned false failed.
  const LogProblem& Problem() const { return problem; }

  // Records a search: fills its id and time. Fast: one short transaction that does not wait for
  // the disk (a search the system loses in a power cut costs little; see the .cc).
  bool RecordSearch(LoggedSearch* search);
  // The id of the search this object recorded last; 0 when none.
  std::int64_t LastRecordedSearch() const { return lastSearch; }
  // Saves a soldier with his first history entry: fills id and times. A soldier already saved
  // from the same roll, key and slot is not saved twice: *alreadySaved is set and `soldier` filled
  // with the saved one. A searchId the log does not hold is not linked.
  bool SaveSoldier(SavedSoldier* soldier, bool* alreadySaved);
  // Changes a saved soldier's status and notes and adds the change to his history; an edit that
  // changes nothing adds nothing. kNoSuchSoldier for an unknown id.
  bool ChangeSoldier(std::int64_t id, const SoldierEdit& edit);

  bool Searches(const LogFilter& filter, std::vector<LoggedSearch>* out);
  bool Soldiers(const LogFilter& filter, std::vector<SavedSoldier>* out);
  // kNoSuchSoldier when there is none.
  bool FindSoldier(std::int64_t id, SavedSoldier* out);
  // The soldier's changes, oldest first.
  bool History(std::int64_t id, std::vector<SoldierChange>* out);
  // *found is false (and the result true) when the log holds no such search.
  bool FindSearch(std::int64_t id, LoggedSearch* out, bool* found);

 private:
  // A failure of SQLite's as it was when it happened: the result code, the system's error number
  // and SQLite's words.
  struct SqliteFailure {
    int code = 0;
    int error = 0;
    std::string detail;
  };
  SqliteFailure Capture(int code) const;
  bool Refuse(LogProblemKind kind, const std::string& what);
  bool Report(const SqliteFailure& failure);
  bool Fail(int code);
  // Rolls the open transaction back after a failure, and reports the failure.
  bool RollBack();
  bool CheckBeforeOpening(LogAccess access);
  bool CheckWalFiles();
  bool Accept(LogAccess access);
  bool UseWal();
  bool Create();
  bool Upgrade(int from);
  bool Begin(bool lasting);
  bool Commit();
  std::string Now() const;

  Settings settings;
  Connection db;
  std::string path;
  std::string notice;
  LogProblem problem;
  FileIdentity checkedFile;
  bool fullSync = false;
  bool walHadChanges = false;  // the WAL file held changes when the log was opened
  std::int64_t lastSearch = 0;
};
