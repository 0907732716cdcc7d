// rollkit ended halfway through its output on Windows, by Ctrl+Break, by TerminateProcess (which
// nothing can catch) or by the reader of its output going away (as with `rollkit search ... |
// more` left early), leaves nothing behind: its filter buffer is a file the system deletes when
// the last handle to it closes, however the program ends.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "many_smiths.h"
#include "session_checks.h"
#include "support/child_process_win32.h"
#include "support/environment.h"

namespace {

constexpr DWORD kStatusControlCExit = 0xC000013A;

class RollkitInterrupted : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteManySmiths(data.Prefix());
    ASSERT_TRUE(MakeDirectory(tmp));
    // Console events reach the processes of one console: make sure there is one to share.
    AllocConsole();
  }

  // Starts rollkit in a process group of its own (so that Ctrl+Break can be sent to it alone),
  // standard output into a pipe whose read end stays here.
  void Start(const std::vector<std::string>& args) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE writeEnd = nullptr;
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, &inherit, 65536));
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    HANDLE null = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                              OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = null;
    startup.hStdOutput = writeEnd;
    startup.hStdError = null;
    std::wstring line = CommandLine(ROLLKIT_PATH, args);
    std::wstring block = EnvironmentBlock({{kTempDirectoryVariable, tmp}});
    const BOOL started = CreateProcessW(WideFromUtf8(ROLLKIT_PATH).c_str(), line.data(), nullptr, nullptr, TRUE,
                                        CREATE_UNICODE_ENVIRONMENT | CREATE_NEW_PROCESS_GROUP, block.data(), nullptr,
                                        &startup, &child);
    CloseHandle(writeEnd);
    CloseHandle(null);
    ASSERT_TRUE(started);
  }

  // Waits (bounded) until rollkit has filled the pipe, so that it is blocked halfway through.
  bool WaitUntilFull() {
    for (int i = 0; i < 2000; ++i) {
      DWORD waiting = 0;
      if (!PeekNamedPipe(readEnd, nullptr, 0, nullptr, &waiting, nullptr)) return false;
      if (waiting >= 32768) return true;
      Sleep(10);
    }
    return false;
  }

  void CloseReader() {
    if (readEnd) CloseHandle(readEnd);
    readEnd = nullptr;
  }

  // Reads what comes so that the program is not held by a full pipe, until it ends (bounded).
  // Not until the pipe's end: a process wine starts for the console may hold the write end.
  DWORD Finish() {
    for (int i = 0; i < 600; ++i) {
      DWORD waiting = 0;
      while (readEnd && PeekNamedPipe(readEnd, nullptr, 0, nullptr, &waiting, nullptr) && waiting > 0) {
        char drain[65536];
        DWORD n = 0;
        if (!ReadFile(readEnd, drain, sizeof drain, &n, nullptr) || n == 0) break;
      }
      if (WaitForSingleObject(child.hProcess, 100) == WAIT_OBJECT_0) break;
    }
    CloseReader();
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(child.hProcess, &code);
    if (code == STILL_ACTIVE) TerminateProcess(child.hProcess, 99);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    return code;
  }

  ScopedTempDir data;
  ScopedTempDir scratch;
  std::string tmp = scratch.Prefix() + "tmp";
  HANDLE readEnd = nullptr;
  PROCESS_INFORMATION child{};
};

}  // namespace

TEST_F(RollkitInterrupted, WhateverEndsASearchNothingIsLeft) {
  const auto before = Snapshot(data.Prefix());
  for (const char* way : {"Ctrl+Break", "TerminateProcess", "reader gone"}) {
    SCOPED_TRACE(way);
    Start({"search", "--data", data.Prefix(), "--given", "j", "smith"});
    ASSERT_TRUE(WaitUntilFull());
    DWORD expected = 99;
    if (std::string(way) == "Ctrl+Break") {
      // wine without a terminal has no console to carry the event: then it ends as below.
      if (GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, child.dwProcessId)) {
        expected = kStatusControlCExit;
      } else {
        TerminateProcess(child.hProcess, 99);
      }
    } else if (std::string(way) == "TerminateProcess") {
      TerminateProcess(child.hProcess, 99);
    } else {
      CloseReader();
      expected = 0;
    }
    const DWORD code = Finish();
    if (expected == 0) {
      EXPECT_TRUE(code == 0 || code == 1) << code;
    } else {
      EXPECT_EQ(code, expected);
    }
    EXPECT_TRUE(std::filesystem::is_empty(PathFromUtf8(tmp)));
  }
  EXPECT_EQ(Changes(before, Snapshot(data.Prefix())), std::vector<std::string>{});
}
