#include <windows.h>

#include "support/child_process_win32.h"
#include "support/full_disk.h"

const char* const kNoFullDiskHere = "no full disk can be played here";

namespace {

// Whether a write by another handle into the locked range is refused, as Windows does.
bool LocksAreEnforced(const std::string& path, long limit) {
  HANDLE writer = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (writer == INVALID_HANDLE_VALUE) return false;
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(limit);
  DWORD n = 0;
  const bool wrote = WriteFile(writer, "x", 1, &n, &at) && n == 1;
  if (wrote) {  // put the file back as it was
    LARGE_INTEGER size;
    size.QuadPart = limit;
    SetFilePointerEx(writer, size, nullptr, FILE_BEGIN);
    SetEndOfFile(writer);
  }
  CloseHandle(writer);
  return !wrote;
}

}  // namespace

std::string RunWithFullDisk(const std::string& path, long limit, const std::function<std::string()>& work) {
  // Read access is enough for a lock, and leaves the program free to open the file for writing.
  HANDLE h = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "cannot open " + path;
  OVERLAPPED from{};
  from.Offset = static_cast<DWORD>(limit);
  if (!LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD >> 1, &from)) {
    CloseHandle(h);
    return "cannot lock " + path;
  }
  if (!LocksAreEnforced(path, limit)) {
    UnlockFileEx(h, 0, MAXDWORD, MAXDWORD >> 1, &from);
    CloseHandle(h);
    return kNoFullDiskHere;
  }
  const std::string report = work();
  UnlockFileEx(h, 0, MAXDWORD, MAXDWORD >> 1, &from);
  CloseHandle(h);
  return report;
}
