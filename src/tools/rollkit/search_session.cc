#include "tools/rollkit/search_session.h"

#include <cstdio>
#include <cstring>

#include "platform/cp1252.h"
#include "store/roll_format.h"
#include "store/search_request.h"
#include "tools/rollkit/database_files.h"
#include "tools/rollkit/exit_status.h"
#include "tools/rollkit/output_guard.h"
#include "tools/rollkit/roll_text.h"

SearchSession::SearchSession() {
  previousHandler = InstallMessageBoxHandler([this](const char* text, unsigned) {
    // One line on stderr: the box's lines and paragraphs joined by single spaces, in the
    // terminal's UTF-8.
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
    return kIdCancel;
  });
}

SearchSession::~SearchSession() {
  catalogue.reset();
  list.reset();
  database.reset();
  InstallMessageBoxHandler(previousHandler);
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

  if (!OpenData(options.dataDirectory)) return false;
  list->SetRowsPerPage(options.rows == kLargeFontRowsPerPage);

  SearchRequest request;
  request.SetSurname(surname.c_str());
  request.SetDatabase(1);
  if (!given.empty()) request.SetGivenName(given.c_str());
  // The exact mode without a filter is the classic search itself.
  const FindOutcome outcome = database->RunFind(request, options.find, nullptr);
  list->FinishPendingWrites();
  if (outcome == FindOutcome::kNoData && !messageShown) {
    ReportProblem(location.dataDirectory + std::string(": the roll's files could not be opened"));
    return false;
  }
  return !messageShown;
}

bool SearchSession::OpenData(const std::optional<std::string>& dataDirectory) {
  std::string directory;
  std::string error;
  RollFiles files;
  if (!ResolveDataDirectory(dataDirectory, &directory, &error) || !LocateRollFiles(directory, &files, &error) ||
      !CheckReadable(files, &error)) {
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
  indexFile = files.indexFile;
  location.SetDirectories("", files.directory.c_str());
  if (!location.dataDirectoryUsable) {
    ReportProblem(files.directory + ": path too long");
    return false;
  }
  database = std::make_unique<RollDatabase>(location);
  list = std::make_unique<ResultList>(*database, nullptr);
  database->SetResultList(list.get());
  return true;
}

const KeyCatalogue* SearchSession::Catalogue(bool* whole) {
  if (!database->EnsureDataPresent() || !database->Open(1) || !database->Index()) {
    if (!messageShown) ReportProblem(location.dataDirectory + std::string(": the roll's files could not be opened"));
    return nullptr;
  }
  // Walked here rather than taken from the database, which keeps no word of a damaged tree.
  catalogue = std::make_unique<KeyCatalogue>();
  *whole = catalogue->Build(*database->Index());
  return catalogue.get();
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
