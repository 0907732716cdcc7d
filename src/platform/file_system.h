// Files on the data disk: RAII stream handles, the directory separator, and the look-up of data
// files whose names were written in another case by the system that mastered the disk.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

struct FileCloser {
  void operator()(std::FILE* f) const noexcept {
    if (f) std::fclose(f);
  }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// The separator that ends a configured directory.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// Reads one byte of a stream that no other thread uses, without taking the stream's lock: for
// the scans that go through a file a byte at a time. EOF at the end or on an error.
inline int ReadByteUnlocked(std::FILE* f) {
#ifdef _WIN32
  return _getc_nolock(f);
#else
  return getc_unlocked(f);
#endif
}

// Opens `path` (UTF-8) with an fopen mode. On Windows the file stays free for other programs to
// rename and remove while it is open, as on POSIX. Null on failure, with errno set.
FileHandle OpenFile(const char* path, const char* mode);

// Renames `from` to `to`, replacing a file already at `to`. False on failure.
bool RenameReplacing(const char* from, const char* to);

// Removes the file at `path`. False on failure.
bool RemoveFile(const char* path);

// Opens a data file. When `path` does not exist under its exact name, its last component is
// looked up case-insensitively (ASCII letters) in its directory and that file is opened instead.
// Returns null when neither exists or the open fails.
FileHandle OpenDataFile(const char* path, const char* mode);

// The size of an open stream in bytes, or -1. Leaves the stream position at the end.
std::int64_t StreamSize(std::FILE* f);

// The size in bytes of the file behind a stream that has not been written to, or -1. Asks the
// file system rather than seeking, so the stream's buffer and position are left alone.
std::int64_t FileSize(std::FILE* f);

// The position of a stream, or -1.
std::int64_t StreamPosition(std::FILE* f);

// Which file an open stream reads and writes, as the file system tells them apart.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t file = 0;
  bool known = false;
};
FileIdentity IdentityOf(std::FILE* f);
// Whether `path` still names that file: false when it was removed, renamed away or replaced by
// another file or a directory since. One question to the file system.
bool PathNamesFile(const char* path, const FileIdentity& identity);

// Reads up to `size` bytes at `offset` of the file behind a stream that is only read from, in
// one call that neither moves the stream nor goes through its buffer: for the few scattered
// reads (a trailer, a header, the index nodes of one lookup) that a seek and a buffer refill
// would make two calls and a larger copy. Returns the bytes read, fewer at the end of the file,
// or -1 on a failure or a negative offset.
std::int64_t ReadAt(std::FILE* f, std::int64_t offset, void* out, std::size_t size);

// Seeks to an absolute position; false when the platform refuses (negative or unrepresentable).
bool SeekTo(std::FILE* f, std::int64_t offset);
