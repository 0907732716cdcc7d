// What the POSIX files of the platform layer share.
#pragma once

#include <sys/stat.h>

#include "platform/file_system.h"

FileKind KindOfMode(unsigned mode);
FileIdentity IdentityOfStat(const struct stat& st);
