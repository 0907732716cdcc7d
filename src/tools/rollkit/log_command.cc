// rollkit log and search --log: the research log in a terminal and in scripts.
#include "tools/rollkit/log_command.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/cp1252.h"
#include "platform/data_file.h"
#include "platform/output_file.h"
#include "records/gedcom_writer.h"
#include "research/log_export.h"
#include "research/log_place.h"
#include "research/research_log.h"
#include "research/roll_identity.h"
#include "results/detail_text.h"
#include "store/roll_format.h"
#include "tools/rollkit/exit_status.h"
#include "tools/rollkit/number_argument.h"
#include "tools/rollkit/output_guard.h"
#include "tools/rollkit/roll_text.h"
#include "tools/rollkit/search_session.h"

namespace {

constexpr std::uint64_t kMostId = 9223372036854775807ULL;
constexpr std::uint64_t kMostPosition = 2147483647;
constexpr const char* kNotRecorded = "; this search was not recorded";

// Decodes one UTF-8 character at the start of `text`: its length, or 0 when malformed.
std::size_t Utf8Length(std::string_view text, char32_t* codePoint) {
  const auto b0 = static_cast<unsigned char>(text[0]);
  std::size_t length = 0;
  char32_t value = 0;
  if (b0 < 0x80) {
    *codePoint = b0;
    return 1;
  }
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2;
    value = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3;
    value = b0 & 0x0F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4;
    value = b0 & 0x07;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if ((b & 0xC0) != 0x80) return 0;
    value = (value << 6) | (b & 0x3F);
  }
  if ((length == 3 && (value < 0x800 || (value >= 0xD800 && value <= 0xDFFF))) ||
      (length == 4 && (value < 0x10000 || value > 0x10FFFF))) {
    return 0;
  }
  *codePoint = value;
  return length;
}

bool IsUtf8(std::string_view text) {
  while (!text.empty()) {
    char32_t c = 0;
    const std::size_t length = Utf8Length(text, &c);
    if (length == 0) return false;
    text.remove_prefix(length);
  }
  return true;
}

// A text for the terminal: the log is a file from outside like any other, so no control
// character (C0, DEL or C1) reaches the terminal, and bytes that are not UTF-8 show as '?'.
std::string TerminalText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    char32_t c = 0;
    const std::size_t length = Utf8Length(text, &c);
    if (length == 0) {
      out.push_back('?');
      text.remove_prefix(1);
      continue;
    }
    if (c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F)) {
      out.push_back(' ');
    } else {
      out.append(text.substr(0, length));
    }
    text.remove_prefix(length);
  }
  return out;
}

// A text typed on the command line as the log keeps it: UTF-8, or, when it is not UTF-8 at all,
// the Windows-1252 bytes of the terminal it came from (as the roll's arguments are taken).
std::string TypedText(const std::string& argument) {
  return IsUtf8(argument) ? argument : Cp1252ToUtf8(argument);
}

void Print(const std::string& line) {
  const std::string text = TerminalText(line) + "\n";
  std::fwrite(text.data(), 1, text.size(), stdout);
}

std::string LogPath(const std::string& given) { return given.empty() ? DefaultLogPath() : given; }

// Why the log may not be written while `session`'s roll is read, or "": no file of the roll (nor
// the image it is read out of), however the path reaches it, is ever made into a log.
std::string RefusalOfLog(SearchSession& session, const std::string& given) {
  InputFiles inputs;
  inputs.AddRoll(DirectoryOf(session.IndexFile()));
  return RefusalForOutput(LogPath(given), inputs, "a file of the roll being searched");
}

// Opens the log, or says on stderr why it could not be, followed by `consequence`.
bool OpenLog(ResearchLog* log, const std::string& given, LogAccess access, const std::string& consequence) {
  if (!log->Open(LogPath(given), access)) {
    ReportProblem(log->Problem().message + consequence);
    return false;
  }
  if (!log->Notice().empty()) ReportProblem("note: " + log->Notice());
  return true;
}

std::int64_t ParseId(const std::string& text) {
  return static_cast<std::int64_t>(ParseWholeNumber(text, "ID", 1, kMostId));
}

std::optional<ResearchStatus> ParseStatusArgument(const std::optional<std::string>& text) {
  if (!text) return std::nullopt;
  ResearchStatus status;
  if (!ParseStatus(*text, &status))
    throw UsageError("--status: " + *text + " is not one of " + StatusChoices());
  return status;
}

// The search the session ran, as the log records it: the typed names as the search used them, the
// mode it matched with, the filters, the count and the roll.
bool DescribeSessionSearch(SearchSession& session, const SearchOptions& options, LoggedSearch* search,
                           std::string* error) {
  const RollIndex* index = session.Database().Index();
  if (!index || !IdentifyRoll(index->File(), session.IndexFile(), &search->roll)) {
    *error = session.IndexFile() + ": cannot be read to tell which roll it is";
    return false;
  }
  const std::string surname = ArgumentToRollBytes(options.surname, "SURNAME");
  search->surname = Cp1252ToUtf8(surname);
  if (!options.givenName.empty())
    search->givenName = Cp1252ToUtf8(ArgumentToRollBytes(options.givenName, "--given"));
  search->mode = MatchModeName(EffectiveMatchMode(options.find.mode, surname));
  const EntryFilter& filter = options.find.filter;
  if (filter.side) search->side = std::string(1, filter.side);
  search->state = filter.state;
  search->unit = Cp1252ToUtf8(filter.unit);
  search->company = filter.company;
  search->count = std::max<std::int64_t>(session.List().ResultCount(), 0);
  search->program = "rollkit";
  return true;
}

// The index key and name-file slot of the entry at listing position `position`, shown in row
// `row` of the current page: a found result knows both; otherwise the key is the typed surname's
// and the slot is found in its run of slots (by position, or by the row's line and name when a
// given name narrowed the run).
void KeyAndSlot(SearchSession& session, const std::string& surname, std::int64_t position, int row,
                std::string* key, std::int64_t* slot) {
  ResultList& list = session.List();
  if (const FindResult* found = list.Found()) {
    std::int32_t at = -1;
    std::size_t span = 0;
    found->At(position, &at, &span);
    *key = std::string(found->Span(span).key);
    *slot = at;
    return;
  }
  *key = KeyOf(surname);
  *slot = -1;
  char lookup[kIndexKeySize] = {};
  std::memcpy(lookup, key->data(), std::min<std::size_t>(key->size(), kMaxKeyLength));
  std::int32_t first = -1;
  std::int32_t count = 0;
  RollDatabase& database = session.Database();
  if (database.Index()) database.Index()->Lookup(lookup, &first, &count);
  if (first < 0 || count <= 0) return;
  if (!list.IsFiltered()) {
    if (position < count) *slot = first + position;
    return;
  }
  const ResultRow& shown = list.Row(row);
  for (std::int64_t s = first; s < static_cast<std::int64_t>(first) + count; ++s) {
    database.ReadSlot(static_cast<std::int32_t>(s));
    if (database.LineOffset() == shown.lineOffset &&
        std::strcmp(database.CurrentName(), shown.nameText) == 0) {
      *slot = s;
      return;
    }
  }
}

std::string SoldierLine(const SavedSoldier& soldier) {
  const SoldierEntry entry = EntryOf(soldier);
  std::string text = FullName(entry);
  if (!entry.Field(kUnitField).empty()) text += ", " + entry.Field(kUnitField);
  if (!entry.Field(kCompanyField).empty()) text += ", company " + entry.Field(kCompanyField);
  return text;
}

std::string FoundWords(std::int64_t count) {
  if (count == 0) return "nothing found";
  return std::to_string(count) + " found";
}

int RunList(const LogArguments& arguments) {
  const std::optional<ResearchStatus> status = ParseStatusArgument(arguments.status);
  if (status && arguments.searchesOnly) throw UsageError("--status: only saved soldiers have a status");
  ResearchLog log;
  if (!OpenLog(&log, arguments.logFile, LogAccess::kRead, "")) return kExitDataProblem;
  LogFilter filter;
  filter.surname = TypedText(arguments.surname);
  filter.status = status;
  if (!arguments.searchesOnly) {
    std::vector<SavedSoldier> soldiers;
    if (!log.Soldiers(filter, &soldiers)) return ReportProblem(log.Problem().message);
    Print("Saved soldiers: " + std::to_string(soldiers.size()));
    for (const SavedSoldier& soldier : soldiers) {
      char head[64];
      std::snprintf(head, sizeof head, "%6lld  %-16s ", static_cast<long long>(soldier.id),
                    StatusName(soldier.status));
      Print(head + SoldierLine(soldier));
    }
  }
  if (!arguments.soldiersOnly && !status) {
    std::vector<LoggedSearch> searches;
    if (!log.Searches(filter, &searches)) return ReportProblem(log.Problem().message);
    Print("Searches: " + std::to_string(searches.size()));
    for (const LoggedSearch& search : searches) {
      char head[64];
      std::snprintf(head, sizeof head, "%6lld  ", static_cast<long long>(search.id));
      Print(head + ReadableTime(search.when) + "  " + FoundWords(search.count) + "  " +
            DescribeSearch(search) + "  (roll " + search.roll.ShortName() + ")");
    }
  }
  return FinishOutput() ? kExitOk : kExitDataProblem;
}

int RunShowSoldier(const LogArguments& arguments) {
  const std::int64_t id = ParseId(arguments.id);
  ResearchLog log;
  if (!OpenLog(&log, arguments.logFile, LogAccess::kRead, "")) return kExitDataProblem;
  SavedSoldier soldier;
  std::vector<SoldierChange> history;
  if (!log.FindSoldier(id, &soldier) || !log.History(id, &history))
    return ReportProblem(log.Problem().message);
  const SoldierEntry entry = EntryOf(soldier);
  Print("Soldier " + std::to_string(soldier.id) + ": " + FullName(entry) + " (" + StatusName(soldier.status) +
        ")");
  std::string roll = "Roll: " + soldier.roll.ShortName();
  if (!soldier.indexKey.empty()) roll += ", key " + Cp1252ToUtf8(SurnameOfKey(soldier.indexKey));
  if (soldier.slot >= 0) roll += ", slot " + std::to_string(soldier.slot);
  Print(roll);
  std::string saved = "Saved: " + ReadableTime(soldier.savedAt);
  LoggedSearch search;
  bool found = false;
  if (soldier.searchId > 0 && log.FindSearch(soldier.searchId, &search, &found) && found) {
    saved += ", from search " + std::to_string(search.id) + " (" + DescribeSearch(search) + ": " +
             FoundWords(search.count) + ")";
  }
  Print(saved);
  Print("");
  // The entry as More Info shows it, from the line kept in the log.
  char detail[kDetailTextSize];
  ComposeDetailText(soldier.line.c_str(), 1, detail, sizeof detail);
  std::string text = Cp1252ToUtf8(detail);
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    Print(line);
    start = end + 1;
  }
  if (!soldier.notes.empty()) {
    Print("");
    Print("Notes:");
    std::size_t from = 0;
    while (from <= soldier.notes.size()) {
      std::size_t end = soldier.notes.find('\n', from);
      if (end == std::string::npos) end = soldier.notes.size();
      const std::string line = soldier.notes.substr(from, end - from);
      Print(line.empty() ? line : "  " + line);
      from = end + 1;
    }
  }
  Print("");
  Print("History:");
  for (const SoldierChange& change : history) {
    char what[32];
    std::snprintf(what, sizeof what, "%-14s", change.what.c_str());
    Print("  " + ReadableTime(change.when) + "  " + what + "  " + StatusName(change.status));
  }
  return FinishOutput() ? kExitOk : kExitDataProblem;
}

int RunSave(LogArguments& arguments) {
  SearchOptions& options = arguments.search;
  options.find = ParseFindArguments(arguments.find);
  const auto position =
      static_cast<std::int64_t>(ParseWholeNumber(arguments.index, "INDEX", 0, kMostPosition));
  const std::optional<ResearchStatus> status = ParseStatusArgument(arguments.status);

  SearchSession session;
  if (!session.Run(options)) return kExitDataProblem;
  const std::int64_t count = session.List().ResultCount();
  if (position >= count) {
    return ReportProblem("INDEX " + std::to_string(position) + " is out of range: " + std::to_string(count) +
                         (count == 1 ? " result" : " results") + "; nothing was saved");
  }
  SavedSoldier soldier;
  const std::string surname = ArgumentToRollBytes(options.surname, "SURNAME");
  std::int64_t at = 0;
  bool reached = false;
  session.ForEachRow([&](int row) {
    if (at++ < position) return true;
    const ResultRow& shown = session.List().Row(row);
    soldier.surname = session.RowSurname(row);
    soldier.nameText = shown.nameText;
    char line[kLineBufferSize];
    session.Database().ReadLine(shown.lineOffset, line);
    soldier.line = line;
    KeyAndSlot(session, surname, position, row, &soldier.indexKey, &soldier.slot);
    reached = true;
    return false;
  });
  if (session.MessageShown()) return kExitDataProblem;
  if (!reached)
    return ReportProblem("result " + std::to_string(position) + " could not be read; nothing was saved");

  LoggedSearch search;
  std::string error;
  if (!DescribeSessionSearch(session, options, &search, &error))
    return ReportProblem(error + "; nothing was saved");
  soldier.roll = search.roll;
  soldier.status = status.value_or(ResearchStatus::kToDo);
  if (arguments.note) soldier.notes = TypedText(*arguments.note);

  if (const std::string refusal = RefusalOfLog(session, arguments.logFile); !refusal.empty()) {
    return ReportProblem(refusal);
  }
  ResearchLog log;
  if (!OpenLog(&log, arguments.logFile, LogAccess::kWrite, "; nothing was saved")) return kExitDataProblem;
  // The search that found him goes into the log with him, so the log says how he was found.
  if (!log.RecordSearch(&search)) return ReportProblem(log.Problem().message + "; nothing was saved");
  soldier.searchId = search.id;
  bool already = false;
  if (!log.SaveSoldier(&soldier, &already)) {
    return ReportProblem(log.Problem().message + "; the soldier was not saved (the search was recorded)");
  }
  Print((already ? "Already saved as soldier " : "Saved as soldier ") + std::to_string(soldier.id) + ": " +
        SoldierLine(soldier) + " (" + StatusName(soldier.status) + ")");
  return FinishOutput() ? kExitOk : kExitDataProblem;
}

int RunNote(const LogArguments& arguments) {
  const std::int64_t id = ParseId(arguments.id);
  SoldierEdit edit;
  edit.status = ParseStatusArgument(arguments.status);
  if (arguments.text) {
    edit.notes = TypedText(*arguments.text);
    edit.appendNotes = !arguments.replace;
  } else if (arguments.replace) {
    throw UsageError("--replace: give the TEXT that replaces the notes");
  }
  if (!edit.status && !edit.notes) throw UsageError("say what to change: TEXT, --status or both");
  ResearchLog log;
  if (!OpenLog(&log, arguments.logFile, LogAccess::kRead, "; nothing was changed")) return kExitDataProblem;
  if (!log.ChangeSoldier(id, edit)) return ReportProblem(log.Problem().message + "; nothing was changed");
  SavedSoldier soldier;
  if (!log.FindSoldier(id, &soldier)) return ReportProblem(log.Problem().message);
  Print("Soldier " + std::to_string(id) + ": " + SoldierLine(soldier) + " (" + StatusName(soldier.status) +
        ")");
  return FinishOutput() ? kExitOk : kExitDataProblem;
}

// The export's date: SOURCE_DATE_EPOCH when set (reproducible output), else now.
std::string ExportTime() {
  if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch && *epoch) {
    char* end = nullptr;
    const long long seconds = std::strtoll(epoch, &end, 10);
    if (*end == '\0' && seconds >= 0) return IsoUtc(seconds);
  }
  return IsoUtcNow();
}

int RunExport(const LogArguments& arguments) {
  if (arguments.format != "markdown" && arguments.format != "csv" && arguments.format != "gedcom") {
    throw UsageError("--format: " + arguments.format + " is not one of markdown, csv, gedcom");
  }
  const std::string path = LogPath(arguments.logFile);
  // The log is read while the export is written: it may never be the output.
  InputFiles inputs;
  for (const char* suffix : {"", "-wal", "-shm"}) inputs.Add(path + suffix);
  const char* role = "a file of the research log being exported";
  const bool toStandardOutput = arguments.output.empty() || arguments.output == "-";
  if (const std::string refusal = toStandardOutput ? RefusalForStandardOutput(inputs, role)
                                                   : RefusalForOutput(arguments.output, inputs, role);
      !refusal.empty()) {
    return ReportProblem(refusal);
  }

  ResearchLog log;
  if (!OpenLog(&log, arguments.logFile, LogAccess::kRead, "; nothing was written")) return kExitDataProblem;
  LogContents contents;
  if (!ReadLogContents(log, &contents)) return ReportProblem(log.Problem().message + "; nothing was written");
  const std::string when = ExportTime();
  std::string text;
  if (arguments.format == "csv") {
    text = LogCsv(contents);
  } else if (arguments.format == "gedcom") {
    GedcomOptions options;
    options.date = GedcomDate(std::atoi(when.substr(0, 4).c_str()), std::atoi(when.substr(5, 2).c_str()),
                              std::atoi(when.substr(8, 2).c_str()));
    text = SoldiersGedcom(contents, options);
  } else {
    text = LogMarkdown(contents, when);
  }
  if (toStandardOutput) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    return FinishOutput() ? kExitOk : kExitDataProblem;
  }
  RemoveStaleTemporaries(DirectoryOf(FinalTargetOf(arguments.output)));
  OutputFile output;
  std::string error;
  if (!output.Open(arguments.output, &error)) return ReportProblem(error);
  std::fwrite(text.data(), 1, text.size(), output.Stream());
  if (!output.Commit(&error)) return ReportProblem(error);
  return kExitOk;
}

void AddLogFileOption(CLI::App* command, LogArguments* arguments) {
  command
      ->add_option("--log-file", arguments->logFile,
                   "The research log to use (default: research.sqlite in the user's data directory)")
      ->type_name("PATH");
}

}  // namespace

void AddLogCommand(CLI::App* app, LogArguments* arguments) {
  CLI::App* log = app->add_subcommand("log", "Keep a research log: searches made, soldiers saved, notes");
  log->require_subcommand(1);
  arguments->command = log;

  CLI::App* list = log->add_subcommand("list", "List the saved soldiers and the searches of the log");
  list->add_flag("--searches", arguments->searchesOnly, "Only the searches");
  list->add_flag("--soldiers", arguments->soldiersOnly, "Only the saved soldiers")->excludes("--searches");
  list->add_option("--surname", arguments->surname, "Only this surname (case ignored)")->type_name("NAME");
  list->add_option("--status", arguments->status, "Only saved soldiers with this status")
      ->type_name("STATUS");
  AddLogFileOption(list, arguments);
  arguments->list = list;

  CLI::App* show = log->add_subcommand("show", "Show a saved soldier: his entry, notes and history");
  show->add_option("ID", arguments->id, "The saved soldier's number, as list shows it")->required();
  AddLogFileOption(show, arguments);
  arguments->show = show;

  CLI::App* save = log->add_subcommand("save", "Search, and save one entry of the result to the log");
  save->add_option("--data", arguments->search.dataDirectory,
                   "Data directory (default: MRPath of section Kinloom7m in brevik.ini)");
  save->add_option("--given", arguments->search.givenName, "Keep only entries whose given name starts so");
  AddFindOptions(save, &arguments->find);
  save->add_option("--status", arguments->status, "His status (default to-do)")->type_name("STATUS");
  save->add_option("--note", arguments->note, "A first note")->type_name("TEXT");
  AddLogFileOption(save, arguments);
  save->add_option("SURNAME", arguments->search.surname, "Surname to look up")->required();
  save->add_option("INDEX", arguments->index,
                   "0-based position of the entry in the listing, as show takes it")
      ->type_name("N")
      ->required();
  arguments->save = save;

  CLI::App* note = log->add_subcommand("note", "Add a note to a saved soldier, or change his status");
  note->add_option("ID", arguments->id, "The saved soldier's number")->required();
  note->add_option("TEXT", arguments->text, "A note, added after his notes as a paragraph of its own");
  note->add_option("--status", arguments->status, "The new status: " + StatusChoices())->type_name("STATUS");
  note->add_flag("--replace", arguments->replace, "TEXT replaces his notes instead");
  AddLogFileOption(note, arguments);
  arguments->noteCommand = note;

  CLI::App* exported = log->add_subcommand("export", "Write the log as a Markdown report, CSV, or GEDCOM");
  exported
      ->add_option("--format", arguments->format,
                   "markdown (a report), csv (one row per search and soldier) or gedcom (the saved soldiers)")
      ->type_name("markdown|csv|gedcom");
  exported->add_option("-o,--output", arguments->output, "Output file (default: standard output)")
      ->type_name("FILE");
  AddLogFileOption(exported, arguments);
  arguments->exportCommand = exported;
}

int RunLog(LogArguments& arguments) {
  CLI::App* chosen = arguments.command->get_subcommands().front();
  if (chosen == arguments.list) return RunList(arguments);
  if (chosen == arguments.show) return RunShowSoldier(arguments);
  if (chosen == arguments.save) return RunSave(arguments);
  if (chosen == arguments.noteCommand) return RunNote(arguments);
  return RunExport(arguments);
}

bool RecordSearchInLog(SearchSession& session, const SearchOptions& options) {
  LoggedSearch search;
  std::string error;
  if (!DescribeSessionSearch(session, options, &search, &error)) {
    ReportProblem(error + kNotRecorded);
    return false;
  }
  if (const std::string refusal = RefusalOfLog(session, options.logFile); !refusal.empty()) {
    ReportProblem(refusal);
    return false;
  }
  ResearchLog log;
  if (!OpenLog(&log, options.logFile, LogAccess::kWrite, kNotRecorded)) return false;
  if (!log.RecordSearch(&search)) {
    ReportProblem(log.Problem().message + kNotRecorded);
    return false;
  }
  return true;
}
