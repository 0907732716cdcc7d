// Files the program keeps for its user beside its settings (the research log): looked at before a
// library opens them by name, made readable by this user only, and never created through a link.
//
// A file of the user's own is one the user could have put there: a regular file that belongs to
// the user (on POSIX; Windows keeps the application data private to its user already). Whatever
// else stands at the path (a FIFO, a device, a directory, another user's file, a link the system
// refuses to follow) is only ever looked at, never opened for writing.
#pragma once

#include <cstddef>
#include <string>

#include "platform/file_system.h"

enum class UserFileStatus {
  kOk,          // a regular file of this user's; its first bytes were read
  kMissing,     // nothing stands at the path
  kNotRegular,  // a directory, FIFO, socket or device (links followed): never read
  kOtherOwner,  // a regular file of another user's: never read
  kUnreadable,  // could not be opened for reading (permissions, a link the system refused)
};

struct UserFileCheck {
  UserFileStatus status = UserFileStatus::kMissing;
  FileKind kind = FileKind::kMissing;  // what stands at the path, links followed
  FileIdentity identity;               // known when a file was opened
  int error = 0;                       // the system's error number of a refused open
  std::string header;                  // kOk: the file's first bytes, at most as many as asked for
};

// Looks at `path` without blocking and without changing anything: opened for reading only,
// symbolic links followed by the system's rules (which refuse some links in sticky directories),
// and read only when it is a regular file of this user's. `headerBytes`: how many of its first
// bytes to read.
UserFileCheck CheckUserFile(const std::string& path, std::size_t headerBytes);

// What stands at `path` itself: a symbolic link is kSymlink, not what it points at.
FileKind KindAtPath(const std::string& path);

// Makes `directory` and each missing directory above it, readable by this user only (mode 0700
// on POSIX). False with *error ("path: Permission denied", "path: a regular file, not a
// directory").
bool MakePrivateDirectories(const std::string& directory, std::string* error);

// Creates an empty file at `path`, readable and writable by this user only, only when nothing
// stands there (never over a file, never through a symbolic link). False with *error.
bool CreatePrivateFile(const std::string& path, std::string* error);

// The system's words for error number `error` ("Permission denied").
std::string SystemErrorText(int error);
