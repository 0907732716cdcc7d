// How rollkit ends and complains: 0 success, 1 a data problem (one line on stderr naming the file
// and place at fault), 2 bad arguments (a message and the subcommand's usage line).
#pragma once

#include <stdexcept>
#include <string>

inline constexpr int kExitOk = 0;
inline constexpr int kExitDataProblem = 1;
inline constexpr int kExitUsage = 2;

// Writes "rollkit: <message>" on stderr, its control characters shown (terminal_text.h), and
// returns kExitDataProblem.
int ReportProblem(const std::string& message);

// Thrown by a subcommand for an argument it cannot take; main prints the message and the usage
// line and exits with kExitUsage.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
