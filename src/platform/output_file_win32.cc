// Output files on Windows. The temporary file is opened with delete sharing, so that the console
// event handler may remove it while it is being written; it replaces the old file through
// RenameReplacing. Symbolic links are rare on Windows and need a privilege to make: a path is
// taken as the file it names (a link there is replaced, not followed), so no link of another
// user's can lead a write elsewhere and the rules of output_file.h for following one do not
// arise.
#include "platform/output_file.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstring>

#include "platform/file_system_win32.h"
#include "platform/signal_cleanup.h"
#include "platform/temporary_name.h"
#include "platform/wide_path_win32.h"

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The system's error in the C library's words, as the messages on POSIX have them.
std::string Reason(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      return std::strerror(ENOENT);
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return std::strerror(EACCES);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return std::strerror(ENOSPC);
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return std::strerror(EEXIST);
    default:
      return "system error " + std::to_string(error);
  }
}


std::size_t LastSeparator(const std::string& path) { return path.find_last_of("/\\"); }

std::string BaseNameOf(const std::string& path) {
  const std::size_t slash = LastSeparator(path);
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string WithSeparator(const std::string& directory) {
  if (directory.empty() || directory.back() == '/' || directory.back() == '\\') return directory;
  return directory + kPathSeparator;
}

bool ProcessRuns(DWORD pid) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
  if (!process) return GetLastError() == ERROR_ACCESS_DENIED;  // there, but another user's
  const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return running;
}

void RemoveDirectoryAndEntries(const std::string& path) {
  const std::wstring wide = WidePath(path.c_str());
  if (wide.empty()) return;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((wide + L"\\*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      RemoveFile((WithSeparator(path) + Utf8FromWide(found.cFileName)).c_str());
    } while (FindNextFileW(find, &found));
    FindClose(find);
  }
  RemoveDirectoryW(wide.c_str());
}

FileIdentity IdentityOfStandard(DWORD which) {
  HANDLE h = GetStdHandle(which);
  if (h == nullptr || h == INVALID_HANDLE_VALUE || GetFileType(h) != FILE_TYPE_DISK) return {};
  return IdentityOfHandle(h);
}

// A stream over a handle, which it then owns; null (the handle closed) on failure.
std::FILE* StreamOf(HANDLE h) {
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
  if (fd < 0) {
    CloseHandle(h);
    return nullptr;
  }
  std::FILE* stream = _fdopen(fd, "wb");
  if (!stream) _close(fd);
  return stream;
}

}  // namespace

std::string FinalTargetOf(const std::string& path) { return path; }

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = LastSeparator(path);
  return slash == std::string::npos ? std::string(".") + kPathSeparator : path.substr(0, slash + 1);
}

FileIdentity StandardInputIdentity() { return IdentityOfStandard(STD_INPUT_HANDLE); }

FileIdentity StandardOutputIdentity() { return IdentityOfStandard(STD_OUTPUT_HANDLE); }

// --- OutputFile ---

bool SomethingStandsAt(const std::string& path) {
  const std::wstring wide = WidePath(path.c_str());
  if (wide.empty()) return true;
  if (GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  const DWORD error = GetLastError();
  return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

OutputFile::~OutputFile() { Abandon(); }

void OutputFile::Abandon() {
  if (stream) std::fclose(stream);
  stream = nullptr;
  if (!temporaryPath.empty()) RemoveFile(temporaryPath.c_str());
  UnregisterCleanup(ticket);
  ticket = -1;
  temporaryPath.clear();
}

bool OutputFile::Fail(const std::string& what, const std::string& reason, std::string* error) {
  failure = reason;
  *error = givenPath + ": " + (what.empty() ? reason : what + ": " + reason);
  return false;
}

bool OutputFile::Open(const std::string& path, std::string* error) {
  Abandon();
  givenPath = path;
  targetPath = FinalTargetOf(path);
  failure.clear();
  const FileKind kind = KindOfPath(targetPath);
  if (kind == FileKind::kDirectory) return Fail("", "a directory", error);
  if (kind != FileKind::kMissing && kind != FileKind::kRegular) {
    // A device (NUL, CON) or a pipe: written directly, as a redirection would.
    HANDLE h = CreateFileW(WidePath(targetPath.c_str()).c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return Fail("cannot be written", Reason(GetLastError()), error);
    if (!(stream = StreamOf(h))) return Fail("cannot be written", std::strerror(EMFILE), error);
    return true;
  }

  RemoveStaleTemporaries(DirectoryOf(targetPath));
  const std::string temporary = DirectoryOf(targetPath) + OwnTemporaryName(BaseNameOf(targetPath));
  ticket = RegisterCleanup(temporary, CleanupKind::kFile);
  const std::wstring wide = WidePath(temporary.c_str());
  if (ticket < 0 || wide.empty()) {
    UnregisterCleanup(ticket);
    ticket = -1;
    return Fail("cannot create", "the path is too long", error);
  }
  // The new file is made with the directory's inherited permissions, as a save over a file does.
  HANDLE h = CreateFileW(wide.c_str(), GENERIC_WRITE, kShareAll, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const std::string reason = Reason(GetLastError());
    UnregisterCleanup(ticket);
    ticket = -1;
    return Fail("cannot create", reason, error);
  }
  temporaryPath = temporary;
  stream = StreamOf(h);
  if (!stream) {
    Abandon();
    return Fail("cannot create", std::strerror(EMFILE), error);
  }
  return true;
}

bool OutputFile::Write(std::string_view bytes) {
  if (!stream) {
    failure = std::strerror(EBADF);
    return false;
  }
  if (bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size()) return true;
  failure = std::strerror(errno);
  return false;
}

bool OutputFile::Commit(std::string* error) {
  if (!stream) return Fail("", "not open", error);
  bool ok = true;
  std::string reason;
  if (std::fflush(stream) != 0) {
    ok = false;
    reason = std::strerror(errno);
  } else if (std::ferror(stream)) {
    ok = false;
    reason = failure.empty() ? std::string(std::strerror(errno)) : failure;
  }
  if (ok && !temporaryPath.empty()) {
    ok = FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)))) != 0;
    if (!ok) reason = Reason(GetLastError());
  }
  const bool closed = std::fclose(stream) == 0;
  if (ok && !closed) reason = std::strerror(errno);
  stream = nullptr;
  if (!ok || !closed) {
    Abandon();
    return Fail("write error", reason, error);
  }
  if (temporaryPath.empty()) return true;
  if (!RenameReplacing(temporaryPath.c_str(), targetPath.c_str())) {
    const std::string renameReason = Reason(GetLastError());
    Abandon();
    return Fail("cannot be replaced", renameReason, error);
  }
  temporaryPath.clear();
  UnregisterCleanup(ticket);
  ticket = -1;
  return true;
}

// --- StagingDirectory ---

StagingDirectory::~StagingDirectory() {
  if (!givenPath.empty()) RemoveDirectoryAndEntries(givenPath);
  UnregisterCleanup(ticket);
}

bool StagingDirectory::Create(const std::string& directory, const std::string& stem, std::string* error) {
  parentDirectory = WithSeparator(directory);
  const std::string path = parentDirectory + OwnTemporaryName(stem);
  ticket = RegisterCleanup(path, CleanupKind::kDirectory);
  const std::wstring wide = WidePath(path.c_str());
  if (ticket < 0 || wide.empty()) {
    *error = directory + ": the path is too long";
    UnregisterCleanup(ticket);
    ticket = -1;
    return false;
  }
  if (!CreateDirectoryW(wide.c_str(), nullptr)) {
    *error = directory + ": cannot create a file there: " + Reason(GetLastError());
    UnregisterCleanup(ticket);
    ticket = -1;
    return false;
  }
  givenPath = path + kPathSeparator;
  return true;
}

bool StagingDirectory::Publish(const std::vector<std::string>& names, std::string* error) {
  const SignalsHeld held;
  for (const std::string& name : names) {
    if (!RenameReplacing((givenPath + name).c_str(), (parentDirectory + name).c_str())) {
      *error = parentDirectory + name + ": cannot be replaced: " + Reason(GetLastError());
      return false;
    }
  }
  return true;
}

int RemoveStaleTemporaries(const std::string& directory) {
  const std::string parent = WithSeparator(directory.empty() ? std::string(".") : directory);
  const std::wstring wide = WidePath((parent + "*").c_str());
  if (wide.empty()) return 0;
  const std::string host = TemporaryHost();
  std::vector<std::string> stale;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW(wide.c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return 0;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
    const std::string name = Utf8FromWide(found.cFileName);
    const DWORD pid = OwnerOfTemporaryName(name, host);
    if (pid == 0 || pid == GetCurrentProcessId() || ProcessRuns(pid)) continue;
    stale.push_back(name);
  } while (FindNextFileW(find, &found));
  FindClose(find);
  int removed = 0;
  for (const std::string& name : stale) {
    const std::string path = parent + name;
    const FileKind kind = KindOfPath(path);
    if (kind == FileKind::kDirectory) {
      RemoveDirectoryAndEntries(path);
    } else if (kind == FileKind::kRegular) {
      RemoveFile(path.c_str());
    }
    if (KindOfPath(path) == FileKind::kMissing) ++removed;
  }
  return removed;
}
