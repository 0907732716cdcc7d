// rollkit log: the research log from the command line (list, show, save, note, export), and the
// recording of a search that `rollkit search --log` asks for. Every subcommand opens the same log
// the viewer keeps (research/log_place.h), or the one --log-file names.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/rollkit/commands.h"
#include "tools/rollkit/find_options.h"

namespace CLI {
class App;
}

class SearchSession;

// What the log subcommands were given, as typed; filled by the parser.
struct LogArguments {
  std::string logFile;  // --log-file; "": the user's own log
  // list
  bool searchesOnly = false;
  bool soldiersOnly = false;
  std::string surname;
  std::optional<std::string> status;
  // show, note
  std::string id;
  // note
  std::optional<std::string> text;
  bool replace = false;
  // save
  SearchOptions search;
  FindArguments find;
  std::string index;
  std::optional<std::string> note;
  // export
  std::string format = "markdown";
  std::string output;

  CLI::App* command = nullptr;
  CLI::App* list = nullptr;
  CLI::App* show = nullptr;
  CLI::App* save = nullptr;
  CLI::App* noteCommand = nullptr;
  CLI::App* exportCommand = nullptr;
};

// Adds `log` and its subcommands to `app`.
void AddLogCommand(CLI::App* app, LogArguments* arguments);
// Runs the log subcommand that was chosen; UsageError for an argument it cannot take.
int RunLog(LogArguments& arguments);

// Records the search `session` ran with `options` in the log (options.logFile, or the user's own).
// False when it could not be recorded: the reason is on stderr, saying the search was not.
bool RecordSearchInLog(SearchSession& session, const SearchOptions& options);
