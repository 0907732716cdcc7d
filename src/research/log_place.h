// Where the research log is kept: research.sqlite in the user's data directory of the program
// (platform/places.h: $XDG_DATA_HOME/dravenholt on POSIX, the roaming application data on
// Windows). Never in the family directory, never on the data disk, never in brevik.ini.
#pragma once

#include <string>

inline constexpr const char* kLogFileName = "research.sqlite";

// The log's path; "" when the user's data directory is not known.
std::string DefaultLogPath();
