// Drives the rollkit executable from tests: runs it with arguments (and extra environment, limits,
// another user), captures its output and how it ended; never waits longer than a bound, so that a
// hang fails the test instead of stopping CI. Plus small helpers for its files and output.
#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "support/child_process.h"
#include "support/scoped_temp_dir.h"

struct RunOptions {
  std::map<std::string, std::string> environment;  // added to (or replacing in) the test's own
  std::string input;                               // standard input; "": the null device
  std::string output;                              // standard output into this file instead of captured
  bool appendOutput = false;                       // ... opened for appending rather than truncated
  int timeoutSeconds = 60;                         // then killed and reported as timed out
  // POSIX only (a test that needs them is skipped elsewhere):
  long long fileSizeLimit = -1;                    // RLIMIT_FSIZE, bytes
  long long addressSpaceLimit = -1;                // RLIMIT_AS, bytes
  bool unprivileged = false;                       // as "nobody" when the tests run as root
};

RunResult RunRollkit(const std::vector<std::string>& args, const RunOptions& options);
RunResult RunRollkit(const std::vector<std::string>& args,
                     const std::map<std::string, std::string>& environment = {});

// Starts rollkit without waiting: standard output and error go to `outPath` and `errPath` ("" for
// the null device). Returns its process id, or -1.
pid_t StartRollkit(const std::vector<std::string>& args, const RunOptions& options, const std::string& outPath,
                   const std::string& errPath);
// Waits for a started rollkit (at most `timeoutSeconds`, then kills it): fills exitCode, signal and
// timedOut of the result.
RunResult WaitForRollkit(pid_t pid, int timeoutSeconds);

// Whether a run ended before rollkit ran at all, so that one more run is fair: under wine a start
// now and then fails, or the process dies of an exception before it writes a byte. Never on POSIX.
bool EndedBeforeItRan(const RunResult& result);

std::vector<std::string> Lines(const std::string& text);

// Writes `csv` to dir/name.csv and builds a database from it into dir/name; returns that path.
std::string BuildRoll(const ScopedTempDir& dir, const std::string& name, const std::string& csv);

// The header row of a roll CSV (surname, name and the ten fields).
extern const char* const kRollHeader;
// "rollkit: <message>\n": one line of rollkit's on standard error.
std::string RollkitLine(const std::string& message);
