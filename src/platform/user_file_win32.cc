#include <windows.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/user_file.h"
#include "platform/wide_path_win32.h"

// The user's application data is private to the user already; there is no other owner to tell
// apart, so a regular file there is the user's own.
UserFileCheck CheckUserFile(const std::string& path, std::size_t headerBytes) {
  UserFileCheck check;
  ReadOnlyFile file;
  FileKind kind = FileKind::kMissing;
  const OpenStatus status = file.Open(path, &kind);
  check.kind = kind;
  switch (status) {
    case OpenStatus::kMissing:
      check.status = UserFileStatus::kMissing;
      return check;
    case OpenStatus::kNotRegular:
      check.status = UserFileStatus::kNotRegular;
      return check;
    case OpenStatus::kUnreadable:
      check.status = UserFileStatus::kUnreadable;
      check.error = EACCES;
      return check;
    case OpenStatus::kOk:
      break;
  }
  check.status = UserFileStatus::kOk;
  check.identity = file.Identity();
  check.header.resize(headerBytes);
  const std::int64_t got = file.ReadAt(0, check.header.data(), headerBytes);
  check.header.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return check;
}

FileKind KindAtPath(const std::string& path) {
  const std::wstring wide = WidePath(path.c_str());
  if (wide.empty()) return FileKind::kMissing;
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileKind::kMissing
                                                                          : FileKind::kUnknown;
  }
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return FileKind::kSymlink;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return FileKind::kDirectory;
  return KindOfPath(path);
}

bool MakePrivateDirectories(const std::string& directory, std::string* error) {
  std::error_code ec;
  const std::u8string utf8(reinterpret_cast<const char8_t*>(directory.data()), directory.size());
  std::filesystem::create_directories(std::filesystem::path(utf8), ec);
  if (ec) {
    *error = directory + ": " + ec.message();
    return false;
  }
  if (KindOfPath(directory) != FileKind::kDirectory) {
    *error = directory + ": not a directory";
    return false;
  }
  return true;
}

bool CreatePrivateFile(const std::string& path, std::string* error) {
  if (CreateNewFile(path, {})) return true;
  *error = path + ": cannot be created";
  return false;
}

std::string SystemErrorText(int error) { return std::strerror(error); }
