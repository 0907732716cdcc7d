// Hostile roll databases through rollkit's checker and its dump: any bytes as the name, line and
// index files beside an empty marker. The checker's report is bounded and shows no control
// character of the roll; a database it finds nothing wrong with must dump, and the dump must read
// back as CSV with no more entries than the checker counted slots.
#include <cstdint>
#include <filesystem>
#include <string>

#include "fuzz_support.h"
#include "tools/rollkit/check.h"
#include "tools/rollkit/commands.h"
#include "tools/rollkit/csv_io.h"
#include "tools/rollkit/database_files.h"
#include "tools/rollkit/exit_status.h"

namespace {

bool HoldsControl(const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x20 || b == 0x7F) return true;
    if (b == 0xC2 && i + 1 < text.size() && (static_cast<unsigned char>(text[i + 1]) & 0xE0) == 0x80)
      return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string_view> parts = fuzz::SplitParts(data, size, 3);
  static const std::string roll = fuzz::ScratchDir() + "roll/";
  static const std::string csv = fuzz::ScratchDir() + "dump.csv";
  std::filesystem::create_directory(roll);
  fuzz::WriteFile(roll + "mroll.cor", parts[0]);
  fuzz::WriteFile(roll + "mroll.ext", parts[1]);
  fuzz::WriteFile(roll + "mroll.tre", fuzz::WithEndByte(parts[2]));
  fuzz::WriteFile(roll + "mrdb.id", "");

  RollFiles files;
  std::string error;
  FUZZ_CHECK(LocateRollFiles(roll, &files, &error));
  std::int64_t reported = 0;
  const CheckSummary summary = CheckDatabase(files, [&](const std::string& problem) {
    ++reported;
    FUZZ_CHECK(problem.rfind(roll, 0) == 0);
    FUZZ_CHECK(!HoldsControl(problem));
  });
  FUZZ_CHECK(reported == summary.problems);
  FUZZ_CHECK(summary.slots >= 0 && summary.keys >= 0 && summary.nodes >= 0);

  DumpOptions options;
  options.dataDirectory = roll;
  options.csvPath = csv;
  std::filesystem::remove(csv);
  const int status = RunDump(options);
  if (summary.problems == 0) {
    FUZZ_CHECK(status == kExitOk);
    std::int64_t records = 0;
    FUZZ_CHECK(ReadCsvFile(
        csv,
        [&](const CsvRecord& record, std::string*) {
          FUZZ_CHECK(record.fields.size() >= 2 || records == 0);
          ++records;
          return true;
        },
        &error));
    FUZZ_CHECK(records >= 1 && records - 1 <= summary.slots);
  }
  return 0;
}
