// The environment of the test process, and what differs in it between platforms.
#pragma once

#include <string>

// Sets `name` to `value`, or removes it when `value` is null.
void SetEnvironment(const char* name, const char* value);

// The variable that names the temporary directory a program uses: TMPDIR on POSIX, TMP on
// Windows (GetTempPath looks at it first).
extern const char* const kTempDirectoryVariable;

// The variable that moves the user's settings directory (platform/places.h): XDG_CONFIG_HOME on
// POSIX, LOCALAPPDATA on Windows.
extern const char* const kUserSettingsVariable;

// The variable that moves the user's cache directory (platform/places.h): XDG_CACHE_HOME on POSIX,
// LOCALAPPDATA on Windows.
extern const char* const kUserCacheVariable;

// The variable that moves the user's data directory, where the research log lives
// (platform/places.h): XDG_DATA_HOME on POSIX, APPDATA on Windows.
extern const char* const kUserDataVariable;

// The variable that names the user the program runs for (platform/media_discovery.h): USER on
// POSIX, USERNAME on Windows.
extern const char* const kUserNameVariable;

// Makes a FIFO at `path`; false where the platform has none (Windows).
bool MakeFifo(const std::string& path);
