// The files of a roll database in a data directory, found the way the engine finds them (one
// rule: platform/file_system.h's ResolveDataFile), for the commands that read them, and the
// engine's own check that a roll can be read, for those that read the files without it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/file_system.h"
#include "store/roll_dialogue.h"

struct RollFiles {
  std::string directory;  // ends in '/'
  std::string image;      // the disk image the files are read out of, or "" for a directory
  std::string marker;     // full paths, as the engine will open them; empty when nothing is there
  std::string nameFile;
  std::string lineFile;
  std::string indexFile;
};

// The data directory: `given` (--data) when set, else MRPath of section Kinloom7m in brevik.ini
// when that directory holds the marker, else the first place on mounted media that holds the
// roll, else MRPath all the same (its files' messages then say what is missing). Returns false
// with *error saying where it looked when none of these names one.
bool ResolveDataDirectory(const std::optional<std::string>& given, std::string* directory,
                          std::string* error);

// Finds the files of database 1 in `directory`, or inside it when it is a disk image file
// (platform/data_file.h). False with *error ("d: no such directory", "d: a FIFO, not a
// directory", "d.iso: no ISO 9660 file system") when it is neither.
bool LocateRollFiles(const std::string& directory, RollFiles* files, std::string* error);

// `files.directory` as the engine's data location takes it: ending in the platform's own
// separator, so that the engine adds none ("C:\\rolls\\" on Windows; on POSIX the directory itself).
std::string EngineDirectory(const RollFiles& files);

// The path a missing file would have, for messages.
std::string ExpectedPath(const RollFiles& files, const char* name);

// Opens one data file for reading; false with *error ("path: a FIFO, not a roll file",
// "path: cannot be read: Permission denied") when it cannot be read as a roll file.
bool OpenRollFile(const std::string& path, ReadOnlyFile* file, std::string* error);

// Whether the engine can open the roll (store/roll_database.h, never making a missing index): the
// marker, the three files (each a readable regular file), the index file's end byte and a usable
// name-file trailer. False with *error naming the file at fault and what is wrong with it.
bool CheckReadable(const RollFiles& files, std::string* error);

// rollkit's answer to the disk prompt: nobody waits at a terminal to put a disk in.
RollDialogue& NoDiskPrompt();

// Whether an index file of `size` bytes can be read at all: node offsets are 32-bit, so a larger
// file holds bytes that nothing can point at.
bool IndexSizeReachable(std::int64_t size);

// Whether `directory` holds any file of a roll database (in any case).
bool HoldsRollFiles(const std::string& directory, std::string* which);
