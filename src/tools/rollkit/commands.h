// The subcommands of rollkit. Each takes its parsed options and returns the process exit status
// (exit_status.h); an argument it cannot take is thrown as UsageError.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Shared by search and show: which database and which search.
struct SearchOptions {
  std::optional<std::string> dataDirectory;  // --data; otherwise the viewer's configuration
  std::string surname;                       // as typed (UTF-8)
  std::string givenName;                     // empty: no given-name filter
  int rows = 10;                             // rows per page: 10 or 8
  bool raw = false;                          // Windows-1252 bytes unchanged
};

int RunSearch(const SearchOptions& options, bool json);
int RunShow(const SearchOptions& options, long long index);

struct BuildOptions {
  std::string csvPath;
  std::string directory;
  int nameLength = 0;  // 0: the longest name text + 1
  bool force = false;
};
int RunBuild(const BuildOptions& options);

int RunCheck(const std::string& directory);

struct DumpOptions {
  std::optional<std::string> dataDirectory;
  std::string csvPath = "-";
};
int RunDump(const DumpOptions& options);

struct ImageOptions {
  std::string directory;  // the roll database
  std::string output;     // the image file to write
  bool force = false;     // replace an existing output
  bool joliet = true;     // add Joliet names beside the upper-case ones
};
int RunImage(const ImageOptions& options);
