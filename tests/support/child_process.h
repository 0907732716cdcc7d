// Runs a program from a test: standard input empty, standard output and error captured.
// POSIX starts it with posix_spawn, Windows with CreateProcess; both wait for it to end.
#pragma once

#include <map>
#include <string>
#include <vector>

struct RunResult {
  // The exit code; -1 when the program did not exit by itself (a signal on POSIX; on Windows an
  // exception such as an access violation, or the end a console interrupt brings).
  int exitCode = -1;
  int signal = 0;         // the signal that ended it, if one did (POSIX)
  bool timedOut = false;  // killed after its time bound
  std::string out;
  std::string err;
};

// `environment` adds to or replaces variables of the test's own environment.
RunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                     const std::map<std::string, std::string>& environment = {});
