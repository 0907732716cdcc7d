#include "tools/rollkit/search_session.h"

#include <cstdio>
#include <cstring>

#include "platform/cp1252.h"
#include "store/companion_cache.h"
#include "store/roll_format.h"
#include "store/search_request.h"
#include "tools/rollkit/database_files.h"
#include "tools/rollkit/exit_status.h"
#include "tools/rollkit/output_guard.h"
#include "tools/rollkit/roll_text.h"

SearchSession::SearchSession() = default;

SearchSession::~SearchSession() {
  list.reset();
  database.reset();
}

void SearchSession::Say(const std::string& text) {
  // One line on stderr: the box's lines and paragraphs joined by single spaces, in the terminal's
  // UTF-8.
  std::string line;
  for (char c : Cp1252ToUtf8(text)) {
    if (c == '\n' || c == ' ') {
      if (!line.empty() && line.back() != ' ') line.push_back(' ');
    } else {
      line.push_back(c);
    }
  }
  while (!line.empty() && line.back() == ' ') line.pop_back();
  ReportProblem(line);
  messageShown = true;
}

void SearchSession::SayNotices() {
  for (const std::string& notice : list->TakeNotices()) Say(notice);
}

bool SearchSession::Run(const SearchOptions& options) {
  if (options.surname.empty()) throw UsageError("SURNAME is empty");
  const std::string surname = ArgumentToRollBytes(options.surname, "SURNAME");
  if (KeyOf(surname).empty()) throw UsageError("SURNAME is longer than 23 characters");
  std::string given;
  if (!options.givenName.empty()) {
    given = ArgumentToRollBytes(options.givenName, "--given");
    if (given.size() > kGivenNameLength) throw UsageError("--given is longer than 255 characters");
  }
  if (options.givenVariants && given.empty()) throw UsageError("--given-variants: needs --given");

  if (!OpenData(options.dataDirectory)) return false;
  list->SetRowsPerPage(options.rows == kLargeFontRowsPerPage);
  // The companion only saves time: the answer is the same without it.
  if (!options.noCompanion) database->SetCompanionDirectory(CompanionCachePlace());

  SearchRequest request;
  request.SetSurname(surname.c_str());
  request.SetDatabase(1);
  if (!given.empty()) request.SetGivenName(given.c_str());
  // The exact mode without a filter is the classic search itself.
  FindOptions find = options.find;
  find.givenVariants = options.givenVariants;
  return Show(database->RunFind(request, find, nullptr));
}

bool SearchSession::Show(SearchAnswer&& answer) {
  if (!answer.Status().Ok()) {
    ReportProblem(answer.Status().Text());
    return false;
  }
  if (!answer.DamagedIndex().empty()) {
    ReportProblem(answer.DamagedIndex() + ": " + kDamagedIndexNotice + " (rollkit check names the damage)");
    messageShown = true;
  }
  list->Show(std::move(answer));
  list->FinishPendingWrites();
  SayNotices();
  return true;
}

bool SearchSession::RunRoster(const RosterRequest& roster, const std::optional<std::string>& dataDirectory,
                              bool noCompanion, int rows) {
  if (!OpenData(dataDirectory)) return false;
  list->SetRowsPerPage(rows == kLargeFontRowsPerPage);
  if (!noCompanion) database->SetCompanionDirectory(CompanionCachePlace());
  return Show(database->RunRoster(roster, nullptr));
}

bool SearchSession::OpenData(const std::optional<std::string>& dataDirectory) {
  std::string directory;
  std::string error;
  RollFiles files;
  if (!ResolveDataDirectory(dataDirectory, &directory, &error) ||
      !LocateRollFiles(directory, &files, &error)) {
    ReportProblem(error);
    return false;
  }
  // What is printed never goes into the roll being read (standard output appending to it).
  InputFiles inputs;
  AddRollFiles(files, &inputs);
  if (const std::string refusal = RefusalForStandardOutput(inputs, "a file of the roll being read");
      !refusal.empty()) {
    ReportProblem(refusal);
    return false;
  }
  indexFile = files.indexFile.empty() ? ExpectedPath(files, kIndexFileName) : files.indexFile;
  location.SetDirectories("", EngineDirectory(files).c_str());
  if (!location.dataDirectoryUsable) {
    ReportProblem(files.directory + ": path too long");
    return false;
  }
  database = std::make_unique<RollDatabase>(location, NoDiskPrompt());
  // rollkit changes no file of a roll: a missing index is missing, not made.
  database->SetMissingIndex(MissingIndex::kRefuse);
  list = std::make_unique<ResultList>(*database, nullptr);
  return true;
}

const KeyCatalogue* SearchSession::Catalogue(bool* whole) {
  RollStatus status;
  if (!database->EnsureDataPresent(&status) || !database->Open(1, &status)) {
    ReportProblem(status.Text());
    return nullptr;
  }
  const KeyCatalogue* catalogue = database->Catalogue();
  *whole = !catalogue->Damaged();
  return catalogue;
}

std::string SearchSession::RowSurname(int row) const {
  if (FoundSpan span; list->RowSpan(row, &span)) return std::string(span.surname);
  return list->DisplaySurname();
}

SoldierEntry SearchSession::RowEntry(int row) {
  const ResultRow& r = list->Row(row);
  char line[kLineBufferSize];
  database->ReadLine(r.lineOffset, line);
  return EntryFromRoll(RowSurname(row), r.nameText, SplitFields(line));
}

void SearchSession::ForEachRow(const std::function<bool(int row)>& visit) {
  // Bounded by the result count, so that a list that keeps offering pages cannot loop forever.
  std::int64_t remaining = list->ResultCount();
  for (;;) {
    const int rows = list->RowCount();
    for (int i = 0; i < rows && remaining > 0; ++i, --remaining) {
      if (!visit(i)) return;
    }
    if (remaining <= 0 || rows == 0 || !list->HasNextPage()) return;
    list->NextPage();
  }
}

void WriteText(std::string_view bytes, bool raw) {
  if (raw) {
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  } else {
    const std::string text = Cp1252ToUtf8(bytes);
    std::fwrite(text.data(), 1, text.size(), stdout);
  }
}

bool FinishOutput() {
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    ReportProblem(std::string("cannot write to standard output: ") + std::strerror(errno));
    return false;
  }
  return true;
}
