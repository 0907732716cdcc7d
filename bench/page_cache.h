// Whether the operating system's page cache holds a file, and making it let go of one: the cold
// cases start from roll files that have to come from the disk again.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Asks the operating system to drop the cached pages of `path` (written out first when dirty).
// Pages that a process still has mapped stay. False when the file cannot be opened or the advice
// is refused.
bool EvictFromPageCache(const std::string& path);

// The bytes of `path` the page cache holds now, counted in whole pages (at most the file's size
// rounded up to a page); -1 when that cannot be told. Looking does not read the file.
std::int64_t ResidentBytes(const std::string& path);

// Evicts every file of `files` and returns the bytes of them still cached, or -1 when one cannot
// be evicted. Pages still being read ahead (for a read that just ended) are dropped only once
// their read completes, so while anything is left the eviction is tried again, a few
// milliseconds apart, up to `attempts` times.
std::int64_t EvictAll(const std::vector<std::string>& files, int attempts = 20);
