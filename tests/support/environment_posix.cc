#include <sys/stat.h>

#include <cstdlib>

#include "support/environment.h"

const char* const kTempDirectoryVariable = "TMPDIR";
const char* const kUserSettingsVariable = "XDG_CONFIG_HOME";
const char* const kUserCacheVariable = "XDG_CACHE_HOME";
const char* const kUserDataVariable = "XDG_DATA_HOME";
const char* const kUserNameVariable = "USER";

bool MakeFifo(const std::string& path) { return mkfifo(path.c_str(), 0600) == 0; }

void SetEnvironment(const char* name, const char* value) {
  if (value) {
    setenv(name, value, 1);
  } else {
    unsetenv(name);
  }
}
