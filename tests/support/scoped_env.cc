#include "support/scoped_env.h"

#include "platform/places.h"
#include "support/environment.h"

void ScopedEnv::Set(const char* name, const char* value) {
  saved.emplace_back(name, EnvironmentValue(name));
  SetEnvironment(name, value);
}

ScopedEnv::~ScopedEnv() {
  for (auto it = saved.rbegin(); it != saved.rend(); ++it) {
    SetEnvironment(it->first.c_str(), it->second ? it->second->c_str() : nullptr);
  }
}
