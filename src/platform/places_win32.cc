#include <windows.h>
#include <shlobj.h>

#include "platform/places.h"
#include "platform/wide_path_win32.h"

namespace {

// The wide environment and API are the system's own; the C library's narrow copies are in the
// ANSI code page, which cannot hold every name.
std::wstring WideName(const char* ascii) {
  std::wstring wide;
  for (const char* c = ascii; *c; ++c) wide += static_cast<wchar_t>(static_cast<unsigned char>(*c));
  return wide;
}

std::string ProgramDirectory() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::string() : Utf8FromWide(path.substr(0, slash));
}

std::string KnownFolder(const KNOWNFOLDERID& id) {
  PWSTR path = nullptr;
  std::string result;
  if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path)) && path) result = Utf8FromWide(path, wcslen(path));
  CoTaskMemFree(path);
  return result;
}

}  // namespace

std::optional<std::string> EnvironmentValue(const char* name) {
  const std::wstring wideName = WideName(name);
  SetLastError(ERROR_SUCCESS);  // a variable set to "" answers 0 without an error of its own
  const DWORD need = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
  if (need == 0) {
    if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
    return std::string();
  }
  std::wstring value(need, L'\0');
  const DWORD got = GetEnvironmentVariableW(wideName.c_str(), value.data(), need);
  if (got >= need) return std::nullopt;  // changed between the two calls
  value.resize(got);
  return Utf8FromWide(value);
}

std::vector<std::string> ProfileDirectories() {
  std::vector<std::string> dirs;
  wchar_t windows[MAX_PATH];
  const UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
  if (n > 0 && n < MAX_PATH) dirs.push_back(Utf8FromWide(windows, n));
  if (std::string program = ProgramDirectory(); !program.empty()) dirs.push_back(program);
  if (std::string roaming = KnownFolder(FOLDERID_RoamingAppData); !roaming.empty()) dirs.push_back(roaming);
  return dirs;
}

std::string UserSettingsDirectory() {
  // As the environment names it (so that a test or a portable setup may move it), else where the
  // system keeps it.
  if (std::optional<std::string> named = EnvironmentValue("LOCALAPPDATA"); named && !named->empty()) return *named;
  return KnownFolder(FOLDERID_LocalAppData);
}

std::string UserDataDirectory() {
  std::string roaming;
  if (std::optional<std::string> named = EnvironmentValue("APPDATA"); named && !named->empty()) {
    roaming = *named;
  } else {
    roaming = KnownFolder(FOLDERID_RoamingAppData);
  }
  return roaming.empty() ? std::string() : JoinPath(roaming, "Dravenholt");
}

std::string UserCacheDirectory() { return UserSettingsDirectory(); }

std::string JoinPath(const std::string& directory, const char* name) {
  if (directory.empty() || directory.back() == '\\' || directory.back() == '/') return directory + name;
  return directory + '\\' + name;
}
