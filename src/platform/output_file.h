// Files a program writes at its user's request, put in place only once they are whole: each is
// built under a temporary name in the directory of the file it replaces and renamed over it at
// the end, so that a failed or interrupted run leaves the old file as it was and never a part of
// the new one.
//
// A temporary name is ".<name>.<pid>@<host>.tmp" (the name cut so that the whole stays a valid
// file name). A signal removes it before the process ends (signal_cleanup.h); after a SIGKILL,
// which nothing can catch, the next output made in that directory removes it
// (RemoveStaleTemporaries).
//
// Symbolic links. Writing to a link means writing to the file it names, as a shell's redirection
// does, but only where the kernel lets this process do so, and never by reading the link's text
// and writing wherever it leads:
//  - a link in a sticky directory that others may write (/tmp, a shared family folder) is not
//    followed unless this user or the directory's owner made it: the kernel's own rule for such
//    links, kept here whatever the system's setting, so that another user's link never leads a
//    write into this user's files;
//  - the file the link names is then opened for writing through the link itself, so that the
//    kernel judges the following and the permission to write; only when that open succeeds, and
//    gives the very file the link's text leads to, is the new file built beside that file and
//    renamed over it;
//  - a link that names nothing yet: the kernel creates the file through the link (an empty one,
//    removed again when the output is abandoned), which is then replaced as above.
// On Windows a path is taken as it stands: a link there is replaced, not followed.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

// The path of the file `path` names with its symbolic links followed (at most 40 of them); the
// path itself when it is no link. A dangling link gives the path its target would be created at.
// For telling where an output ends up (its directory, a file it would be); never to write there.
std::string FinalTargetOf(const std::string& path);

// Whether anything stands at the name `path` itself: a symbolic link is something, whatever it
// names, and so is a name that cannot even be examined. What a save asks about before replacing.
bool SomethingStandsAt(const std::string& path);

// The directory part of `path`, ending in the separator ("./" for a bare name).
std::string DirectoryOf(const std::string& path);

// Which file the process's standard input or output is (unknown when it is closed).
FileIdentity StandardInputIdentity();
FileIdentity StandardOutputIdentity();

// One output file, not copyable. An output not committed is abandoned when destroyed: its temporary
// file is removed and the old file stays.
class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Prepares to write `path`. When nothing or a regular file stands there (a link followed as
  // the header says), a new file is made under a temporary name beside it, with the old file's
  // permissions when there is one. Anything else that is no directory (a FIFO, a device such as
  // /dev/null) is written directly, as a shell's redirection would write it: the open of a FIFO
  // waits for its reader. False with *error ("path: a directory", "path: cannot create:
  // Permission denied", "path: another user's symbolic link in a shared directory: not
  // followed").
  bool Open(const std::string& path, std::string* error);
  std::FILE* Stream() const { return stream; }
  // Writes all of `bytes`; false when they could not all be written (Failure() says why).
  bool Write(std::string_view bytes);

  // Flushes everything and puts the file in place. False with *error ("path: write error: No space
  // left on device") when anything could not be written; the old file then stays.
  bool Commit(std::string* error);

  // Why the last Open, Write or Commit failed, without the path: the system's words ("No space
  // left on device", "Permission denied") or what stood in the way ("a directory").
  const std::string& Failure() const { return failure; }

 private:
  void Abandon();
  // Sets Failure() and *error ("<given path>: <what>: <failure>", or without <what>).
  bool Fail(const std::string& what, const std::string& reason, std::string* error);

  std::string givenPath;       // as given, for messages
  std::string targetPath;     // where the file ends up
  std::string temporaryPath;  // empty when written directly
  // A file the kernel made where a dangling link pointed, removed again unless committed.
  std::string placeholderPath;
  FileIdentity placeholder;
  std::string failure;
  std::FILE* stream = nullptr;
  int ticket = -1;
};

// A directory in which several files are built that are to replace files of the same names
// together, such as the files of one database. Removed, with what it holds, when destroyed.
class StagingDirectory {
 public:
  StagingDirectory() = default;
  ~StagingDirectory();
  StagingDirectory(const StagingDirectory&) = delete;
  StagingDirectory& operator=(const StagingDirectory&) = delete;

  // Makes a new directory, readable by this user only, inside `directory`, named from `stem` as a
  // temporary file would be. False with *error naming `directory`.
  bool Create(const std::string& directory, const std::string& stem, std::string* error);
  // The staging directory, ending in the separator.
  const std::string& Path() const { return givenPath; }

  // Moves each of `names` from the staging directory into the directory it was made in,
  // replacing what stands there, with every catchable signal held off until the last is moved.
  // False with *error at the first that cannot be moved (those before it have been).
  bool Publish(const std::vector<std::string>& names, std::string* error);

 private:
  std::string parentDirectory;  // ends in the separator
  std::string givenPath;
  int ticket = -1;
};

// Removes from `directory` the temporary files and staging directories that processes of this
// user on this host left behind when something they could not catch ended them: only names in
// the form above, only this user's, only when no process of that number runs any more. Returns
// how many were removed.
int RemoveStaleTemporaries(const std::string& directory);
