// A disk that fills up while the program writes, for the tests of what the user is told then.
#pragma once

#include <functional>
#include <string>

// Runs `work` while the file at `path` can take at most `limit` bytes, and returns what `work`
// reported. POSIX: in a child process under a file-size limit (RLIMIT_FSIZE, SIGXFSZ ignored),
// so every file the work writes is limited. Windows: in this process, while another handle holds
// a lock on every byte of `path` from `limit` on, so writes there fail as on a full disk.
// When the system cannot play a full disk this way (wine does not enforce a byte-range lock
// against the program's writes), `work` is not run and the report is kNoFullDiskHere.
std::string RunWithFullDisk(const std::string& path, long limit, const std::function<std::string()>& work);
extern const char* const kNoFullDiskHere;
