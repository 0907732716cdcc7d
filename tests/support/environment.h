// The environment of the test process, and what differs in it between platforms.
#pragma once

// Sets `name` to `value`, or removes it when `value` is null.
void SetEnvironment(const char* name, const char* value);

// The variable that names the temporary directory a program uses: TMPDIR on POSIX, TMP on
// Windows (GetTempPath looks at it first).
extern const char* const kTempDirectoryVariable;
