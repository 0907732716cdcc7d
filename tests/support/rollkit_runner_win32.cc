// Starting rollkit on Windows: CreateProcess with inherited handles for the three streams. The
// limits and the other user have no counterpart here; the tests that ask for them are POSIX-only.
#include <windows.h>

#include <map>
#include <mutex>

#include "support/rollkit_runner.h"
#include "support/child_process_win32.h"

namespace {

// Started processes by id, so that their exit codes outlive them until waited for.
std::mutex g_startedMutex;
std::map<pid_t, HANDLE> g_started;

HANDLE OpenInherited(const std::string& path, DWORD access, DWORD disposition, bool append) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  const DWORD rights = append ? FILE_APPEND_DATA | SYNCHRONIZE : access;
  return CreateFileW(WideFromUtf8(path).c_str(), rights, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     &inherit, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

pid_t StartRollkit(const std::vector<std::string>& args, const RunOptions& options, const std::string& outPath,
                   const std::string& errPath) {
  const std::string outName = !options.output.empty() ? options.output : outPath.empty() ? "NUL" : outPath;
  HANDLE in = OpenInherited(options.input.empty() ? "NUL" : options.input, GENERIC_READ, OPEN_EXISTING, false);
  HANDLE out = OpenInherited(outName, GENERIC_WRITE, options.appendOutput ? OPEN_ALWAYS : CREATE_ALWAYS,
                             options.appendOutput);
  HANDLE err = OpenInherited(errPath.empty() ? "NUL" : errPath, GENERIC_WRITE, CREATE_ALWAYS, false);
  pid_t pid = -1;
  if (in != INVALID_HANDLE_VALUE && out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    std::wstring line = CommandLine(ROLLKIT_PATH, args);
    std::wstring block = EnvironmentBlock(options.environment);
    if (CreateProcessW(WideFromUtf8(ROLLKIT_PATH).c_str(), line.data(), nullptr, nullptr, TRUE,
                       CREATE_UNICODE_ENVIRONMENT, block.data(), nullptr, &startup,
                       &process)) {
      CloseHandle(process.hThread);
      pid = static_cast<pid_t>(process.dwProcessId);
      const std::lock_guard<std::mutex> lock(g_startedMutex);
      g_started[pid] = process.hProcess;
    }
  }
  for (HANDLE h : {in, out, err}) {
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  return pid;
}

RunResult WaitForRollkit(pid_t pid, int timeoutSeconds) {
  RunResult result;
  HANDLE process = nullptr;
  {
    const std::lock_guard<std::mutex> lock(g_startedMutex);
    const auto found = g_started.find(pid);
    if (found == g_started.end()) return result;
    process = found->second;
    g_started.erase(found);
  }
  if (WaitForSingleObject(process, static_cast<DWORD>(timeoutSeconds) * 1000) == WAIT_TIMEOUT) {
    TerminateProcess(process, 1);
    WaitForSingleObject(process, INFINITE);
    result.timedOut = true;
  }
  DWORD code = 0;
  if (!result.timedOut && GetExitCodeProcess(process, &code)) result.exitCode = ExitCodeOf(code);
  CloseHandle(process);
  return result;
}

bool EndedBeforeItRan(const RunResult& result) {
  return result.exitCode == -1 && !result.timedOut && result.out.empty() && result.err.empty();
}
