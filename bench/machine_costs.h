// What the machine charges for the two things every answer needs, measured in the same run as
// the cases they bound: copying cached file bytes, and opening and closing a file. Both are
// measured in the calling thread's CPU time (stopwatch.h), as the warm cases are.
#pragma once

#include <cstddef>
#include <string>

// Bytes per second that one large positioned read copies out of the page cache: `path` is read
// whole once (so that it is cached), then its first `size` bytes (all of it when it is smaller)
// are read with one pread into memory already touched, `passes` times. The median; 0 when the
// file cannot be read.
double MeasureCachedReadBandwidth(const std::string& path, std::size_t size = std::size_t{64} << 20,
                                  int passes = 9);

// Nanoseconds that one open for reading and one close of `path` take together: the median over
// `batches` batches of `perBatch` pairs. 0 when the file cannot be opened.
double MeasureOpenCloseNs(const std::string& path, int batches = 9, int perBatch = 200);
