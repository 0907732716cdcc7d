#include "tools/rollkit/find_options.h"

#include <CLI/CLI.hpp>

#include "tools/rollkit/exit_status.h"
#include "tools/rollkit/roll_text.h"

namespace {

constexpr MatchMode kAllModes[] = {MatchMode::kExact, MatchMode::kWildcard, MatchMode::kSoundex,
                                   MatchMode::kDaitchMokotoff, MatchMode::kSimilar};

// Longer than any unit the roll's lines hold; a longer text could never match.
constexpr std::size_t kLongestUnitText = 255;
// Companies are a letter or two ("A", "K", "AA"), sometimes a short word; never longer.
constexpr std::size_t kLongestCompany = 16;

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsLetterOrDigit(char c) { return IsLetter(c) || (c >= '0' && c <= '9'); }

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

}  // namespace

std::string MatchModeChoices() {
  std::string text;
  for (MatchMode mode : kAllModes) {
    if (!text.empty()) text += ", ";
    text += MatchModeName(mode);
  }
  return text;
}

void AddFindOptions(CLI::App* command, FindArguments* arguments, bool matchOnly) {
  command->add_option("--match", arguments->match,
                      "How the surname is matched (default exact; a * or ? in it means wildcard)")
      ->type_name("exact|wildcard|soundex|dm|similar");
  if (matchOnly) return;
  command->add_option("--side", arguments->side, "Keep only Union (U) or Confederate (C) entries")
      ->type_name("U|C");
  command->add_option("--state", arguments->state, "Keep only units of this state (ME, OH, ...)")
      ->type_name("XX");
  command->add_option("--unit", arguments->unit, "Keep only units whose text contains TEXT (case ignored)")
      ->type_name("TEXT");
  command->add_option("--company", arguments->company, "Keep only entries of this company (A, K, ...)")
      ->type_name("X");
}

FindOptions ParseFindArguments(const FindArguments& arguments) {
  FindOptions options;
  if (arguments.match && !ParseMatchMode(*arguments.match, &options.mode)) {
    throw UsageError("--match: " + *arguments.match + " is not one of " + MatchModeChoices());
  }
  if (arguments.side) {
    const std::string side = Upper(*arguments.side);
    if (side != "U" && side != "C") throw UsageError("--side: " + *arguments.side + " is not U or C");
    options.filter.side = side[0];
  }
  if (arguments.state) {
    const std::string& state = *arguments.state;
    if (state.size() != 2 || !IsLetter(state[0]) || !IsLetter(state[1])) {
      throw UsageError("--state: " + state + " is not a two-letter state abbreviation");
    }
    options.filter.state = Upper(state);
  }
  if (arguments.unit) {
    std::string unit = ArgumentToRollBytes(*arguments.unit, "--unit");
    if (unit.find_first_not_of(' ') == std::string::npos) throw UsageError("--unit: the text is blank");
    if (unit.size() > kLongestUnitText) throw UsageError("--unit is longer than 255 characters");
    options.filter.unit = std::move(unit);
  }
  if (arguments.company) {
    const std::string& company = *arguments.company;
    bool plain = !company.empty() && company.size() <= kLongestCompany;
    for (char c : company) plain = plain && IsLetterOrDigit(c);
    if (!plain) throw UsageError("--company: " + company + " is not a company (letters or digits, at most 16)");
    options.filter.company = Upper(company);
  }
  return options;
}
