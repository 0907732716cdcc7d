// rollkit show: the detail text of one result, as More Info shows it.
#include <cstdio>
#include <string>

#include "tools/rollkit/commands.h"
#include "tools/rollkit/exit_status.h"
#include "tools/rollkit/search_session.h"

namespace {

// The text for a terminal: each CR LF as LF, and one LF at the end.
std::string AsTerminalLines(const char* text) {
  std::string out;
  for (const char* p = text; *p; ++p) {
    if (p[0] == '\r' && p[1] == '\n') continue;
    out.push_back(*p);
  }
  out.push_back('\n');
  return out;
}

}  // namespace

int RunShow(const SearchOptions& options, long long index) {
  SearchSession session;
  if (!session.Run(options)) return kExitDataProblem;
  const long count = session.List().ResultCount();
  if (index < 0 || index >= count) {
    return ReportProblem("INDEX " + std::to_string(index) + " is out of range: " + std::to_string(count) +
                         (count == 1 ? " result" : " results"));
  }
  long long position = 0;
  bool found = false;
  session.ForEachRow([&](int row) {
    if (position++ < index) return true;
    const char* text = session.List().DetailText(row);
    if (options.raw) {
      std::fputs(text, stdout);
    } else {
      WriteText(AsTerminalLines(text), false);
    }
    found = true;
    return false;
  });
  if (session.MessageShown()) return kExitDataProblem;
  if (!found) return ReportProblem("result " + std::to_string(index) + " could not be read");
  return FinishOutput() ? kExitOk : kExitDataProblem;
}
