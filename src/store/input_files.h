// The files a program reads that nothing it writes may replace: above all the files a roll is
// read from (its marker and three files, or the disk image holding them and, for a cue sheet, the
// file whose sectors it names), and anything else a command reads (a CSV being built from).
//
// Files are told apart by identity (device and inode; on Windows volume and file index), not by
// name, so that a hard link, a symbolic link, another spelling of the path or a redirection is
// caught as well. rollkit and the viewer ask the same question before every write
// (InputReplacedBy) and only word the answer in their own way.
#pragma once

#include <string>
#include <vector>

#include "platform/file_system.h"

struct InputFile {
  std::string path;  // as it was found, for messages
  FileIdentity identity;
};

class InputFiles {
 public:
  // The files the roll of `dataDirectory` is read from, found as the engine finds them: for a
  // directory its marker, name, line and index files (ResolveDataFile); for a disk image (the
  // directory part names a regular file) the image file and the file a cue sheet names. Files
  // that are not there are passed over.
  void AddRoll(const std::string& dataDirectory);
  // Every file in `directory` whose name is one of a roll database's (mroll.cor, mroll.ext,
  // mroll.tre, mrdb.id), in any case.
  void AddRollFilesIn(const std::string& directory);
  // One more file; passed over when nothing stands at `path`.
  void Add(const std::string& path);
  void Add(const std::string& path, const FileIdentity& identity);

  // The file among these that `identity` is, or null.
  const InputFile* Find(const FileIdentity& identity) const;
  bool Empty() const { return files.empty(); }

 private:
  std::vector<InputFile> files;
};

// What an output written at `path` would replace that it may not.
struct ReplacedInput {
  enum Kind {
    kNone,
    kInput,     // one of the inputs handed in
    kRollFile,  // a file of a roll database in the directory the output ends up in
  };
  Kind kind = kNone;
  InputFile file;
};

// The input the file now at `path` (links followed) is, or a file of a roll database (any roll,
// read or not) where the output would end up; kind kNone when the output may be written.
ReplacedInput InputReplacedBy(const std::string& path, const InputFiles& inputs);
