// What went wrong in an operation of the engine, as a value the caller gets back: which file, and
// what is wrong with it. The engine never shows anything and never ends the process; each front
// end says it in its own way: the viewer with the boxes the program has always shown (BoxFor),
// rollkit with one line that names the file (Text).
#pragma once

#include <string>
#include <utility>

#include "platform/file_system.h"

enum class RollProblem {
  kNone,
  kNoDisk,           // the marker is not there and the user gave up at the disk prompt
  kNoDatabase,       // a database number without files: refused without a word
  kLineFile,         // the line file cannot be used
  kNameFile,         // the name file cannot be used (missing, unreadable, no usable trailer)
  kIndexFormat,      // the index file is not an index: not a regular file, or no end byte
  kIndexUnreadable,  // the index file is there but cannot be read, or is missing from an image
  kIndexMissing,     // no index file, and the database may not make one (it changes no file)
  kStopped,          // a long search was stopped by its caller
};

struct RollStatus {
  RollProblem problem = RollProblem::kNone;
  std::string file;  // the file at fault as it was looked for ("" when none is)
  std::string what;  // what is wrong with it: "missing", "a FIFO, not a roll file", ...
  // The whole line when the cause lies in another file (the disk image the file is read from):
  // "roll.iso: the root directory cannot be read".
  std::string whole;

  RollStatus() = default;
  RollStatus(RollProblem p, std::string path, std::string text)
      : problem(p), file(std::move(path)), what(std::move(text)) {}

  bool Ok() const { return problem == RollProblem::kNone; }
  // "<file>: <what>" (or the whole line, or <what> alone when no file is at fault).
  std::string Text() const;
};

// Opens the data file `path` (as ResolveDataFile names it, in a directory or inside a disk image)
// for reading as a file of the roll, never blocking. When it cannot be, the status has `problem`
// and says why: "missing", "a FIFO, not a roll file", "cannot be read: Permission denied", or
// what is wrong with the image. *how (when given) receives how the open went.
RollStatus OpenRollFileAs(const std::string& path, RollProblem problem, ReadOnlyFile* file,
                          OpenStatus* how = nullptr);

// The message box the viewer shows for a status at the point where it arose; an empty text for
// none (a cancelled disk prompt, a refused number, a stopped search say nothing).
struct StatusBox {
  std::string text;
  unsigned style = 0;
  // The program ends after the box, with status 1 (the index is not an index).
  bool endsProgram = false;
};
StatusBox BoxFor(const RollStatus& status);

// Shown when the index file is there but cannot be read; %s is its path.
inline constexpr const char* kIndexUnreadableMessage = "The index file\n%s\ncannot be read.";
inline constexpr const char* kWrongFileFormat = "wrong file format!";
inline constexpr const char* kLineFileMessage = "ext";
inline constexpr const char* kNameFileMessage = "cor";

// Said of a search over many keys whose index is damaged (a tree that cannot be walked whole, or
// keys whose slot runs overlap or lie outside the name file): the keys and runs that could not be
// trusted were left out.
inline constexpr const char* kDamagedIndexNotice =
    "the index is damaged; only the keys that could be read are searched";
