// load_sqlite: copies a built roll into a SQLite database for the side-by-side benchmarks, in the
// naive schema or the tuned one (sqlite_naive.h, sqlite_tuned.h), or its key catalogue with the
// keys' sound codes for the tuned copy to attach (sqlite_find.h).
//
//   load_sqlite naive|tuned|keys ROLL_DIR DB_FILE
#include <cstdio>
#include <string>

#include "sqlite_find.h"
#include "sqlite_naive.h"
#include "sqlite_tuned.h"

int main(int argc, char** argv) {
  const std::string schema = argc == 4 ? argv[1] : "";
  if (schema != "naive" && schema != "tuned" && schema != "keys") {
    std::fprintf(stderr, "usage: load_sqlite naive|tuned|keys ROLL_DIR DB_FILE\n");
    return 2;
  }
  std::string error;
  std::int64_t rows = 0;
  const bool ok = schema == "naive"   ? LoadNaiveSqliteRoll(argv[2], argv[3], &error, &rows)
                  : schema == "tuned" ? LoadTunedSqliteRoll(argv[2], argv[3], &error, &rows)
                                      : LoadSqliteKeyCatalogue(argv[2], argv[3], &error, &rows);
  if (!ok) {
    std::fprintf(stderr, "load_sqlite: %s\n", error.c_str());
    return 1;
  }
  std::printf("%lld rows loaded into %s\n", static_cast<long long>(rows), argv[3]);
  return 0;
}
