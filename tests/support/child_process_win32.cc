#include "support/child_process_win32.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>

#include "support/child_process.h"
#include "support/scoped_temp_dir.h"

std::wstring WideFromUtf8(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

namespace {

void AppendQuoted(const std::wstring& arg, std::wstring* line) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
    *line += arg;
    return;
  }
  *line += L'"';
  for (std::size_t i = 0;; ++i) {
    std::size_t backslashes = 0;
    while (i < arg.size() && arg[i] == L'\\') {
      ++i;
      ++backslashes;
    }
    if (i == arg.size()) {  // before the closing quote every backslash is doubled
      line->append(backslashes * 2, L'\\');
      break;
    }
    if (arg[i] == L'"') {  // before a quote too, and the quote escaped
      line->append(backslashes * 2 + 1, L'\\');
      *line += L'"';
    } else {
      line->append(backslashes, L'\\');
      *line += arg[i];
    }
  }
  *line += L'"';
}

std::wstring Upper(std::wstring s) {
  for (wchar_t& c : s) c = static_cast<wchar_t>(std::towupper(c));
  return s;
}

}  // namespace

std::wstring CommandLine(const std::string& program, const std::vector<std::string>& args) {
  std::wstring line;
  AppendQuoted(WideFromUtf8(program), &line);
  for (const std::string& a : args) {
    line += L' ';
    AppendQuoted(WideFromUtf8(a), &line);
  }
  return line;
}

std::wstring EnvironmentBlock(const std::map<std::string, std::string>& overrides) {
  std::map<std::wstring, std::wstring> byName;  // upper-cased name -> "Name=value"
  if (wchar_t* block = GetEnvironmentStringsW()) {
    for (const wchar_t* e = block; *e; e += wcslen(e) + 1) {
      const std::wstring entry(e);
      const std::size_t eq = entry.find(L'=', 1);  // "=C:=C:\dir" entries start with '='
      if (eq == std::wstring::npos) continue;
      byName[Upper(entry.substr(0, eq))] = entry;
    }
    FreeEnvironmentStringsW(block);
  }
  for (const auto& [name, value] : overrides) {
    const std::wstring wideName = WideFromUtf8(name);
    byName[Upper(wideName)] = wideName + L'=' + WideFromUtf8(value);
  }
  std::wstring result;
  for (const auto& [key, entry] : byName) {
    result += entry;
    result += L'\0';
  }
  result += L'\0';
  return result;
}

int ExitCodeOf(unsigned long code) { return code >= 0xC0000000ul ? -1 : static_cast<int>(code); }

RunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                     const std::map<std::string, std::string>& environment) {
  ScopedTempDir capture;
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  auto open = [&](const std::string& path, DWORD access, DWORD disposition) {
    return CreateFileW(WideFromUtf8(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                       disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  };
  HANDLE in = open("NUL", GENERIC_READ, OPEN_EXISTING);
  HANDLE out = open(capture.File("out"), GENERIC_WRITE, CREATE_ALWAYS);
  HANDLE err = open(capture.File("err"), GENERIC_WRITE, CREATE_ALWAYS);

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process{};
  std::wstring line = CommandLine(program, args);
  std::wstring block = EnvironmentBlock(environment);
  RunResult result;
  if (CreateProcessW(WideFromUtf8(program).c_str(), line.data(), nullptr, nullptr, TRUE,
                     CREATE_UNICODE_ENVIRONMENT, block.data(), nullptr, &startup, &process)) {
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    result.exitCode = ExitCodeOf(code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  for (HANDLE h : {in, out, err}) CloseHandle(h);
  result.out = ReadFileBytes(capture.File("out"));
  result.err = ReadFileBytes(capture.File("err"));
  return result;
}
