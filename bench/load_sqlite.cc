// load_sqlite: copies a built roll into a SQLite database for the side-by-side benchmarks, in the
// naive schema or the tuned one (sqlite_naive.h, sqlite_tuned.h), its key catalogue with the
// keys' sound codes for the tuned copy to attach (sqlite_find.h), or the aggregates the tuned
// copy's engineer would keep beside it (sqlite_aggregates.h), or the columns and aggregates that
// answer a unit's roster (sqlite_roster.h). Says how long the load took.
//
//   load_sqlite naive|tuned|keys|aggregates|roster ROLL_DIR DB_FILE
#include <chrono>
#include <cstdio>
#include <string>

#include "sqlite_aggregates.h"
#include "sqlite_find.h"
#include "sqlite_naive.h"
#include "sqlite_roster.h"
#include "sqlite_tuned.h"

int main(int argc, char** argv) {
  const std::string schema = argc == 4 ? argv[1] : "";
  if (schema != "naive" && schema != "tuned" && schema != "keys" && schema != "aggregates" &&
      schema != "roster") {
    std::fprintf(stderr, "usage: load_sqlite naive|tuned|keys|aggregates|roster ROLL_DIR DB_FILE\n");
    return 2;
  }
  std::string error;
  std::int64_t rows = 0;
  const auto start = std::chrono::steady_clock::now();
  const bool ok = schema == "naive"    ? LoadNaiveSqliteRoll(argv[2], argv[3], &error, &rows)
                  : schema == "tuned"  ? LoadTunedSqliteRoll(argv[2], argv[3], &error, &rows)
                  : schema == "keys"   ? LoadSqliteKeyCatalogue(argv[2], argv[3], &error, &rows)
                  : schema == "roster" ? LoadSqliteRoster(argv[2], argv[3], &error, &rows)
                                       : LoadSqliteAggregates(argv[2], argv[3], &error, &rows);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!ok) {
    std::fprintf(stderr, "load_sqlite: %s\n", error.c_str());
    return 1;
  }
  std::printf("%lld rows loaded into %s in %.2f s\n", static_cast<long long>(rows), argv[3], seconds);
  return 0;
}
