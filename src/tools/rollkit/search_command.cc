// rollkit search: the count line and every result row, as the viewer draws them.
#include <nlohmann/json.hpp>

#include <cstdio>

#include "platform/cp1252.h"
#include "store/roll_format.h"
#include "tools/rollkit/commands.h"
#include "tools/rollkit/exit_status.h"
#include "tools/rollkit/roll_text.h"
#include "tools/rollkit/search_session.h"

namespace {

// Buffer for one formatted row: surname, two tabs, name text and summary, with room to spare.
constexpr int kRowTextSize = 512;

std::string Utf8(const char* bytes) { return Cp1252ToUtf8(bytes); }

void WriteRows(SearchSession& session, bool raw) {
  char text[kRowTextSize];
  session.ForEachRow([&](int row) {
    const int n = session.List().FormatRow(row, text);
    WriteText(std::string_view(text, n > 0 ? n : 0), raw);
    std::fputc('\n', stdout);
    return !std::ferror(stdout);
  });
}

// {"count": N, "rows": [...]}, written a row at a time so that a large result needs no more
// memory than a small one.
void WriteJson(SearchSession& session) {
  ResultList& list = session.List();
  std::printf("{\"count\": %ld, \"rows\": [", static_cast<long>(list.ResultCount()));
  bool first = true;
  char line[kLineBufferSize];
  session.ForEachRow([&](int row) {
    const ResultRow& r = list.Row(row);
    session.Database().ReadLine(r.lineOffset, line);
    nlohmann::json fields = nlohmann::json::array();
    for (std::string_view field : SplitFields(line)) fields.push_back(Cp1252ToUtf8(field));
    const nlohmann::json object = {{"surname", Utf8(list.DisplaySurname())},
                                   {"name", Utf8(r.nameText)},
                                   {"summary", Utf8(r.summaryText)},
                                   {"fields", std::move(fields)}};
    const std::string text = object.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    std::printf("%s%s", first ? "" : ", ", text.c_str());
    first = false;
    return !std::ferror(stdout);
  });
  std::printf("]}\n");
}

}  // namespace

int RunSearch(const SearchOptions& options, bool json) {
  SearchSession session;
  if (!session.Run(options)) return kExitDataProblem;
  if (json) {
    WriteJson(session);
  } else {
    std::printf("%ld records found.\n", static_cast<long>(session.List().ResultCount()));
    WriteRows(session, options.raw);
  }
  if (session.MessageShown()) return kExitDataProblem;
  return FinishOutput() ? kExitOk : kExitDataProblem;
}
