// What every session over damaged or vanishing data must keep to, checked after each step: the
// counts are sane, each row's name comes from the name file as it now is, and each detail text
// is built from the line file's own bytes at the row's offset (never from stale or foreign
// memory).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "support/test_roll.h"

// The line ReadLine should give for `offset` in a line file holding `ext`.
std::string ExpectedLine(const std::string& ext, long offset);

// Checks the current page of `s` against the files as they stand in `dataDir` (or, when files
// changed under the open database, as they stand in either `dataDir` or `otherDir`).
void CheckPage(SearchSession& s, const std::string& dataDir, const std::string& context,
               const std::string& otherDir = "");

// Runs the search, pages forwards to the end and back to the start (at most 100 page turns each
// way), opens every row's detail text, and checks each page. Returns the number of rows seen.
int SearchAndPage(SearchSession& s, const std::string& dataDir, const std::string& surname,
                  const std::string& given = "");

// Every regular file under `root` with its bytes and modification time.
struct FileState {
  std::string bytes;
  long long mtimeNs;
  bool operator==(const FileState&) const = default;
};
std::map<std::string, FileState> Snapshot(const std::string& root);
// Paths (relative to the root) that were added, removed or changed from `before` to `after`.
std::vector<std::string> Changes(const std::map<std::string, FileState>& before,
                                 const std::map<std::string, FileState>& after);
