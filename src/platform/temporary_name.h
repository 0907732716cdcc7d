// The name a file has while it is written, before it replaces its target or is renamed into
// place: ".<name>.<process>@<host>.tmp" in the same directory, cut so that the whole fits one
// file name. The process number and the host let a later run tell a writer that is gone from
// one still at work (RemoveStaleTemporaries), on every platform alike.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// The longest file name the programs make: 255 bytes (NAME_MAX on Linux; 255 UTF-16 units on
// Windows, which 255 bytes of UTF-8 never exceed).
inline constexpr std::size_t kLongestFileName = 255;

// The temporary name for `name` of process `process` on `host`.
std::string TemporaryName(const std::string& name, std::uint32_t process, const std::string& host);

// The process number in `name` when it is a temporary name of `host`, else 0.
std::uint32_t OwnerOfTemporaryName(const std::string& name, const std::string& host);

// This machine's name as temporary names carry it: the host name with '/', '\\' and '@' made '_',
// or "localhost" when there is none (temporary_name_posix.cc, temporary_name_win32.cc).
std::string TemporaryHost();

// This process's temporary name for `name` on this machine.
std::string OwnTemporaryName(const std::string& name);
