// Windows has no signals to end a console program but console control events (Ctrl+C,
// Ctrl+Break, the console window closed, logoff, shutdown), delivered on a thread of their own,
// and unhandled exceptions. Both remove what is registered and let the process end as it would
// have. Being an ordinary thread, the handler may take a lock: SignalsHeld holds it.
#include "platform/signal_cleanup.h"

#include <windows.h>

#include <atomic>
#include <cstring>
#include <string>

#include "platform/file_system.h"
#include "platform/wide_path_win32.h"

namespace {

constexpr int kSlots = 16;
constexpr int kFree = 0;
constexpr int kFileSlot = 1;
constexpr int kDirectorySlot = 2;
constexpr int kClaimed = 3;  // being filled: the handler passes it by
constexpr std::size_t kLongestPath = 32768;

// A slot is claimed, filled, then marked in use; the handler reads only slots marked in use.
std::string g_paths[kSlots];
std::atomic<int> g_states[kSlots];
SRWLOCK g_held = SRWLOCK_INIT;
// SignalsHeld may nest (a run of renames held as a whole, each held again): the lock is taken by
// the outermost only.
thread_local int t_heldDepth = 0;
LPTOP_LEVEL_EXCEPTION_FILTER g_previousFilter = nullptr;
bool g_installed = false;

// Removes what a directory holds (one level) and the directory.
void EmptyAndRemoveDirectory(const std::string& path) {
  const std::wstring wide = WidePath(path.c_str());
  if (wide.empty()) return;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((wide + L"\\*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (std::wcscmp(found.cFileName, L".") == 0 || std::wcscmp(found.cFileName, L"..") == 0) continue;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      RemoveFile((path + "\\" + Utf8FromWide(found.cFileName)).c_str());
    } while (FindNextFileW(find, &found));
    FindClose(find);
  }
  RemoveDirectoryW(wide.c_str());
}

void RemoveRegistered() {
  for (int i = 0; i < kSlots; ++i) {
    if (g_states[i].load() == kFileSlot) {
      RemoveFile(g_paths[i].c_str());
      g_states[i] = kFree;
    }
  }
  for (int i = 0; i < kSlots; ++i) {
    if (g_states[i].load() == kDirectorySlot) {
      EmptyAndRemoveDirectory(g_paths[i]);
      g_states[i] = kFree;
    }
  }
}

BOOL WINAPI OnConsoleEvent(DWORD) {
  AcquireSRWLockExclusive(&g_held);
  RemoveRegistered();
  ReleaseSRWLockExclusive(&g_held);
  return FALSE;  // the next handler, in the end the system's, ends the process
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* exception) {
  RemoveRegistered();
  return g_previousFilter ? g_previousFilter(exception) : EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

void InstallSignalCleanup() {
  if (g_installed) return;
  g_installed = true;
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
  g_previousFilter = SetUnhandledExceptionFilter(OnUnhandledException);
}

int RegisterCleanup(const std::string& path, CleanupKind kind) {
  if (path.empty() || path.size() >= kLongestPath) return -1;
  for (int i = 0; i < kSlots; ++i) {
    // Claimed before the path is written, so that two threads registering at once never share a slot.
    int expected = kFree;
    if (!g_states[i].compare_exchange_strong(expected, kClaimed)) continue;
    g_paths[i] = path;
    g_states[i] = kind == CleanupKind::kFile ? kFileSlot : kDirectorySlot;
    return i;
  }
  return -1;
}

void UnregisterCleanup(int ticket) {
  if (ticket >= 0 && ticket < kSlots) g_states[ticket] = kFree;
}

SignalsHeld::SignalsHeld() : saved{} {
  if (t_heldDepth++ == 0) AcquireSRWLockExclusive(&g_held);
}

SignalsHeld::~SignalsHeld() {
  if (--t_heldDepth == 0) ReleaseSRWLockExclusive(&g_held);
}
