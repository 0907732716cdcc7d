// rollkit's text output from any roll bytes: an entry made of the input (surname, name text and
// line, beside an ordinary one under the same surname) is searched, shown, listed among the keys
// and in the pull list, with each command's standard output and error captured. No control
// character of the roll reaches them: only the line feeds that end lines, and the tabs between a
// row's three columns and a key's two, are there. --json is one JSON document without a raw
// control character.
//
// Input parts (fuzz_support.h): surname, name text, line.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "platform/cp1252.h"
#include "store/roll_format.h"
#include "store/roll_writer.h"
#include "tools/rollkit/commands.h"
#include "tools/rollkit/exit_status.h"

namespace {

struct Captured {
  std::string out, err;
};

// Runs `command` with standard output and error going to files, and gives back what it wrote.
Captured Capture(const std::function<void()>& command) {
  static const std::string outPath = fuzz::ScratchDir() + "out.txt";
  static const std::string errPath = fuzz::ScratchDir() + "err.txt";
  std::fflush(stdout);
  std::fflush(stderr);
  const int savedOut = dup(STDOUT_FILENO);
  const int savedErr = dup(STDERR_FILENO);
  const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (savedOut < 0 || savedErr < 0 || out < 0 || err < 0) std::abort();
  dup2(out, STDOUT_FILENO);
  dup2(err, STDERR_FILENO);
  try {
    command();
  } catch (const UsageError&) {
    // An argument the command refuses (a surname too long for a key): nothing to look at.
  }
  std::fflush(stdout);
  std::fflush(stderr);
  dup2(savedOut, STDOUT_FILENO);
  dup2(savedErr, STDERR_FILENO);
  for (int fd : {savedOut, savedErr, out, err}) close(fd);
  std::clearerr(stdout);
  auto slurp = [](const std::string& path) {
    std::string text;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
      char buffer[4096];
      std::size_t n;
      while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
      std::fclose(f);
    }
    return text;
  };
  return {slurp(outPath), slurp(errPath)};
}

// Whether `text` holds a control character (as a byte, or as the UTF-8 of a C1 control) other
// than a line feed, and other than the tabs each line may hold (`tabs` per line, or any when -1).
bool Clean(const std::string& text, int tabs) {
  int tabsInLine = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b == '\n') {
      if (tabs >= 0 && tabsInLine != 0 && tabsInLine != tabs) return false;
      tabsInLine = 0;
    } else if (b == '\t') {
      if (tabs == 0) return false;
      ++tabsInLine;
    } else if (b < 0x20 || b == 0x7F ||
               (b == 0xC2 && i + 1 < text.size() &&
                (static_cast<unsigned char>(text[i + 1]) & 0xE0) == 0x80)) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string_view> parts = fuzz::SplitParts(data, size, 3);
  static const std::string roll = fuzz::ScratchDir() + "roll/";
  std::error_code ignored;
  std::filesystem::remove_all(roll, ignored);
  std::filesystem::create_directory(roll);
  RollWriter writer;
  std::string error;
  const std::vector<std::string_view> fields = SplitFields(parts[2]);
  const std::vector<std::string_view> plain = {"J", "A", "5 IL INF", "PVT", "PVT", "", "1", "2", "3", "U"};
  if (!writer.Add(parts[0], parts[1], fields, &error) || !writer.Add(parts[0], "Zed", plain, &error) ||
      !writer.Write(roll, &error)) {
    return 0;
  }
  fuzz::WriteFile(roll + "mrdb.id", "");

  SearchOptions search;
  search.dataDirectory = roll;
  search.surname = Cp1252ToUtf8(parts[0]);  // as typed: the bytes come back as they are
  if (search.surname.empty()) return 0;
  KeysOptions keys;
  keys.dataDirectory = roll;

  const Captured rows = Capture([&] { RunSearch(search, false); });
  FUZZ_CHECK(Clean(rows.out, 2) && Clean(rows.err, 0));
  const Captured shown = Capture([&] { RunShow(search, {"0-1"}); });
  FUZZ_CHECK(Clean(shown.out, 0) && Clean(shown.err, 0));
  const Captured listed = Capture([&] { RunKeys(keys); });
  FUZZ_CHECK(Clean(listed.out, 1) && Clean(listed.err, 0));
  const Captured pull = Capture([&] { RunPullList(search, false); });
  FUZZ_CHECK(Clean(pull.out, 0) && Clean(pull.err, 0));
  const Captured json = Capture([&] { RunSearch(search, true); });
  FUZZ_CHECK(Clean(json.out, 0) && Clean(json.err, 0));
  FUZZ_CHECK(json.out.empty() || nlohmann::json::accept(json.out));
  return 0;
}
