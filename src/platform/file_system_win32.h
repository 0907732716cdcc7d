// What the Windows files of the platform layer share.
#pragma once

#include <windows.h>

#include <cstdint>

#include "platform/file_system.h"

// What a handle is open on; kMissing for a file removed while open (its name lingers until the
// last handle goes).
FileKind KindOfHandle(HANDLE h);
FileIdentity IdentityOfHandle(HANDLE h);
// Reads and writes at an offset of a handle; the handle's own file pointer is not used.
std::int64_t PositionedRead(HANDLE h, std::int64_t offset, void* out, std::size_t size);
bool PositionedWrite(HANDLE h, std::int64_t offset, const void* data, std::size_t size);
