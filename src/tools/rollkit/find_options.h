// The options that widen or narrow a search beyond its exact surname key: --match, --side,
// --state, --unit and --company, shared by search, show, pull-list and keys. They are taken as
// typed and checked once the command line has been parsed, so that every bad value is a usage
// error naming the option and what it allows.
#pragma once

#include <string>

#include "results/find_result.h"

namespace CLI {
class App;
}

struct FindArguments {
  std::string match;    // "": exact (a * or ? in the surname still switches wildcards on)
  std::string side;
  std::string state;
  std::string unit;
  std::string company;
};

// Adds --match to `command`, and the four filters unless `matchOnly`.
void AddFindOptions(CLI::App* command, FindArguments* arguments, bool matchOnly = false);

// The search the arguments ask for; throws UsageError ("--side: X is not U or C") for a value
// the option does not take. Texts are returned in the roll's code page.
FindOptions ParseFindArguments(const FindArguments& arguments);

// The allowed values of --match, as the usage error and the help list them: "exact, wildcard,
// soundex, dm, similar".
std::string MatchModeChoices();
