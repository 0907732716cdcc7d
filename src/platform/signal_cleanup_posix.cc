// The registry is a fixed table of path buffers with a state word each: registering claims a free
// buffer (atomically: threads may register at once), fills it and only then marks it in use, so
// the handler never reads a half-written path; it needs no allocation and no lock, which a signal
// handler may not take.
#include "platform/signal_cleanup.h"

#include <fcntl.h>
#include <limits.h>
#include <pthread.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace {

constexpr int kSlots = 16;
constexpr int kFree = 0;
constexpr int kFileSlot = 1;
constexpr int kDirectorySlot = 2;
// The signals raised by a fault of the program itself: when one came from the kernel, the
// handler returns after cleaning up, the faulting instruction runs again, and whoever handled the
// signal before (the default action, a sanitizer) takes it from there.
constexpr int kFaultSignals[] = {SIGILL, SIGTRAP, SIGBUS, SIGFPE, SIGSEGV, SIGSYS};

char g_paths[kSlots][PATH_MAX];
// Lock-free, so the handler may read them; a slot is claimed (kClaimed) before its path is written,
// so that two threads registering at once never share one, and the handler passes a claimed slot by.
constexpr int kClaimed = 3;
std::atomic<int> g_states[kSlots];
static_assert(std::atomic<int>::is_always_lock_free);
struct sigaction g_previous[_NSIG];
bool g_installed = false;

// Room for the directory entries read in one go while emptying a directory in the handler.
alignas(8) char g_entries[4096];

bool IsFaultSignal(int sig) {
  for (int fault : kFaultSignals) {
    if (fault == sig) return true;
  }
  return false;
}

// Unlinks what a directory holds (one level: a directory inside is left, and then so is this one)
// and removes it. Only system calls, so that it may run in the handler.
void EmptyAndRemoveDirectory(const char* path) {
  const int fd = open(path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd >= 0) {
    // Each round reads some entries or ends; the bound only guards against a directory that
    // another process keeps filling.
    for (int round = 0; round < 10000; ++round) {
      const long got = syscall(SYS_getdents64, fd, g_entries, sizeof g_entries);
      if (got <= 0) break;
      for (long at = 0; at < got;) {
        // struct linux_dirent64: d_ino (8), d_off (8), d_reclen (2), d_type (1), d_name.
        unsigned short length;
        std::memcpy(&length, g_entries + at + 16, sizeof length);
        const char* name = g_entries + at + 19;
        if (std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0) unlinkat(fd, name, 0);
        if (length == 0) break;
        at += length;
      }
    }
    close(fd);
  }
  rmdir(path);
}

void RemoveRegistered() {
  for (int i = 0; i < kSlots; ++i) {
    if (g_states[i] == kFileSlot) unlink(g_paths[i]);
  }
  for (int i = 0; i < kSlots; ++i) {
    if (g_states[i] == kDirectorySlot) EmptyAndRemoveDirectory(g_paths[i]);
  }
}

void OnSignal(int sig, siginfo_t* info, void*) {
  const int savedErrno = errno;
  RemoveRegistered();
  for (int i = 0; i < kSlots; ++i) g_states[i] = kFree;
  sigaction(sig, &g_previous[sig], nullptr);
  if (IsFaultSignal(sig) && info != nullptr && info->si_code > 0) {
    errno = savedErrno;
    return;  // the fault happens again, now under the previous disposition
  }
  // Blocked while this handler runs: delivered, under the previous disposition, as it returns.
  raise(sig);
  errno = savedErrno;
}

}  // namespace

void InstallSignalCleanup() {
  if (g_installed) return;
  g_installed = true;
  int signals[_NSIG];
  int count = 0;
  for (int sig : {SIGHUP, SIGINT, SIGQUIT, SIGILL, SIGTRAP, SIGABRT, SIGBUS, SIGFPE, SIGUSR1, SIGSEGV, SIGUSR2,
                  SIGPIPE, SIGALRM, SIGTERM, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF, SIGIO, SIGPWR, SIGSYS
#ifdef SIGSTKFLT
                  , SIGSTKFLT
#endif
       }) {
    signals[count++] = sig;
  }
  for (int sig = SIGRTMIN; sig <= SIGRTMAX && count < _NSIG; ++sig) signals[count++] = sig;

  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_sigaction = OnSignal;
  action.sa_flags = SA_SIGINFO | SA_RESTART;
  sigfillset(&action.sa_mask);
  for (int i = 0; i < count; ++i) {
    const int sig = signals[i];
    if (sigaction(sig, nullptr, &g_previous[sig]) != 0) continue;
    const bool ignored = !(g_previous[sig].sa_flags & SA_SIGINFO) && g_previous[sig].sa_handler == SIG_IGN;
    if (!ignored) sigaction(sig, &action, nullptr);
  }
}

int RegisterCleanup(const std::string& path, CleanupKind kind) {
  if (path.empty() || path.size() >= PATH_MAX) return -1;
  for (int i = 0; i < kSlots; ++i) {
    int expected = kFree;
    if (!g_states[i].compare_exchange_strong(expected, kClaimed)) continue;
    std::memcpy(g_paths[i], path.c_str(), path.size() + 1);
    g_states[i] = kind == CleanupKind::kFile ? kFileSlot : kDirectorySlot;
    return i;
  }
  return -1;
}

void UnregisterCleanup(int ticket) {
  if (ticket >= 0 && ticket < kSlots) g_states[ticket] = kFree;
}

SignalsHeld::SignalsHeld() {
  static_assert(sizeof(sigset_t) <= sizeof saved);
  sigset_t all;
  sigfillset(&all);
  for (int fault : kFaultSignals) sigdelset(&all, fault);  // a fault while held would kill outright
  sigset_t previous;
  pthread_sigmask(SIG_BLOCK, &all, &previous);
  std::memcpy(saved, &previous, sizeof previous);
}

SignalsHeld::~SignalsHeld() {
  sigset_t previous;
  std::memcpy(&previous, saved, sizeof previous);
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}
