// Where the platform keeps the things the programs look for: the environment and the
// directories searched for the family's INI file. Paths are UTF-8, as everywhere in the program.
#pragma once

#include <optional>
#include <string>
#include <vector>

// The value of the environment variable `name`, or nothing when it is not set.
std::optional<std::string> EnvironmentValue(const char* name);

// The directories that may hold brevik.ini, most preferred first; the first one that holds it
// counts. POSIX: $XDG_CONFIG_HOME (default ~/.config), then each of $XDG_CONFIG_DIRS (default
// /etc/xdg). Windows: the Windows directory (where the family's setup has always put it), the
// directory of the running program, then the user's roaming application data.
std::vector<std::string> ProfileDirectories();

// The directory of the user's own settings files: $XDG_CONFIG_HOME (default ~/.config) on POSIX,
// the user's local application data (%LOCALAPPDATA%) on Windows. "" when none can be had.
std::string UserSettingsDirectory();

// The directory of the data the user keeps with the program (the research log): on POSIX
// $XDG_DATA_HOME/dravenholt (default ~/.local/share/dravenholt; a relative $XDG_DATA_HOME is
// ignored, as the XDG rules say), on Windows Dravenholt in the user's roaming application data
// (%APPDATA%), so that it follows the user from machine to machine. Not created here; "" when
// none can be had (no home directory).
std::string UserDataDirectory();
// The directory of what the programs keep to save time and may always make again (a roll's
// companion index): $XDG_CACHE_HOME (default ~/.cache) on POSIX, the user's local application data
// (%LOCALAPPDATA%) on Windows. "" when none can be had.
std::string UserCacheDirectory();

// `directory` and `name` joined by the platform's separator, unless `directory` ends in one
// already (either separator on Windows).
std::string JoinPath(const std::string& directory, const char* name);
