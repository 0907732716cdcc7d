// The pieces of a CreateProcess call the Windows tests share.
#pragma once

#include <map>
#include <string>
#include <vector>

// A command line that the C library of the started program splits back into exactly `program`
// and `args` (the quoting rules of CommandLineToArgvW).
std::wstring CommandLine(const std::string& program, const std::vector<std::string>& args);

// The test's environment with `overrides` applied, as CreateProcessW's Unicode block: sorted
// without regard to case, as the system expects.
std::wstring EnvironmentBlock(const std::map<std::string, std::string>& overrides);

std::wstring WideFromUtf8(const std::string& utf8);

// The exit code of an ended process as RunResult has it: -1 for the NTSTATUS codes of an
// exception or of an interrupt (0xC0000000 and above).
int ExitCodeOf(unsigned long code);
