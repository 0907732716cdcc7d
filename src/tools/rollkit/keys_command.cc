// rollkit keys: the surnames of a roll's index with their counts, and which of them a search for
// a surname would list.
#include <cstdio>
#include <string>

#include "store/roll_format.h"
#include "store/surname_match.h"
#include "tools/rollkit/commands.h"
#include "tools/rollkit/exit_status.h"
#include "tools/rollkit/roll_text.h"
#include "tools/rollkit/search_session.h"
#include "tools/rollkit/terminal_text.h"

int RunKeys(const KeysOptions& options) {
  std::string surname;
  if (!options.surname.empty()) {
    surname = ArgumentToRollBytes(options.surname, "SURNAME");
    if (KeyOf(surname).empty()) throw UsageError("SURNAME is longer than 23 characters");
  } else if (options.modeGiven) {
    throw UsageError("--match: needs a SURNAME to match");
  }
  SearchSession session;
  if (!session.OpenData(options.dataDirectory)) return kExitDataProblem;
  bool whole = true;
  const KeyCatalogue* catalogue = session.Catalogue(&whole);
  if (!catalogue) return kExitDataProblem;

  // One key a line: its surname and slot count, and, for a search, why it matched. The surname
  // is shown for a reader (terminal_text.h) or, with --raw, written as the roll's bytes.
  std::string line;
  auto write = [&](std::size_t key, const std::string* why) {
    const std::string_view keySurname = catalogue->Surname(key);
    line.assign(options.raw ? std::string(keySurname) : VisibleText(keySurname));
    line += '\t';
    line += std::to_string(catalogue->SlotCount(key));
    if (why) {
      line += '\t';
      line += *why;
    }
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
    return !std::ferror(stdout);
  };
  if (surname.empty()) {
    for (std::size_t key = 0; key < catalogue->Size(); ++key) {
      if (!write(key, nullptr)) break;
    }
  } else {
    const MatchMode mode = EffectiveMatchMode(options.mode, surname);
    for (const KeyMatch& match : MatchKeys(*catalogue, mode, surname)) {
      const std::string why = DescribeMatch(mode, match.detail);
      if (!write(static_cast<std::size_t>(match.key), &why)) break;
    }
  }
  if (!FinishOutput() || session.MessageShown()) return kExitDataProblem;
  if (!whole) {
    return ReportProblem(session.IndexFile() +
                         ": the index is damaged; only the keys that could be read are listed (rollkit check names "
                         "the damage)");
  }
  return kExitOk;
}
