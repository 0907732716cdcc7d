#include "support/scoped_env.h"

#include <cstdlib>

void ScopedEnv::Set(const char* name, const char* value) {
  const char* old = std::getenv(name);
  saved.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
  if (value) {
    setenv(name, value, 1);
  } else {
    unsetenv(name);
  }
}

ScopedEnv::~ScopedEnv() {
  for (auto it = saved.rbegin(); it != saved.rend(); ++it) {
    if (it->second) {
      setenv(it->first.c_str(), it->second->c_str(), 1);
    } else {
      unsetenv(it->first.c_str());
    }
  }
}
