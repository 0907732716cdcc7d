// On Windows the mode is the process's own: with SEM_FAILCRITICALERRORS an open on a drive
// without a disk fails at once instead of asking the user to insert one.
#include <windows.h>

#include "platform/error_mode.h"

unsigned SetCriticalErrorMode(unsigned mode) { return SetErrorMode(mode); }

unsigned CurrentCriticalErrorMode() { return GetErrorMode(); }
