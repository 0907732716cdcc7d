#include "platform/error_mode.h"

#include <utility>

namespace {
unsigned g_errorMode = 0;
}

unsigned SetCriticalErrorMode(unsigned mode) { return std::exchange(g_errorMode, mode); }

unsigned CurrentCriticalErrorMode() { return g_errorMode; }
