// Drives the rollkit executable from tests: runs it with arguments (and extra environment),
// captures its output and exit status; plus a scratch directory and small file helpers.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "support/child_process.h"
#include "support/scoped_temp_dir.h"

RunResult RunRollkit(const std::vector<std::string>& args,
                     const std::map<std::string, std::string>& environment = {});

// A scratch directory; Path() has no trailing separator.
class ScratchDir {
 public:
  ScratchDir() : path_(dir_.path().substr(0, dir_.path().size() - 1)) {}
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + kPathSeparator + name; }

 private:
  ScopedTempDir dir_;
  std::string path_;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
// File names in a directory, sorted.
std::vector<std::string> ListDir(const std::string& path);
std::vector<std::string> Lines(const std::string& text);

// Writes `csv` to dir/name.csv and builds a database from it into dir/name; returns that path.
std::string BuildRoll(const ScratchDir& dir, const std::string& name, const std::string& csv);

// The header row of a roll CSV (surname, name and the ten fields).
extern const char* const kRollHeader;
