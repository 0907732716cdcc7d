// The files of the data disk, whether the disk is a directory or kept as a disk image file.
//
// The data directory may name a disk image (.iso, .bin or .cue: any regular file does, the
// layout is found from its bytes). Its data files are then the files of the image's root
// directory: "<image><separator><name>" names the file <name> inside the image (any case, with
// or without the ";1" version suffix), read in place and read-only as a ReadOnlyFile::Window.
// The engine builds every data file's path as "<data directory><name>" and opens it here, so it
// reads a roll in an image without knowing.
//
// Nothing inside an image can be created or changed: a file missing from an image stays missing.
#pragma once

#include <string>
#include <vector>

#include "platform/file_system.h"

// Whether the data file `path` lies inside a disk image: its directory part names a regular
// file. When it does, *image (when given) receives the image's path and *name the file's name.
bool DataFileInImage(const std::string& path, std::string* image = nullptr, std::string* name = nullptr);

// Opens the data file `path` (after ResolveDataFile). A file of its own opens as ReadOnlyFile::Open
// opens it. A file inside an image opens as a window: kMissing when the image has no such file,
// kUnreadable when the image cannot be read as one or the file's sectors are not all in it;
// *error (when given) then says why, naming the image ("d.iso: no ISO 9660 file system").
// `kind` receives kRegular for a file found in an image.
OpenStatus OpenDataFile(const std::string& path, ReadOnlyFile* file, FileKind* kind = nullptr,
                        std::string* error = nullptr);

// Whether `path` still names the file that was opened with `identity` and is unchanged (same
// size and times): for a file inside an image, whether the image file is (an unchanged image
// holds its files where they were). One question to the file system, or two for a cue sheet.
bool DataFileUnchanged(const std::string& path, const FileIdentity& identity);

// The files DataFileUnchanged looks at for `path`: `path` itself, or for a file inside an image
// the image (a cue sheet, then also the file its sectors lie in). For a PathWatch.
std::vector<std::string> DataFileSources(const std::string& path, const FileIdentity& identity);
