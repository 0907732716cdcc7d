#include <time.h>

#include "stopwatch.h"

namespace {

double Seconds(clockid_t clock) {
  timespec t{};
  clock_gettime(clock, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

}  // namespace

Instant Now() { return {Seconds(CLOCK_MONOTONIC), Seconds(CLOCK_THREAD_CPUTIME_ID)}; }

Instant Since(const Instant& start) {
  const Instant now = Now();
  return {now.wall - start.wall, now.cpu - start.cpu};
}
