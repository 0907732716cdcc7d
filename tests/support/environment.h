// The environment of the test process, and what differs in it between platforms.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

// Sets `name` to `value`, or removes it when `value` is null.
void SetEnvironment(const char* name, const char* value);

// The variable that names the temporary directory a program uses: TMPDIR on POSIX, TMP on
// Windows (GetTempPath looks at it first).
extern const char* const kTempDirectoryVariable;

// Sets variables for one scope and puts back what was there.
class ScopedEnvironment {
 public:
  ScopedEnvironment() = default;
  ScopedEnvironment(const char* name, const char* value) { Set(name, value); }
  ~ScopedEnvironment();
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
  void Set(const char* name, const char* value);

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};
