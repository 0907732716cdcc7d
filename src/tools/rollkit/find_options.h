// The options that widen or narrow a search beyond its exact surname key: --match, --side,
// --state, --unit and --company, shared by search, show, pull-list and keys. They are taken as
// typed and checked once the command line has been parsed, so that every bad value is a usage
// error naming the option and what it allows.
#pragma once

#include <optional>
#include <string>

#include "store/search_answer.h"

namespace CLI {
class App;
}

// Each as typed; absent when not given (an empty value given is refused like any other).
struct FindArguments {
  std::optional<std::string> match;  // absent: exact (a * or ? in the surname switches wildcards on)
  std::optional<std::string> side;
  std::optional<std::string> state;
  std::optional<std::string> unit;
  std::optional<std::string> company;
};

// Adds --match to `command`, and the four filters unless `matchOnly`.
void AddFindOptions(CLI::App* command, FindArguments* arguments, bool matchOnly = false);

// The search the arguments ask for; throws UsageError ("--side: X is not U or C") for a value
// the option does not take. Texts are returned in the roll's code page.
FindOptions ParseFindArguments(const FindArguments& arguments);

// The allowed values of --match, as the usage error and the help list them: "exact, wildcard,
// soundex, dm, similar".
std::string MatchModeChoices();
