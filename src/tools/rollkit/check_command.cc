// rollkit check: every problem (the first 100 printed) and a summary line.
#include <cstdio>
#include <string>

#include "tools/rollkit/check.h"
#include "tools/rollkit/commands.h"
#include "tools/rollkit/database_files.h"
#include "tools/rollkit/exit_status.h"

namespace {
constexpr std::int64_t kMaxPrintedProblems = 100;
}  // namespace

int RunCheck(const std::string& directory) {
  RollFiles files;
  std::string error;
  if (!LocateRollFiles(directory, &files, &error)) return ReportProblem(error);
  std::int64_t printed = 0;
  const CheckSummary summary = CheckDatabase(files, [&](const std::string& problem) {
    if (printed++ < kMaxPrintedProblems) std::printf("%s\n", problem.c_str());
  });
  if (summary.problems == 0) {
    std::printf("%s: no problems found (%lld slots, %lld keys in %lld nodes)\n", directory.c_str(),
                static_cast<long long>(summary.slots), static_cast<long long>(summary.keys),
                static_cast<long long>(summary.nodes));
  } else {
    std::printf("%s: %lld problem%s found%s\n", directory.c_str(), static_cast<long long>(summary.problems),
                summary.problems == 1 ? "" : "s",
                summary.problems > kMaxPrintedProblems ? " (the first 100 are shown)" : "");
  }
  if (std::fflush(stdout) != 0) return ReportProblem("cannot write to standard output");
  return summary.problems == 0 ? kExitOk : kExitDataProblem;
}
