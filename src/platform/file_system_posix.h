// What the POSIX files of the platform layer share.
#pragma once

#include <sys/stat.h>

#include "platform/file_system.h"

FileKind KindOfMode(unsigned mode);
FileIdentity IdentityOfStat(const struct stat& st);

// Whether what `st` describes may be trusted as the program's own: this user's, and nobody else
// may change it (others reading it is its directory's business). The one rule of the program's
// files kept for the user (the private files of the cache and the research log, history.buf and
// the settings); each caller says the refusal in its own words.
enum class Ownership { kOwn, kOtherOwner, kOpenToOthers };
Ownership OwnershipOfStat(const struct stat& st);
