// What no rollkit command may write over: the files of the roll it reads, and its own input.
// Files are told apart by device and inode, not by name, so that another name for the same file
// (a hard link, a symbolic link, another spelling of the path, a redirection) is caught too.
#pragma once

#include <string>
#include <vector>

#include "platform/file_system.h"
#include "tools/rollkit/database_files.h"

struct GuardedFile {
  std::string path;
  FileIdentity identity;
};

// The files of database 1 that `files` located.
void AddRollFiles(const RollFiles& files, std::vector<GuardedFile>* guarded);
// Every file in `directory` whose name is one of a roll database's (mroll.cor, mroll.ext,
// mroll.tre, mrdb.id) in any case.
void AddRollFilesIn(const std::string& directory, std::vector<GuardedFile>* guarded);

// The guarded file that `identity` is, or null.
const GuardedFile* FindGuarded(const FileIdentity& identity, const std::vector<GuardedFile>& guarded);

// Why `path` may not be written, or "" when it may: it is one of `guarded` (whose part is
// `role`, as in RefusalToOverwrite), or a file of a roll database in the directory it ends up in.
std::string RefusalForOutput(const std::string& path, const std::vector<GuardedFile>& guarded, const std::string& role);

// "out.csv: is d/mroll.ext, <role>; nothing was written", or "d/mroll.ext: is <role>; nothing
// was written" when `subject` names the file the way it was found.
std::string RefusalToOverwrite(const std::string& subject, const GuardedFile& file, const std::string& role);
