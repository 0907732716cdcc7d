// This machine's and this process's part of temporary names, on Windows.
#include <windows.h>

#include "platform/temporary_name.h"
#include "platform/wide_path_win32.h"

std::string TemporaryHost() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  if (!GetComputerNameW(name, &size) || size == 0) return "localhost";
  std::string host = Utf8FromWide(name, size);
  for (char& c : host) {
    if (c == '/' || c == '\\' || c == '@') c = '_';
  }
  return host;
}

std::string OwnTemporaryName(const std::string& name) {
  return TemporaryName(name, GetCurrentProcessId(), TemporaryHost());
}
