// The user's own files on Windows: the local application data folder is the user's by its
// access rules, so ownership is not asked again; links (reparse points) are never read through.
#include <windows.h>

#include <algorithm>
#include <cwchar>

#include "platform/private_file.h"
#include "platform/signal_cleanup.h"
#include "platform/temporary_name.h"
#include "platform/wide_path_win32.h"

namespace {

std::string Reason(DWORD error) { return "system error " + std::to_string(error); }

std::int64_t Nanoseconds(const FILETIME& t) {
  const std::int64_t ticks = (static_cast<std::int64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  return ticks * 100;
}

}  // namespace

bool MakePrivateDirectory(const std::string& path, std::string* error) {
  if (path.empty()) return *error = "no directory", false;
  for (std::size_t at = 1; at <= path.size(); ++at) {
    if (at != path.size() && path[at] != '/' && path[at] != '\\') continue;
    const std::string part = path.substr(0, at);
    if (part.size() <= 3 && part.find(':') != std::string::npos) continue;  // "C:" or "C:\"
    const std::wstring wide = WidePath(part.c_str());
    if (!CreateDirectoryW(wide.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
      return *error = part + ": cannot create: " + Reason(GetLastError()), false;
    }
  }
  const DWORD attributes = GetFileAttributesW(WidePath(path.c_str()).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
      (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    return *error = path + ": not a directory of its own", false;
  }
  return true;
}

PrivateFileStatus OpenPrivateFile(const std::string& path, ReadOnlyFile* file, std::string* why) {
  file->Close();
  std::string ignored;
  std::string& reason = why ? *why : ignored;
  const DWORD attributes = GetFileAttributesW(WidePath(path.c_str()).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    reason = missing ? "missing" : Reason(error);
    return missing ? PrivateFileStatus::kMissing : PrivateFileStatus::kUnreadable;
  }
  if (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) {
    reason = attributes & FILE_ATTRIBUTE_REPARSE_POINT ? "a symbolic link" : "not a regular file";
    return PrivateFileStatus::kNotRegular;
  }
  if (file->Open(path) != OpenStatus::kOk) {
    reason = "cannot be opened";
    return PrivateFileStatus::kUnreadable;
  }
  return PrivateFileStatus::kOk;
}

bool WritePrivateFile(const std::string& path, std::string_view bytes, std::string* error) {
  const std::size_t slash = path.find_last_of("/\\");
  const std::string directory = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::string temporary = directory + OwnTemporaryName(name);
  const int ticket = RegisterCleanup(temporary, CleanupKind::kFile);
  if (ticket < 0) return *error = path + ": cannot create: the path is too long", false;
  const std::wstring wideTemporary = WidePath(temporary.c_str());
  HANDLE h = CreateFileW(wideTemporary.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                         CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    *error = path + ": cannot create: " + Reason(GetLastError());
    UnregisterCleanup(ticket);
    return false;
  }
  bool ok = true;
  for (std::size_t done = 0; done < bytes.size() && ok;) {
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    DWORD wrote = 0;
    ok = WriteFile(h, bytes.data() + done, want, &wrote, nullptr) && wrote > 0;
    done += wrote;
  }
  if (!ok) *error = path + ": write error: " + Reason(GetLastError());
  ok = CloseHandle(h) && ok;
  if (ok && !MoveFileExW(wideTemporary.c_str(), WidePath(path.c_str()).c_str(), MOVEFILE_REPLACE_EXISTING)) {
    *error = path + ": cannot be replaced: " + Reason(GetLastError());
    ok = false;
  }
  if (!ok) DeleteFileW(wideTemporary.c_str());
  UnregisterCleanup(ticket);
  return ok;
}

std::vector<PrivateFileEntry> ListPrivateFiles(const std::string& directory, std::string_view suffix) {
  std::vector<PrivateFileEntry> files;
  std::string pattern = directory;
  if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/') pattern += '\\';
  pattern += '*';
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileW(WidePath(pattern.c_str()).c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return files;
  do {
    if (found.dwFileAttributes &
        (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE))
      continue;
    const std::string name = Utf8FromWide(found.cFileName, wcslen(found.cFileName));
    if (name.size() < suffix.size() || std::string_view(name).substr(name.size() - suffix.size()) != suffix)
      continue;
    const std::int64_t size = (static_cast<std::int64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    files.push_back({name, size, Nanoseconds(found.ftLastWriteTime)});
  } while (FindNextFileW(h, &found));
  FindClose(h);
  return files;
}

void TouchPrivateFile(const std::string& path) {
  HANDLE h = CreateFileW(WidePath(path.c_str()).c_str(), FILE_WRITE_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  SetFileTime(h, nullptr, nullptr, &now);
  CloseHandle(h);
}

bool RemovePrivateFile(const std::string& path) { return DeleteFileW(WidePath(path.c_str()).c_str()) != 0; }
