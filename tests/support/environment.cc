#include "support/environment.h"

#include "platform/places.h"

void ScopedEnvironment::Set(const char* name, const char* value) {
  saved_.emplace_back(name, EnvironmentValue(name));
  SetEnvironment(name, value);
}

ScopedEnvironment::~ScopedEnvironment() {
  for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
    SetEnvironment(it->first.c_str(), it->second ? it->second->c_str() : nullptr);
  }
}
