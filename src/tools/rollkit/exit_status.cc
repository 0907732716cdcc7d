#include "tools/rollkit/exit_status.h"

#include <cstdio>

int ReportProblem(const std::string& message) {
  std::fprintf(stderr, "rollkit: %s\n", message.c_str());
  return kExitDataProblem;
}
