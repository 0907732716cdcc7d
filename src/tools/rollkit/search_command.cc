// rollkit search: the count line and every result row, as the viewer draws them; or every entry
// of the result as CSV or JSON rows for other programs.
#include <cstdio>
#include <nlohmann/json.hpp>

#include "platform/cp1252.h"
#include "records/export_rows.h"
#include "store/roll_format.h"
#include "tools/rollkit/commands.h"
#include "tools/rollkit/exit_status.h"
#include "tools/rollkit/log_command.h"
#include "tools/rollkit/roll_text.h"
#include "tools/rollkit/search_session.h"
#include "tools/rollkit/terminal_text.h"

namespace {

// Buffer for one formatted row: surname, two tabs, name text and summary, with room to spare.
constexpr int kRowTextSize = 512;

std::string Utf8(const char* bytes) { return Cp1252ToUtf8(bytes); }

// A JSON value as one line, every control character escaped.
std::string JsonText(const nlohmann::json& value) {
  return JsonWithEscapedControls(value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

// Why a row of an extended search is there: the mode, the code its key shares with the typed
// surname or its edit distance, and the same in words.
nlohmann::json MatchOf(MatchMode mode, std::int32_t detail) {
  nlohmann::json match = {{"mode", MatchModeName(mode)}};
  if (mode == MatchMode::kSoundex || mode == MatchMode::kDaitchMokotoff) {
    const std::string words = DescribeMatch(mode, detail);
    match["code"] = words.substr(words.rfind(' ') + 1);
  } else if (mode == MatchMode::kSimilar) {
    match["distance"] = detail;
  }
  match["why"] = DescribeMatch(mode, detail);
  return match;
}

// {"count": N, "rows": [...]}, written a row at a time so that a large result needs no more
// memory than a small one. An extended search adds its mode and filter to the document, and to
// each row the key it came from and why that key matched.
void WriteJson(SearchSession& session, const FindOptions& find) {
  ResultList& list = session.List();
  std::printf("{\"count\": %ld, ", static_cast<long>(list.ResultCount()));
  const SearchAnswer* found = list.Found();
  if (found) {
    const std::string filter = JsonText(Cp1252ToUtf8(find.filter.Describe()));
    std::printf("\"match\": \"%s\", \"filter\": %s, ", MatchModeName(found->Mode()), filter.c_str());
  }
  std::printf("\"rows\": [");
  bool first = true;
  char line[kLineBufferSize];
  session.ForEachRow([&](int row) {
    const ResultRow& r = list.Row(row);
    session.Database().ReadLine(r.lineOffset, line);
    nlohmann::json fields = nlohmann::json::array();
    for (std::string_view field : SplitFields(line)) fields.push_back(Cp1252ToUtf8(field));
    nlohmann::json object = {{"surname", Utf8(session.RowSurname(row).c_str())},
                             {"name", Utf8(r.nameText)},
                             {"summary", Utf8(r.summaryText)},
                             {"fields", std::move(fields)}};
    if (FoundSpan span; found && list.RowSpan(row, &span)) {
      object["key"] = Cp1252ToUtf8(span.surname);
      object["match"] = MatchOf(found->Mode(), span.detail);
    }
    const std::string text = JsonText(object);
    std::printf("%s%s", first ? "" : ", ", text.c_str());
    first = false;
    return !std::ferror(stdout);
  });
  std::printf("]}\n");
}

}  // namespace

// The rows as the viewer formats them ("%s\t%s\t%s": surname, name text, summary). For a reader
// each field is shown on its own (terminal_text.h), so that a tab, CR or LF in the roll can
// neither shift a column nor forge a row; --raw writes the row's bytes as they are.
void WriteResultRows(SearchSession& session, bool raw) {
  char text[kRowTextSize];
  std::string line;
  session.ForEachRow([&](int row) {
    if (raw) {
      const int n = session.List().FormatRow(row, text);
      line.assign(text, n > 0 ? static_cast<std::size_t>(n) : 0);
    } else {
      const ResultRow& r = session.List().Row(row);
      line = VisibleText(session.RowSurname(row)) + '\t' + VisibleText(r.nameText) + '\t' +
             VisibleText(r.summaryText);
    }
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
    return !std::ferror(stdout);
  });
}

// Written an entry at a time, so that a large result needs no more memory than a small one.
void WriteResultExport(SearchSession& session, bool csv) {
  std::string text = csv ? CsvHeader() : std::string("[");
  bool first = true;
  session.ForEachRow([&](int row) {
    const SoldierEntry entry = session.RowEntry(row);
    if (csv) {
      text += CsvRow(entry);
    } else {
      text += first ? "\n" : ",\n";
      text += JsonObject(entry);
    }
    first = false;
    std::fwrite(text.data(), 1, text.size(), stdout);
    text.clear();
    return !std::ferror(stdout);
  });
  if (!csv) text += first ? "]\n" : "\n]\n";
  std::fwrite(text.data(), 1, text.size(), stdout);
}


SearchFormat ParseSearchFormat(const std::string& text) {
  if (text == "text") return SearchFormat::kText;
  if (text == "csv") return SearchFormat::kCsv;
  if (text == "json") return SearchFormat::kJson;
  throw UsageError("--format: " + text + " is not one of text, csv, json");
}

int RunSearch(const SearchOptions& options, bool json, SearchFormat format) {
  if (options.raw && format != SearchFormat::kText) throw UsageError("--raw: only for --format text");
  // The log has no place yet to say a search matched given-name variants: a record that replays
  // as another search would mislead.
  if (options.log && options.givenVariants)
    throw UsageError("--given-variants: cannot be recorded with --log");
  SearchSession session;
  if (!session.Run(options)) return kExitDataProblem;
  // Recorded as soon as it has run, whatever becomes of the output; the rows are written whether
  // or not the log could take it, and the exit status says when it could not.
  const bool recorded = !options.log || RecordSearchInLog(session, options);
  if (json) {
    WriteJson(session, options.find);
  } else if (format != SearchFormat::kText) {
    WriteResultExport(session, format == SearchFormat::kCsv);
  } else {
    std::printf("%ld records found.\n", static_cast<long>(session.List().ResultCount()));
    WriteResultRows(session, options.raw);
  }
  if (session.MessageShown()) return kExitDataProblem;
  return FinishOutput() && recorded ? kExitOk : kExitDataProblem;
}
