// Drives the rollkit executable from tests: runs it with arguments (and extra environment, limits,
// another user), captures its output and how it ended; never waits longer than a bound, so that a
// hang fails the test instead of stopping CI. Plus a scratch directory and small file helpers.
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

// A scratch directory; Path() has no trailing separator.
class ScratchDir {
 public:
  ScratchDir() : path(dir.path().substr(0, dir.path().size() - 1)) {}
  const std::string& Path() const { return path; }
  std::string operator/(const std::string& name) const { return path + kPathSeparator + name; }

 private:
  ScopedTempDir dir;
  std::string path;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
// File names in a directory, sorted; hidden ones included.
std::vector<std::string> ListDir(const std::string& path);
std::vector<std::string> Lines(const std::string& text);

// Writes `csv` to dir/name.csv and builds a database from it into dir/name; returns that path.
std::string BuildRoll(const ScratchDir& dir, const std::string& name, const std::string& csv);

// The header row of a roll CSV (surname, name and the ten fields).
extern const char* const kRollHeader;
// "rollkit: <message>\n": one line of rollkit's on standard error.
std::string RollkitLine(const std::string& message);
