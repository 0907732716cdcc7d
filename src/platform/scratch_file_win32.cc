// Scratch files on Windows. The exclusive hold is the share mode: while one program has the file
// open, nobody else may open it for writing (others may still read it, and remove it, as on
// POSIX), so a second program that wants it is told it is busy. A file without a name is one the
// system deletes when its handle closes, however the program ends.
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "platform/file_system_win32.h"
#include "platform/scratch_file.h"
#include "platform/wide_path_win32.h"

namespace {

constexpr DWORD kOthersMayRead = FILE_SHARE_READ | FILE_SHARE_DELETE;

std::string WithSeparator(std::string path) {
  if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
  return path;
}

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

const char* DescribeRefusal(ScratchStatus status, FileKind kind) {
  switch (status) {
    case ScratchStatus::kNotOwned:
      return "another user's file";
    case ScratchStatus::kOpenToOthers:
      return "a file others may write";
    default:
      return DescribeFileKind(kind);
  }
}

// Only what stands at the name is judged. A file's owner and who may write it are an access
// list on Windows, not an owner and a mode: files made by an administrator belong to the
// Administrators group, and inherited entries grant what the folder grants, so judging them as
// POSIX judges a mode would refuse the user's own files. While the program holds its scratch file
// nobody else may open it for writing (the share mode), which is what matters between users.
ScratchStatus CheckOwnFile(const std::string& path, FileKind* kind) {
  const std::wstring wide = WidePath(path.c_str());
  if (wide.empty()) {
    *kind = FileKind::kUnknown;
    return ScratchStatus::kFailed;
  }
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    *kind = missing ? FileKind::kMissing : FileKind::kUnknown;
    return missing ? ScratchStatus::kOk : ScratchStatus::kFailed;
  }
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    *kind = FileKind::kSymlink;
    return ScratchStatus::kNotRegular;
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    *kind = FileKind::kDirectory;
    return ScratchStatus::kNotRegular;
  }
  *kind = FileKind::kRegular;
  return ScratchStatus::kOk;
}

// Permissions are the folder's access list on Windows (see CheckOwnFile): nothing to take away.
void KeepToOwner(const std::string&) {}

ScratchFile::~ScratchFile() { Close(); }

ScratchStatus ScratchFile::Open(const std::string& path, FileKind* kind) {
  Close();
  FileKind ignored;
  FileKind& what = kind ? *kind : ignored;
  const std::wstring wide = WidePath(path.c_str());
  if (wide.empty()) return ScratchStatus::kFailed;
  // What stands there, links not followed: only a plain file is used.
  if (CheckOwnFile(path, &what) == ScratchStatus::kNotRegular) return ScratchStatus::kNotRegular;
  HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, kOthersMayRead, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    return GetLastError() == ERROR_SHARING_VIOLATION ? ScratchStatus::kBusy : ScratchStatus::kFailed;
  }
  what = KindOfHandle(h);
  if (what != FileKind::kRegular) {
    CloseHandle(h);
    return ScratchStatus::kNotRegular;
  }
  handle = reinterpret_cast<std::intptr_t>(h);
  return ScratchStatus::kOk;
}

ScratchStatus ScratchFile::OpenAnonymous(const std::string& directory) {
  Close();
  if (directory.empty()) return ScratchStatus::kFailed;
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  unsigned long long seed = static_cast<unsigned long long>(counter.QuadPart) ^ (GetCurrentProcessId() * 0x9E3779B97F4A7C15ull);
  for (int attempt = 0; attempt < 100; ++attempt) {
    seed = seed * 6364136223846793005ull + 1442695040888963407ull;
    char name[40];
    wsprintfA(name, "dravenholt-%08lx.tmp", static_cast<unsigned long>(seed >> 32));
    const std::wstring wide = WidePath((WithSeparator(directory) + name).c_str());
    HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      handle = reinterpret_cast<std::intptr_t>(h);
      return ScratchStatus::kOk;
    }
    if (GetLastError() != ERROR_FILE_EXISTS) return ScratchStatus::kFailed;
  }
  return ScratchStatus::kFailed;
}

void ScratchFile::Close() {
  if (handle != -1) CloseHandle(AsHandle(handle));
  handle = -1;
}

bool ScratchFile::Truncate() {
  if (handle == -1) return false;
  FILE_END_OF_FILE_INFO end{};
  return SetFileInformationByHandle(AsHandle(handle), FileEndOfFileInfo, &end, sizeof end) != 0;
}

std::int64_t ScratchFile::Size() const {
  LARGE_INTEGER size;
  if (handle == -1 || !GetFileSizeEx(AsHandle(handle), &size)) return -1;
  return static_cast<std::int64_t>(size.QuadPart);
}

std::int64_t ScratchFile::ReadAt(std::int64_t offset, void* out, std::size_t size) const {
  return handle == -1 ? -1 : PositionedRead(AsHandle(handle), offset, out, size);
}

bool ScratchFile::WriteAt(std::int64_t offset, const void* data, std::size_t size) {
  return handle != -1 && PositionedWrite(AsHandle(handle), offset, data, size);
}

FileIdentity ScratchFile::Identity() const {
  return handle == -1 ? FileIdentity{} : IdentityOfHandle(AsHandle(handle));
}

std::string AnonymousFileDirectory() {
  // The user's own temporary directory ($TMP, else $TEMP, else the profile's).
  wchar_t temp[MAX_PATH + 1];
  const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
  if (n == 0 || n > MAX_PATH) return {};
  return WithSeparator(Utf8FromWide(temp, n));
}

std::string PerUserStateDirectory() {
  // %LOCALAPPDATA% as the environment names it (so a test or a portable setup may move it), else
  // where the system keeps it.
  std::string base;
  wchar_t named[MAX_PATH + 1];
  const DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", named, MAX_PATH + 1);
  if (n > 0 && n <= MAX_PATH) {
    base = Utf8FromWide(named, n);
  } else {
    PWSTR local = nullptr;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DEFAULT, nullptr, &local)) && local) {
      base = Utf8FromWide(local, wcslen(local));
    }
    CoTaskMemFree(local);
  }
  if (base.empty()) return {};
  const std::string directory = WithSeparator(base) + "Dravenholt";
  const std::wstring wide = WidePath(directory.c_str());
  if (!CreateDirectoryW(wide.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return {};
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
      (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    return {};
  }
  return directory + "\\";
}

// No file-size limit signal on Windows: a write past the disk's room fails with an error.
void IgnoreFileSizeLimitSignal() {}
