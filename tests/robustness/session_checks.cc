#include "session_checks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "platform/file_system.h"
#include "results/detail_text.h"
#include "store/roll_format.h"

std::string ExpectedLine(const std::string& ext, long offset) {
  if (offset < 0 || offset >= static_cast<long>(ext.size())) return "";
  std::string line;
  for (std::size_t i = static_cast<std::size_t>(offset); i < ext.size() && line.size() < kLineBufferSize - 1; ++i) {
    line += ext[i];
    if (ext[i] == '\n') break;
  }
  return line.substr(0, line.find('\0'));
}

void CheckPage(SearchSession& s, const std::string& dataDir, const std::string& context, const std::string& otherDir) {
  std::vector<std::string> dirs{dataDir};
  if (!otherDir.empty()) dirs.push_back(otherDir);
  ResultList& list = s.list;
  // A negative count is an index entry that promised a negative number of slots: shown as "No
  // records found." with nothing to page.
  if (list.ResultCount() < 0) {
    ASSERT_FALSE(list.IsFiltered()) << context;
    ASSERT_EQ(list.RowCount(), 0) << context;
    ASSERT_FALSE(list.HasNextPage()) << context;
    ASSERT_FALSE(list.HasPreviousPage()) << context;
  }
  ASSERT_GE(list.RowCount(), 0) << context;
  ASSERT_LE(list.RowCount(), list.RowsPerPage()) << context;
  for (int i = 0; i < list.RowCount(); ++i) {
    const ResultRow& row = list.Row(i);
    const std::string name = row.nameText;
    const std::string detail = list.DetailText(i);
    EXPECT_LT(std::strlen(row.summaryText), static_cast<std::size_t>(kRowSummarySize)) << context;
    bool nameFound = name.empty();
    std::vector<std::string> details;
    for (const std::string& dir : dirs) {
      nameFound = nameFound || ReadFileBytes(dir + "mroll.cor").find(name) != std::string::npos;
      char expected[kDetailTextSize];
      const std::string line = ExpectedLine(ReadFileBytes(dir + "mroll.ext"), row.lineOffset);
      ComposeDetailText(line.c_str(), 1, expected, sizeof expected);
      details.push_back(expected);
    }
    EXPECT_TRUE(nameFound) << context << ": row " << i << " " << name;
    if (dirs.size() > 1) details.push_back("");
    EXPECT_NE(std::find(details.begin(), details.end(), detail), details.end())
        << context << ": row " << i << " at " << row.lineOffset << ": " << detail;
  }
}

int SearchAndPage(SearchSession& s, const std::string& dataDir, const std::string& surname, const std::string& given) {
  const std::string context = surname + "/" + given;
  s.Search(surname, given);
  CheckPage(s, dataDir, context);
  int rows = s.list.RowCount();
  for (int page = 0; page < 100 && s.list.HasNextPage(); ++page) {
    s.list.NextPage();
    CheckPage(s, dataDir, context + " next " + std::to_string(page));
    rows += s.list.RowCount();
  }
  for (int page = 0; page < 100 && s.list.HasPreviousPage(); ++page) {
    s.list.PreviousPage();
    CheckPage(s, dataDir, context + " previous " + std::to_string(page));
  }
  return rows;
}

std::map<std::string, FileState> Snapshot(const std::string& root) {
  std::map<std::string, FileState> files;
  const std::filesystem::path top = PathFromUtf8(root);
  for (const auto& entry : std::filesystem::recursive_directory_iterator(top)) {
    if (!entry.is_regular_file()) continue;
    // The platform's own clock of the file (to the nanosecond where it has one; the C library's
    // on Windows counts whole seconds).
    const long long mtime = static_cast<long long>(IdentityOfPath(Utf8Path(entry.path())).modified);
    // Keyed by the relative path in '/' form on every platform.
    const std::u8string relative = std::filesystem::relative(entry.path(), top).generic_u8string();
    files[std::string(relative.begin(), relative.end())] = {ReadFileBytes(Utf8Path(entry.path())), mtime};
  }
  return files;
}

std::vector<std::string> Changes(const std::map<std::string, FileState>& before,
                                 const std::map<std::string, FileState>& after) {
  std::vector<std::string> changed;
  for (const auto& [path, state] : after) {
    auto it = before.find(path);
    if (it == before.end() || !(it->second == state)) changed.push_back(path);
  }
  for (const auto& [path, state] : before) {
    if (!after.count(path)) changed.push_back(path);
  }
  return changed;
}
