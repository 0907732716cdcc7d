// What a program must remove if a signal ends it halfway through writing: the temporary files and
// directories an output is built in before it is renamed into place.
//
// Paths are registered before the file is made and unregistered once it has been renamed away or
// removed, so that whatever moment a signal comes at, nothing of the program's own is left. The
// handler only calls functions that are safe in a signal handler; it then ends the process with
// the same signal (a fault raised by the program itself is passed on to whoever handled it before).
#pragma once

#include <string>

// Installs the handler for every signal that would end the process and can be caught (hang-up,
// interrupt, quit, termination, alarms, the user signals, a broken pipe, CPU limits, the real-time
// signals, faults). A signal that is ignored when this is called stays ignored, so that `nohup`
// and background jobs keep working. Call once, early; later calls do nothing.
void InstallSignalCleanup();

enum class CleanupKind {
  kFile,       // unlinked
  kDirectory,  // its entries unlinked (not recursively), then the directory removed
};

// Adds `path` to what a signal removes. Returns a ticket for UnregisterCleanup, or -1 when the path
// is too long to be kept or too many paths are registered (the caller must then not make the file).
int RegisterCleanup(const std::string& path, CleanupKind kind);
// Forgets a registered path (a ticket of -1 is ignored).
void UnregisterCleanup(int ticket);

// Holds back every signal that can be caught for as long as it lives, so that a run of renames
// that must happen together is not cut in the middle; a signal that came meanwhile is delivered
// when it ends.
class SignalsHeld {
 public:
  SignalsHeld();
  ~SignalsHeld();
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  unsigned char saved[128];  // the previous signal mask (a sigset_t)
};
