#include <cstdlib>

#include "support/environment.h"

const char* const kTempDirectoryVariable = "TMPDIR";

void SetEnvironment(const char* name, const char* value) {
  if (value) {
    setenv(name, value, 1);
  } else {
    unsetenv(name);
  }
}
