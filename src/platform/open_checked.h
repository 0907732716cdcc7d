// Opening a file from outside with a message that says what is wrong with it, in the words every
// reader of outside files uses: "<path>: missing", "<path>: a FIFO, not a disk image",
// "<path>: cannot be read: Permission denied".
#pragma once

#include <string>

#include "platform/file_system.h"

// Opens `path` into `file` (never blocking, only a regular file). `role` names what the file
// should have been ("a disk image"). False with *error otherwise.
bool OpenChecked(const std::string& path, const char* role, ReadOnlyFile* file, std::string* error);
