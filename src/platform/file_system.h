// Files from outside the program: the data disk's files, the INI file, a disk image. Every one is
// hostile until checked: an open never blocks (a FIFO without a writer, a device), and only a
// regular file is kept open; reads are positioned reads that never go past what the file holds.
//
// Also: RAII handles for the output streams the tools write, the directory separator, and the
// one look-up of a data file whose name was written in another case by the system that mastered
// the disk.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

struct ImageExtent;  // platform/disk_image.h

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

// Whether `c` separates the parts of a path the user typed: on Windows either slash.
inline constexpr bool IsPathSeparator(char c) { return c == '/' || c == kPathSeparator; }

// What stands at a path.
enum class FileKind { kMissing, kRegular, kDirectory, kFifo, kSocket, kDevice, kSymlink, kOther, kUnknown };
// "a directory", "a FIFO", "a socket", "a device", "a symbolic link", "missing", ...
const char* DescribeFileKind(FileKind kind);

// Why an open for reading did not give a file.
enum class OpenStatus {
  kOk,
  kMissing,     // nothing stands at the path
  kNotRegular,  // a directory, FIFO, socket, device...: not opened
  kUnreadable,  // there, but the open was refused (permissions, I/O error)
};

// Which file, and in which state: enough to tell that a path now names another file, or that the
// file was changed in place.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t file = 0;
  std::int64_t size = -1;
  std::int64_t modified = 0;  // nanoseconds
  std::int64_t changed = 0;   // nanoseconds (status change)
  bool known = false;
  // For a file read out of a disk image (ReadOnlyFile::Window): where its bytes start in the
  // image file, whose identity the fields above are; -1 for a file of its own.
  std::int64_t window = -1;

  bool SameFile(const FileIdentity& other) const {
    return known && other.known && device == other.device && file == other.file && window == other.window;
  }
  // The same file, with the same size and times.
  bool Unchanged(const FileIdentity& other) const {
    return SameFile(other) && size == other.size && modified == other.modified && changed == other.changed;
  }
};

// A file opened for reading only. Opening never blocks and keeps the file only when it is a
// regular file; reads are positioned (no shared stream position), so a reader may read anywhere
// in any order. Move-only; closes on destruction.
//
// A ReadOnlyFile may also be a window onto one file of a disk image (Window): its size is that
// file's, its reads map through the file's extent in the image file, and its identity is the
// image file's with the window's start. Readers cannot tell it from a file of its own.
class ReadOnlyFile {
 public:
  ReadOnlyFile() = default;
  ~ReadOnlyFile();
  ReadOnlyFile(ReadOnlyFile&& other) noexcept;
  ReadOnlyFile& operator=(ReadOnlyFile&& other) noexcept;
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

  // Opens `path` (symbolic links followed). `kind`, when given, receives what stands at the path
  // (kMissing when nothing does). A previous file is closed first.
  OpenStatus Open(const std::string& path, FileKind* kind = nullptr);
  void Close();
  bool IsOpen() const { return handle >= 0 || image != nullptr; }

  // The file at `extent` of the open disk image file `imageFile`, which the window shares.
  static ReadOnlyFile Window(std::shared_ptr<const ReadOnlyFile> imageFile, const ImageExtent& extent);

  // The file's size when it was opened, or -1 when none is open.
  std::int64_t Size() const { return fileSize; }
  // Reads up to `size` bytes at `offset`: the bytes read, fewer at the end of the file, -1 on a
  // failure, a negative offset or no open file.
  std::int64_t ReadAt(std::int64_t offset, void* out, std::size_t size) const;
  // The open file's identity now (one question to the file system).
  FileIdentity Identity() const;
  // The system's handle of the open file (a descriptor on POSIX), -1 when none is open or the
  // file is a window: for a library that reads the file itself and must be given this very file,
  // not its path.
  std::intptr_t NativeHandle() const { return handle; }

 private:
  std::intptr_t handle = -1;
  std::int64_t fileSize = -1;
  // ReadAt and Identity of a window, which every platform shares.
  std::int64_t WindowRead(std::int64_t offset, void* out, std::size_t size) const;
  FileIdentity WindowIdentity() const;
  // A window's image file and extent; both null for a file of its own.
  std::shared_ptr<const ReadOnlyFile> image;
  std::shared_ptr<const ImageExtent> extent;
};

// What `path` names now, symbolic links followed; kMissing when nothing does. Never opens it.
FileKind KindOfPath(const std::string& path);
// Whether `path` names a regular file that this process could open for reading now. Nothing is
// opened where the system can tell without (POSIX: two questions, what it is and whether it may
// be read), so a device or a FIFO there is never touched.
bool RegularFileReadable(const std::string& path);
// The identity of what `path` names now (one question); unknown when nothing is there.
FileIdentity IdentityOfPath(const std::string& path);
// Whether `path` still names the file of `identity` (not removed, renamed away or replaced).
bool PathNamesFile(const std::string& path, const FileIdentity& identity);

// The path under which to open the data file `path`: `path` itself when anything stands there;
// otherwise, when its directory holds an entry whose name equals its last component ignoring
// ASCII case, that entry (the lowest such name, so the choice never depends on the directory's
// order); otherwise `path` unchanged. Every reader of the data disk finds its files through this
// one rule, so a check and the read after it look at the same file.
std::string ResolveDataFile(const std::string& path);

// Opens `path` (UTF-8) with an fopen mode, for the files the tools write and read by name (CSV
// in and out). On Windows the file stays free for other programs to rename and remove while it
// is open, as on POSIX. Null on failure, with errno set.
FileHandle OpenFile(const char* path, const char* mode);
// Renames `from` to `to`, replacing a file already at `to` (which POSIX rename does and
// Windows' does not). False on failure.
bool RenameReplacing(const char* from, const char* to);
// Removes the file at `path`. False on failure.
bool RemoveFile(const char* path);

// Creates `path` holding `bytes`, only when nothing stands there (never over an existing file,
// never through a symbolic link). False when it could not be created or written whole; a file
// that was created but could not be written whole is removed again.
bool CreateNewFile(const std::string& path, std::string_view bytes);
