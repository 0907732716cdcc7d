// What the research log's tests share: a log in a directory of its own with a clock that ticks a
// second per reading, entries to save, a plain SQLite connection for looking at the file beside the
// log, and a snapshot of a file for telling that it was left exactly as it was.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/file_system.h"
#include "research/research_log.h"
#include "support/scoped_temp_dir.h"

class LogTest : public ::testing::Test {
 protected:
  // A clock from 2025-03-01T10:00:00Z, one second later at every reading; a short busy timeout.
  ResearchLog::Settings Settings(int busyMilliseconds = 200);

  ScopedTempDir dir;
  const std::string path = dir / "research.sqlite";
  std::shared_ptr<std::int64_t> ticks = std::make_shared<std::int64_t>(0);
};

// A search of `surname` that found `count` entries on the roll with hash "00..01".
LoggedSearch SampleSearch(const std::string& surname, std::int64_t count);
// An entry of `surname` (roll bytes) in slot `slot`, its line holding a Windows-1252 "é" and the
// 0xFF separators.
SavedSoldier SampleSoldier(const std::string& surname, std::int64_t slot);

// A plain connection to `path`, for reading beside the log.
Connection OpenRaw(const std::string& path);
// PRAGMA integrity_check of the file: "ok" when whole.
std::string IntegrityOf(const std::string& path);
// SELECT count(*) FROM `table`; -1 when it cannot be read.
std::int64_t RowsIn(const std::string& path, const std::string& table);

// A file's bytes and identity (size and times), or nothing there.
struct FileState {
  bool exists = false;
  std::string bytes;
  FileIdentity identity;
  bool operator==(const FileState& other) const {
    return exists == other.exists && bytes == other.bytes && (!exists || identity.Unchanged(other.identity));
  }
};
FileState StateOf(const std::string& path);
