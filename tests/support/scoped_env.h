// Sets environment variables for the life of the object and puts the old values back after.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

class ScopedEnv {
 public:
  ScopedEnv() = default;
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

  // `value` null: the variable is removed.
  void Set(const char* name, const char* value);

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved;
};
