// rollkit pull-list: the National Archives microfilm rolls that hold every entry of a search, to
// order them in one request.
#include <cstdio>

#include "records/pull_list.h"
#include "tools/rollkit/commands.h"
#include "tools/rollkit/exit_status.h"
#include "tools/rollkit/search_session.h"

int RunPullList(const SearchOptions& options, bool csv) {
  SearchSession session;
  if (!session.Run(options)) return kExitDataProblem;
  PullList pullList;
  session.ForEachRow([&](int row) {
    pullList.Add(session.RowEntry(row));
    return true;
  });
  if (session.MessageShown()) return kExitDataProblem;
  const std::string text = csv ? pullList.Csv() : pullList.Text();
  std::fwrite(text.data(), 1, text.size(), stdout);
  return FinishOutput() ? kExitOk : kExitDataProblem;
}
