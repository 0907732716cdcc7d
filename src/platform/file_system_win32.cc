// Files on Windows: UTF-8 paths through the wide-character API, streams over handles that let
// other programs rename and remove the file while it is open (as on POSIX), 64-bit positions,
// and file identity by volume serial number and file index.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/file_system.h"
#include "platform/wide_path_win32.h"

namespace {

HANDLE HandleOf(std::FILE* f) {
  const int fd = _fileno(f);
  if (fd < 0) return INVALID_HANDLE_VALUE;
  return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

void SetErrnoFromLastError() {
  switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_NOT_READY:  // an empty drive
      errno = ENOENT;
      break;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      errno = EACCES;
      break;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      errno = EEXIST;
      break;
    default:
      errno = EIO;
  }
}

}  // namespace

FileHandle OpenFile(const char* path, const char* mode) {
  const std::wstring wide = WidePath(path);
  if (wide.empty() || !mode || !*mode) {
    errno = ENOENT;
    return nullptr;
  }
  const bool update = std::strchr(mode, '+') != nullptr;
  const bool binary = std::strchr(mode, 'b') != nullptr;
  DWORD access = 0;
  DWORD disposition = 0;
  int flags = binary ? _O_BINARY : _O_TEXT;
  switch (mode[0]) {
    case 'r':
      access = GENERIC_READ | (update ? GENERIC_WRITE : 0);
      disposition = OPEN_EXISTING;
      flags |= update ? _O_RDWR : _O_RDONLY;
      break;
    case 'w':
      access = GENERIC_WRITE | (update ? GENERIC_READ : 0);
      disposition = CREATE_ALWAYS;
      flags |= update ? _O_RDWR : _O_WRONLY;
      break;
    case 'a':
      access = FILE_APPEND_DATA | (update ? GENERIC_READ : 0);
      disposition = OPEN_ALWAYS;
      flags |= _O_APPEND | (update ? _O_RDWR : _O_WRONLY);
      break;
    default:
      errno = EINVAL;
      return nullptr;
  }
  // Shared for deletion too: the user may remove or replace a file we hold open, as on POSIX.
  HANDLE h = CreateFileW(wide.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    SetErrnoFromLastError();
    return nullptr;
  }
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), flags);
  if (fd < 0) {
    CloseHandle(h);
    errno = EMFILE;
    return nullptr;
  }
  std::FILE* f = _fdopen(fd, mode);
  if (!f) {
    _close(fd);
    return nullptr;
  }
  return FileHandle(f);
}

// Names on Windows file systems are compared without regard to case already, so no second look
// is needed. What opens must be a file on a disk: a device name (NUL, CON, COM1, in any
// directory) opens the device, a pipe name a pipe; neither is roll data.
FileHandle OpenDataFile(const char* path, const char* mode) {
  FileHandle f = OpenFile(path, mode);
  if (f && GetFileType(HandleOf(f.get())) != FILE_TYPE_DISK) {
    errno = EINVAL;
    return nullptr;
  }
  return f;
}

bool RenameReplacing(const char* from, const char* to) {
  const std::wstring wideFrom = WidePath(from);
  const std::wstring wideTo = WidePath(to);
  if (wideFrom.empty() || wideTo.empty()) return false;
  return MoveFileExW(wideFrom.c_str(), wideTo.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool RemoveFile(const char* path) {
  const std::wstring wide = WidePath(path);
  return !wide.empty() && DeleteFileW(wide.c_str()) != 0;
}

std::int64_t StreamSize(std::FILE* f) {
  if (!f || _fseeki64(f, 0, SEEK_END) != 0) return -1;
  const __int64 end = _ftelli64(f);
  return end < 0 ? -1 : static_cast<std::int64_t>(end);
}

std::int64_t FileSize(std::FILE* f) {
  if (!f) return -1;
  LARGE_INTEGER size;
  const HANDLE h = HandleOf(f);
  if (h == INVALID_HANDLE_VALUE || !GetFileSizeEx(h, &size)) return -1;
  return static_cast<std::int64_t>(size.QuadPart);
}

std::int64_t StreamPosition(std::FILE* f) {
  if (!f) return -1;
  const __int64 p = _ftelli64(f);
  return p < 0 ? -1 : static_cast<std::int64_t>(p);
}

namespace {

FileIdentity IdentityOfHandle(HANDLE h) {
  BY_HANDLE_FILE_INFORMATION info;
  if (h == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(h, &info)) return {};
  return {info.dwVolumeSerialNumber,
          (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow, true};
}

}  // namespace

FileIdentity IdentityOf(std::FILE* f) { return f ? IdentityOfHandle(HandleOf(f)) : FileIdentity{}; }

bool PathNamesFile(const char* path, const FileIdentity& identity) {
  if (!identity.known) return false;
  const std::wstring wide = WidePath(path);
  if (wide.empty()) return false;
  // No access asked for: only the file's identity is read. Directories open too, and differ.
  HANDLE h = CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const FileIdentity now = IdentityOfHandle(h);
  CloseHandle(h);
  return now.known && now.device == identity.device && now.file == identity.file;
}

std::int64_t ReadAt(std::FILE* f, std::int64_t offset, void* out, std::size_t size) {
  if (!f || offset < 0) return -1;
  const HANDLE h = HandleOf(f);
  if (h == INVALID_HANDLE_VALUE) return -1;
  // A read at an offset moves a synchronous handle's file pointer, which the stream relies on
  // for its next refill: put it back where it stood.
  LARGE_INTEGER zero{};
  LARGE_INTEGER kept;
  if (!SetFilePointerEx(h, zero, &kept, FILE_CURRENT)) return -1;
  auto* bytes = static_cast<unsigned char*>(out);
  std::size_t got = 0;
  bool failed = false;
  while (got < size) {
    const std::uint64_t at = static_cast<std::uint64_t>(offset) + got;
    OVERLAPPED where{};
    where.Offset = static_cast<DWORD>(at);
    where.OffsetHigh = static_cast<DWORD>(at >> 32);
    const std::size_t left = size - got;
    const DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
    DWORD n = 0;
    if (!ReadFile(h, bytes + got, chunk, &n, &where)) {
      failed = GetLastError() != ERROR_HANDLE_EOF;
      break;
    }
    if (n == 0) break;
    got += n;
  }
  SetFilePointerEx(h, kept, nullptr, FILE_BEGIN);
  return failed ? -1 : static_cast<std::int64_t>(got);
}

bool SeekTo(std::FILE* f, std::int64_t offset) {
  if (!f || offset < 0) return false;
  return _fseeki64(f, offset, SEEK_SET) == 0;
}
