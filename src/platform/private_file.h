// Files the programs keep for themselves in the user's own directories (the companion cache),
// which they alone write and read back: the directory is the user's and nobody else may write to
// it; a file is read only when it is the user's own regular file that nobody else may write, and
// never through a link; a file is put in place whole or not at all.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

// Makes the directory `path` and the parents it lacks (the ones it makes readable by this user
// only). True when `path` is then a directory, not a link, of this user's that neither group nor
// others may write; false with *error naming it and what is wrong ("d: owned by another user").
bool MakePrivateDirectory(const std::string& path, std::string* error);

enum class PrivateFileStatus {
  kOk,
  kMissing,
  kNotRegular,  // a link, directory, FIFO, device...: never opened
  kNotOwn,      // another user's, or one that group or others may write
  kUnreadable,
};

// Opens `path` for reading when it is this user's own regular file that neither group nor others
// may write, never following a link and never blocking. *why (when given) says otherwise what it
// is ("a symbolic link", "owned by another user", "writable by others").
PrivateFileStatus OpenPrivateFile(const std::string& path, ReadOnlyFile* file, std::string* why = nullptr);

// Puts `bytes` at `path` whole or not at all: written under a temporary name in the same
// directory (readable and writable by this user only) and renamed over what stands at `path` (a
// link there is replaced, never followed; a directory is not). A signal removes the temporary.
// False with *error ("path: cannot create: No space left on device").
bool WritePrivateFile(const std::string& path, std::string_view bytes, std::string* error);

struct PrivateFileEntry {
  std::string name;
  std::int64_t size = 0;
  std::int64_t modified = 0;  // nanoseconds
};
// This user's regular files in `directory` (links and everything else left out) whose names end
// in `suffix`.
std::vector<PrivateFileEntry> ListPrivateFiles(const std::string& directory, std::string_view suffix);

// Sets the modification time of this user's file `path` (not through a link) to now: the cache
// tells the files used least recently by it.
void TouchPrivateFile(const std::string& path);
// Removes the file `path` (a link itself, never its target). False on failure.
bool RemovePrivateFile(const std::string& path);
