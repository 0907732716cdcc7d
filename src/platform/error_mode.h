// The process's critical-error mode. On Windows it is the system's (an open on an empty drive
// then fails quietly instead of raising the insert-a-disk dialog). On POSIX an empty drive
// already fails quietly, so the mode has no effect of its own; it is recorded there so that the
// rules about when it is set and restored stay visible and testable.
#pragma once

inline constexpr unsigned kSemFailCriticalErrors = 0x0001;
inline constexpr unsigned kSemNoOpenFileErrorBox = 0x8000;

// Sets the mode and returns the one it replaces (0 at process start).
unsigned SetCriticalErrorMode(unsigned mode);
unsigned CurrentCriticalErrorMode();
