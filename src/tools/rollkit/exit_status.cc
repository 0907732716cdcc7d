#include "tools/rollkit/exit_status.h"

#include <cstdio>

#include "tools/rollkit/terminal_text.h"

int ReportProblem(const std::string& message) {
  // A message may name what came from outside: a file name, a name recorded on a disk, a key.
  std::fprintf(stderr, "rollkit: %s\n", VisibleUtf8(message).c_str());
  return kExitDataProblem;
}
