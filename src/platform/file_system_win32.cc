// Files on Windows: UTF-8 paths through the wide-character API, handles that let other programs
// rename and remove a file while it is open (as on POSIX), positioned reads, and file identity by
// volume serial number and file index.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/file_system.h"
#include "platform/file_system_win32.h"
#include "platform/wide_path_win32.h"

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Information classes of Windows 10 1709 and later, which the compiler's headers name only for a
// _WIN32_WINNT spelled in another scheme.
constexpr auto kFileDispositionInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);
constexpr auto kFileRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);

bool MissingError(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:
    case ERROR_NOT_READY:  // a drive without its disk
      return true;
    default:
      return false;
  }
}

// The device namespace ("\\.\COM1", "\\.\pipe\name"): opened even with no access asked for, a
// pipe would take one of its server's connections. Never opened to be looked at.
bool DeviceNamespace(const std::wstring& path) { return path.rfind(L"\\\\.\\", 0) == 0; }

// Opens what stands at `path` with no access asked for, which neither blocks nor has effects:
// enough to ask what it is and which file it is. Follows links unless told not to.
HANDLE OpenToLookAt(const std::wstring& path, bool followLinks = true) {
  return CreateFileW(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT), nullptr);
}

std::int64_t Nanoseconds(const LARGE_INTEGER& fileTime) { return fileTime.QuadPart * 100; }

}  // namespace

bool DeletePending(HANDLE h) {
  FILE_STANDARD_INFO standard;
  return GetFileInformationByHandleEx(h, FileStandardInfo, &standard, sizeof standard) && standard.DeletePending;
}

FileKind KindOfHandle(HANDLE h) {
  switch (GetFileType(h)) {
    case FILE_TYPE_DISK: {
      // Removed while another program still holds it open: gone, though its name lingers.
      if (DeletePending(h)) return FileKind::kMissing;
      FILE_BASIC_INFO basic;
      if (!GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic)) return FileKind::kUnknown;
      if (basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) return FileKind::kDirectory;
      if (basic.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return FileKind::kSymlink;
      return FileKind::kRegular;
    }
    case FILE_TYPE_CHAR:
      return FileKind::kDevice;
    case FILE_TYPE_PIPE:
      return FileKind::kFifo;
    default:
      return FileKind::kOther;
  }
}

FileIdentity IdentityOfPathHandle(HANDLE h) {
  if (GetFileType(h) != FILE_TYPE_DISK || DeletePending(h)) return {};
  return IdentityOfHandle(h);
}

FileIdentity IdentityOfHandle(HANDLE h) {
  BY_HANDLE_FILE_INFORMATION info;
  FILE_BASIC_INFO basic;
  if (h == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(h, &info) ||
      !GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic)) {
    return {};
  }
  FileIdentity id;
  id.device = info.dwVolumeSerialNumber;
  id.file = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  id.size = static_cast<std::int64_t>((static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
  id.modified = Nanoseconds(basic.LastWriteTime);
  id.changed = Nanoseconds(basic.ChangeTime);
  id.known = true;
  return id;
}

std::int64_t PositionedRead(HANDLE h, std::int64_t offset, void* out, std::size_t size) {
  if (h == INVALID_HANDLE_VALUE || offset < 0) return -1;
  auto* bytes = static_cast<unsigned char*>(out);
  std::size_t got = 0;
  while (got < size) {
    const std::uint64_t at = static_cast<std::uint64_t>(offset) + got;
    OVERLAPPED where{};
    where.Offset = static_cast<DWORD>(at);
    where.OffsetHigh = static_cast<DWORD>(at >> 32);
    const std::size_t left = size - got;
    const DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
    DWORD n = 0;
    if (!ReadFile(h, bytes + got, chunk, &n, &where)) {
      if (GetLastError() == ERROR_HANDLE_EOF) break;
      return got > 0 ? static_cast<std::int64_t>(got) : -1;
    }
    if (n == 0) break;
    got += n;
  }
  return static_cast<std::int64_t>(got);
}

bool PositionedWrite(HANDLE h, std::int64_t offset, const void* data, std::size_t size) {
  if (h == INVALID_HANDLE_VALUE || offset < 0) return false;
  const auto* bytes = static_cast<const unsigned char*>(data);
  std::size_t done = 0;
  while (done < size) {
    const std::uint64_t at = static_cast<std::uint64_t>(offset) + done;
    OVERLAPPED where{};
    where.Offset = static_cast<DWORD>(at);
    where.OffsetHigh = static_cast<DWORD>(at >> 32);
    const std::size_t left = size - done;
    const DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
    DWORD n = 0;
    if (!WriteFile(h, bytes + done, chunk, &n, &where) || n == 0) return false;
    done += n;
  }
  return true;
}

const char* DescribeFileKind(FileKind kind) {
  switch (kind) {
    case FileKind::kMissing: return "missing";
    case FileKind::kRegular: return "a regular file";
    case FileKind::kDirectory: return "a directory";
    case FileKind::kFifo: return "a pipe";
    case FileKind::kSocket: return "a socket";
    case FileKind::kDevice: return "a device";
    case FileKind::kSymlink: return "a link";
    case FileKind::kOther: return "not a regular file";
    case FileKind::kUnknown: return "not accessible";
  }
  return "not a regular file";
}

OpenStatus ReadOnlyFile::Open(const std::string& path, FileKind* kind) {
  Close();
  FileKind ignored;
  FileKind& what = kind ? *kind : ignored;
  // Looked at before it is opened for reading: a device (CON, a serial port) may wait for input
  // or answer to being opened.
  what = KindOfPath(path);
  if (what == FileKind::kMissing) return OpenStatus::kMissing;
  if (what == FileKind::kUnknown) return OpenStatus::kUnreadable;
  if (what != FileKind::kRegular) return OpenStatus::kNotRegular;
  const std::wstring wide = WidePath(path.c_str());
  HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return MissingError(GetLastError()) ? OpenStatus::kMissing : OpenStatus::kUnreadable;
  what = KindOfHandle(h);
  if (what == FileKind::kMissing) {
    CloseHandle(h);
    return OpenStatus::kMissing;
  }
  LARGE_INTEGER size;
  if (what != FileKind::kRegular || !GetFileSizeEx(h, &size)) {
    CloseHandle(h);
    return what != FileKind::kRegular ? OpenStatus::kNotRegular : OpenStatus::kUnreadable;
  }
  handle = reinterpret_cast<std::intptr_t>(h);
  fileSize = static_cast<std::int64_t>(size.QuadPart);
  return OpenStatus::kOk;
}

void ReadOnlyFile::Close() {
  if (handle != -1) CloseHandle(reinterpret_cast<HANDLE>(handle));
  handle = -1;
  fileSize = -1;
  image.reset();
  extent.reset();
}

std::int64_t ReadOnlyFile::ReadAt(std::int64_t offset, void* out, std::size_t size) const {
  if (image) return WindowRead(offset, out, size);
  return PositionedRead(reinterpret_cast<HANDLE>(handle), offset, out, size);
}

FileIdentity ReadOnlyFile::Identity() const {
  if (image) return WindowIdentity();
  return handle == -1 ? FileIdentity{} : IdentityOfHandle(reinterpret_cast<HANDLE>(handle));
}

FileKind KindOfPath(const std::string& path) {
  const std::wstring wide = WidePath(path.c_str());
  if (wide.empty()) return FileKind::kMissing;
  if (DeviceNamespace(wide)) return FileKind::kDevice;
  HANDLE h = OpenToLookAt(wide);
  if (h == INVALID_HANDLE_VALUE) return MissingError(GetLastError()) ? FileKind::kMissing : FileKind::kUnknown;
  const FileKind kind = KindOfHandle(h);
  CloseHandle(h);
  return kind;
}

bool RegularFileReadable(const std::string& path) {
  // Windows has no cheaper test of read access than the open itself, which never blocks here.
  ReadOnlyFile file;
  return file.Open(path) == OpenStatus::kOk;
}

FileIdentity IdentityOfPath(const std::string& path) {
  const std::wstring wide = WidePath(path.c_str());
  if (wide.empty() || DeviceNamespace(wide)) return {};
  HANDLE h = OpenToLookAt(wide);
  if (h == INVALID_HANDLE_VALUE) return {};
  const FileIdentity id = IdentityOfPathHandle(h);
  CloseHandle(h);
  return id;
}

bool PathNamesFile(const std::string& path, const FileIdentity& identity) {
  return identity.known && IdentityOfPath(path).SameFile(identity);
}

// Names on Windows file systems are compared without regard to case already.
std::string ResolveDataFile(const std::string& path) { return path; }

bool CreateNewFile(const std::string& path, std::string_view bytes) {
  const std::wstring wide = WidePath(path.c_str());
  if (wide.empty()) return false;
  HANDLE h = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool whole = PositionedWrite(h, 0, bytes.data(), bytes.size());
  const bool closed = CloseHandle(h) != 0;
  if (!whole || !closed) DeleteFileW(wide.c_str());
  return whole && closed;
}

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
  HANDLE h = CreateFileW(wide.c_str(), access, kShareAll, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    errno = MissingError(GetLastError()) ? ENOENT : EACCES;
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

bool RenameReplacing(const char* from, const char* to) {
  const std::wstring wideFrom = WidePath(from);
  const std::wstring wideTo = WidePath(to);
  if (wideFrom.empty() || wideTo.empty()) return false;
  // With POSIX semantics (Windows 10 1809 and later, on NTFS) the file replaced may still be open
  // in another program, which goes on reading the old one, as on POSIX. Elsewhere a plain
  // replacing move, which fails over a file that is open.
  HANDLE h = CreateFileW(wideFrom.c_str(), DELETE | SYNCHRONIZE, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    const std::size_t bytes = sizeof(FILE_RENAME_INFO) + wideTo.size() * sizeof(wchar_t);
    std::string buffer(bytes, '\0');
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->Flags = FILE_RENAME_FLAG_REPLACE_IF_EXISTS | FILE_RENAME_FLAG_POSIX_SEMANTICS;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(wideTo.size() * sizeof(wchar_t));
    std::memcpy(info->FileName, wideTo.c_str(), info->FileNameLength);
    const bool renamed = SetFileInformationByHandle(h, kFileRenameInfoEx, info, static_cast<DWORD>(bytes)) != 0;
    CloseHandle(h);
    if (renamed) return true;
  }
  return MoveFileExW(wideFrom.c_str(), wideTo.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool RemoveFile(const char* path) {
  const std::wstring wide = WidePath(path);
  if (wide.empty()) return false;
  // POSIX semantics where the system has them: the name goes at once even while the file is open.
  HANDLE h = CreateFileW(wide.c_str(), DELETE, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    FILE_DISPOSITION_INFO_EX disposition{FILE_DISPOSITION_FLAG_DELETE | FILE_DISPOSITION_FLAG_POSIX_SEMANTICS};
    const bool removed = SetFileInformationByHandle(h, kFileDispositionInfoEx, &disposition, sizeof disposition) != 0;
    CloseHandle(h);
    if (removed) return true;
  }
  return DeleteFileW(wide.c_str()) != 0;
}
