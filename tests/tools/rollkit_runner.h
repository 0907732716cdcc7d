// Drives the rollkit executable from tests: runs it with arguments (and extra environment),
// captures its output and exit status; plus a scratch directory and small file helpers.
#pragma once

#include <map>
#include <string>
#include <vector>

struct RunResult {
  int exitCode = -1;  // -1 when it did not exit normally (killed by a signal)
  std::string out;
  std::string err;
};

RunResult RunRollkit(const std::vector<std::string>& args,
                     const std::map<std::string, std::string>& environment = {});

class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
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
