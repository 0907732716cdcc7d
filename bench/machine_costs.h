// What the machine charges for the two things every answer needs, measured in the same run as
// the cases they bound: copying cached file bytes, and opening and closing a file. Both are
// measured in the calling thread's CPU time (stopwatch.h), as the warm cases are.
#pragma once

#include <cstddef>
#include <string>

// Bytes per second at which positioned reads copy a cached file out of the page cache: `path` is
// read whole once (so that it is cached), then its first `size` bytes (all of it when it is
// smaller) are read `passes` times in one pread, and as many times in runs of 64 KiB, 256 KiB and
// 1 MiB into one buffer of a run's size, the memory already touched. The fastest of those ways
// (each its median); 0 when the file cannot be read.
double MeasureCachedReadBandwidth(const std::string& path, std::size_t size = std::size_t{64} << 20,
                                  int passes = 9);

// Nanoseconds that one open for reading and one close of `path` take together: the median over
// `batches` batches of `perBatch` pairs. 0 when the file cannot be opened.
double MeasureOpenCloseNs(const std::string& path, int batches = 9, int perBatch = 200);
