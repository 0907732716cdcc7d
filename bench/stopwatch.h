// The two clocks the benchmarks read. The wall clock is what a user waits for; the CPU time the
// calling thread has used (user and system) leaves out the waits for a processor that other work
// on a shared machine causes, and so is what a case that waits for nothing else (its files in
// the page cache) takes on an idle machine.
#pragma once

struct Instant {
  double wall = 0;  // seconds
  double cpu = 0;   // seconds of this thread's CPU time
};

Instant Now();

// Seconds from `start` to now on each clock.
Instant Since(const Instant& start);
