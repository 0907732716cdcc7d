#include <windows.h>

#include <cstdlib>
#include <string>

#include "support/environment.h"

const char* const kTempDirectoryVariable = "TMP";
const char* const kUserSettingsVariable = "LOCALAPPDATA";
const char* const kUserCacheVariable = "LOCALAPPDATA";
const char* const kUserDataVariable = "APPDATA";
const char* const kUserNameVariable = "USERNAME";

bool MakeFifo(const std::string&) { return false; }

namespace {

std::wstring Wide(const char* utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 1), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide.data(), n);
  wide.resize(wide.size() - 1);
  return wide;
}

}  // namespace

// Both the system's block (what the program under test reads) and the C library's copy.
void SetEnvironment(const char* name, const char* value) {
  _wputenv_s(Wide(name).c_str(), value ? Wide(value).c_str() : L"");
  SetEnvironmentVariableW(Wide(name).c_str(), value ? Wide(value).c_str() : nullptr);
}
