#include "platform/private_directory.h"

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "store/roll_format.h"

namespace {

// Paths the signal handler removes, prepared beforehand: a handler may only call
// async-signal-safe functions such as unlink and rmdir.
char g_directory[4096];
char g_filterBuffer[4096];
volatile sig_atomic_t g_armed = 0;

void RemoveNow() {
  if (!g_armed) return;
  g_armed = 0;
  unlink(g_filterBuffer);
  rmdir(g_directory);
}

void OnSignal(int signal) {
  RemoveNow();
  ::signal(signal, SIG_DFL);
  raise(signal);
}

void InstallHandlers() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  std::atexit(RemoveNow);
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) sigaction(signal, &action, nullptr);
}

}  // namespace

PrivateDirectory::PrivateDirectory() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = (base && *base) ? base : "/tmp";
  if (pattern.back() != '/') pattern += '/';
  pattern += "rollkit-XXXXXX";
  if (pattern.size() + std::strlen(kFilterBufferFileName) + 2 > sizeof g_filterBuffer) return;
  if (!mkdtemp(pattern.data())) return;
  path_ = pattern + "/";
  std::snprintf(g_directory, sizeof g_directory, "%s", pattern.c_str());
  std::snprintf(g_filterBuffer, sizeof g_filterBuffer, "%s%s", path_.c_str(), kFilterBufferFileName);
  InstallHandlers();
  g_armed = 1;
}

PrivateDirectory::~PrivateDirectory() { RemoveNow(); }
