#include <windows.h>

#include <cstdlib>
#include <cwchar>
#include <string>

#include "platform/private_directory.h"
#include "platform/wide_path_win32.h"
#include "store/roll_format.h"

namespace {

// Paths the console handler removes, prepared beforehand. The handler runs on a thread of its
// own while the program goes on; the exchange makes the removal happen once.
constexpr std::size_t kMaxWidePath = 32768;
wchar_t g_directory[kMaxWidePath];
wchar_t g_filterBuffer[kMaxWidePath];
volatile LONG g_armed = 0;

void RemoveNow() {
  if (InterlockedExchange(&g_armed, 0) == 0) return;
  DeleteFileW(g_filterBuffer);
  RemoveDirectoryW(g_directory);
}

// Every console event: Ctrl+C, Ctrl+Break, the console window closed, logoff, shutdown.
// FALSE hands the event on to the system's handler, which ends the process as it would have.
BOOL WINAPI OnConsoleEvent(DWORD) {
  RemoveNow();
  return FALSE;
}

void InstallHandlers() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  std::atexit(RemoveNow);
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

}  // namespace

PrivateDirectory::PrivateDirectory() {
  wchar_t temp[MAX_PATH + 1];
  const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
  if (n == 0 || n > MAX_PATH) return;
  std::wstring base(temp, n);
  if (base.back() != L'\\') base += L'\\';

  // A name nobody else has: CreateDirectory fails on one that exists, so try others.
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  unsigned long long seed = static_cast<unsigned long long>(counter.QuadPart) ^ (GetCurrentProcessId() * 0x9E3779B97F4A7C15ull);
  std::wstring dir;
  for (int attempt = 0; attempt < 100 && dir.empty(); ++attempt) {
    seed = seed * 6364136223846793005ull + 1442695040888963407ull;
    wchar_t name[32];
    std::swprintf(name, 32, L"rollkit-%08lx", static_cast<unsigned long>(seed >> 32));
    std::wstring candidate = base + name;
    if (CreateDirectoryW(candidate.c_str(), nullptr)) {
      dir = candidate;
    } else if (GetLastError() != ERROR_ALREADY_EXISTS) {
      return;
    }
  }
  if (dir.empty()) return;
  const std::wstring buffer = dir + L'\\' + std::wstring(kFilterBufferFileName, kFilterBufferFileName + std::char_traits<char>::length(kFilterBufferFileName));
  if (buffer.size() >= kMaxWidePath) {
    RemoveDirectoryW(dir.c_str());
    return;
  }
  path_ = Utf8FromWide(dir) + '\\';
  wcscpy(g_directory, dir.c_str());
  wcscpy(g_filterBuffer, buffer.c_str());
  InstallHandlers();
  g_armed = 1;
}

PrivateDirectory::~PrivateDirectory() { RemoveNow(); }
