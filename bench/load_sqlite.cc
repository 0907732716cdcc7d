// load_sqlite: copies a built roll into a SQLite database for the side-by-side benchmarks.
//
//   load_sqlite ROLL_DIR DB_FILE
#include <cstdio>
#include <string>

#include "sqlite_roll.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: load_sqlite ROLL_DIR DB_FILE\n");
    return 2;
  }
  std::string error;
  std::int64_t rows = 0;
  if (!LoadSqliteRoll(argv[1], argv[2], &error, &rows)) {
    std::fprintf(stderr, "load_sqlite: %s\n", error.c_str());
    return 1;
  }
  std::printf("%lld rows loaded into %s\n", static_cast<long long>(rows), argv[2]);
  return 0;
}
