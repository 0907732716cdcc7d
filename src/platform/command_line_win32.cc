#include <windows.h>
#include <shellapi.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>

#include "platform/command_line.h"
#include "platform/wide_path_win32.h"

namespace {

UINT g_savedOutputCodePage = 0;

void RestoreConsoleCodePage() {
  if (g_savedOutputCodePage != 0) SetConsoleOutputCP(g_savedOutputCodePage);
}

}  // namespace

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) return {argv, argv + argc};
  std::vector<std::string> args;
  args.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) args.push_back(Utf8FromWide(wide[i], wcslen(wide[i])));
  LocalFree(wide);
  return args;
}

void UseBinaryStandardStreams() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  DWORD mode = 0;
  if (g_savedOutputCodePage == 0 && GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode)) {
    g_savedOutputCodePage = GetConsoleOutputCP();
    SetConsoleOutputCP(CP_UTF8);
    std::atexit(RestoreConsoleCodePage);
  }
}
