// rollkit's CSV reader, and the build behind it: any bytes as a roll CSV are read record by
// record, then built into a database; a build that succeeds must give a database that the
// checker finds nothing wrong with.
#include <cstdint>
#include <filesystem>
#include <string>

#include "fuzz_support.h"
#include "tools/rollkit/check.h"
#include "tools/rollkit/commands.h"
#include "tools/rollkit/csv_io.h"
#include "tools/rollkit/database_files.h"
#include "tools/rollkit/exit_status.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string csv = fuzz::ScratchDir() + "roll.csv";
  static const std::string out = fuzz::ScratchDir() + "built";
  fuzz::WriteFile(csv, {reinterpret_cast<const char*>(data), size});

  long lastLine = 0;
  std::size_t records = 0;
  std::string error;
  ReadCsvFile(
      csv,
      [&](const CsvRecord& record, std::string*) {
        // Records come in order, each starting on a line of the input.
        FUZZ_CHECK(record.line >= 1 && record.line >= lastLine);
        FUZZ_CHECK(record.line <= static_cast<long>(size) + 1);
        lastLine = record.line;
        ++records;
        return true;
      },
      &error);
  FUZZ_CHECK(records <= size + 1);

  std::error_code ignored;
  std::filesystem::remove_all(out, ignored);
  std::filesystem::create_directory(out);
  BuildOptions options;
  options.csvPath = csv;
  options.directory = out;
  options.force = true;
  if (RunBuild(options) == kExitOk) {
    RollFiles files;
    FUZZ_CHECK(LocateRollFiles(out, &files, &error));
    const CheckSummary summary = CheckDatabase(files, [](const std::string& problem) {
      std::fprintf(stderr, "built database: %s\n", problem.c_str());
    });
    FUZZ_CHECK(summary.problems == 0);
  }
  return 0;
}
