// A scratch file of the program's own: read and written with positioned reads and writes, and
// held with an exclusive lock for as long as it is open, so that two programs sharing a directory
// never write into each other's file.
#pragma once

#include <cstdint>
#include <string>

#include "platform/file_system.h"

enum class ScratchStatus {
  kOk,
  kNotRegular,    // a symbolic link, directory, FIFO...: left alone, never followed or opened
  kNotOwned,      // another user's file: left alone (in a directory two users share)
  kOpenToOthers,  // this user's, but group or others may write it: left alone
  kBusy,          // another program holds it
  kFailed,        // could not be created or opened (no directory, no permission, ...)
};

// What a refusal of a file as one of the program's own says it is: "a symbolic link" (the kind,
// for kNotRegular), "another user's file", "a file others may write".
const char* DescribeRefusal(ScratchStatus status, FileKind kind);

// Whether the file at `path` may be used as one of the program's own (history.buf, the viewer's
// settings): kOk when it is a regular file of this user's that neither group nor others may
// write, or when nothing stands there (`kind` kMissing); otherwise kNotRegular (`kind` says what
// stands there, a symbolic link is never followed), kNotOwned, kOpenToOthers, or kFailed when
// the name cannot be examined. On Windows, whose files have no such owner and mode, only what
// stands there is judged.
ScratchStatus CheckOwnFile(const std::string& path, FileKind* kind);
// Takes the group's and others' permission to write away from the regular file of this user's at
// `path` (a link is not followed), so that a file the program wrote under a generous file-creation
// mask (002) passes CheckOwnFile. Nothing on Windows.
void KeepToOwner(const std::string& path);

class ScratchFile {
 public:
  ScratchFile() = default;
  ~ScratchFile();
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  // Opens `path` for reading and writing, creating it (readable and writable by this user only)
  // when nothing stands there. Never follows a symbolic link, never blocks, never truncates; keeps
  // the file only when it is a regular file of this user's that neither group nor others may
  // write (CheckOwnFile) and its lock could be taken. `kind` receives what stands at the path when
  // the status is kNotRegular.
  ScratchStatus Open(const std::string& path, FileKind* kind = nullptr);
  // Opens a new file of this user's own in `directory` that has no name: nothing is left behind,
  // whatever ends the program.
  ScratchStatus OpenAnonymous(const std::string& directory);
  void Close();
  bool IsOpen() const { return handle >= 0; }

  // Cuts the file to length 0.
  bool Truncate();
  // The file's size now, or -1.
  std::int64_t Size() const;
  // Reads up to `size` bytes at `offset`: the bytes read, -1 on a failure.
  std::int64_t ReadAt(std::int64_t offset, void* out, std::size_t size) const;
  // Writes all `size` bytes at `offset`; false when not all could be written (a full disk, a file
  // size limit).
  bool WriteAt(std::int64_t offset, const void* data, std::size_t size);
  FileIdentity Identity() const;

 private:
  std::intptr_t handle = -1;
};

// Where files without a name (OpenAnonymous) are made: $XDG_RUNTIME_DIR when it is set and is a
// directory of this user's that nobody else may enter, else $TMPDIR, else /tmp. Ends in the
// separator.
std::string AnonymousFileDirectory();
// $XDG_STATE_HOME/dravenholt/ (default ~/.local/state/dravenholt/), created with mode 0700 when
// missing; "" when it cannot be had or is not a directory of this user's. Ends in the separator.
std::string PerUserStateDirectory();
// Makes writes past a file-size limit fail with an error instead of ending the process.
void IgnoreFileSizeLimitSignal();
