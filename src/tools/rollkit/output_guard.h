// What no rollkit command may write over, in rollkit's words: the files of the roll it reads, its
// own input, and any file of a roll database where the output would end up. The rule itself is
// the engine's (store/input_files.h), which the viewer's saves follow too.
#pragma once

#include <string>

#include "store/input_files.h"
#include "tools/rollkit/database_files.h"

// The files of the roll that `files` located: the four files, or the disk image (and the file its
// cue sheet names) they are read out of.
void AddRollFiles(const RollFiles& files, InputFiles* inputs);

// Why `path` may not be written, or "" when it may: it is one of `inputs` (whose part is `role`,
// as in RefusalToOverwrite), or a file of a roll database in the directory it ends up in.
std::string RefusalForOutput(const std::string& path, const InputFiles& inputs, const std::string& role);

// Why standard output may not be written, or "": it is one of `inputs` (redirected into one, for
// appending, say).
std::string RefusalForStandardOutput(const InputFiles& inputs, const std::string& role);

// "out.csv: is d/mroll.ext, <role>; nothing was written", or "d/mroll.ext: is <role>; nothing
// was written" when `subject` names the file the way it was found.
std::string RefusalToOverwrite(const std::string& subject, const InputFile& file, const std::string& role);
