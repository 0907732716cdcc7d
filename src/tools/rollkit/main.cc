// rollkit: search, show, build, check, dump, image and generate roll databases from the command line.
#include <CLI/CLI.hpp>

#include <cstdint>
#include <cstdio>
#include <new>
#include <string>

#include "platform/scratch_file.h"
#include "platform/signal_cleanup.h"
#include "store/roll_format.h"
#include "tools/rollkit/commands.h"
#include "tools/rollkit/exit_status.h"
#include "tools/rollkit/generate.h"
#include "tools/rollkit/number_argument.h"

namespace {

// The most results one search can have: one per slot, and slot numbers are 32-bit.
constexpr std::uint64_t kMostResults = 2147483647;

std::string UsageLine(const CLI::App& app, const CLI::App* sub) {
  const CLI::App* target = sub ? sub : &app;
  const std::string name = sub ? app.get_name() + " " + sub->get_name() : app.get_name();
  const CLI::Formatter formatter;
  std::string usage = formatter.make_usage(target, name);
  while (!usage.empty() && usage.back() == '\n') usage.pop_back();
  return usage;
}

int ReportUsage(const CLI::App& app, const CLI::App* sub, const std::string& message) {
  std::fprintf(stderr, "rollkit: %s\n%s\nRun with --help for more information.\n", message.c_str(),
               UsageLine(app, sub).c_str());
  return kExitUsage;
}

// The numeric arguments as typed: CLI11 would take "-5" for an unsigned count and "010" for eight,
// so each is read by ParseWholeNumber once the command line has been parsed.
struct NumberTexts {
  std::string searchRows = "10";
  std::string showRows = "10";
  std::string index;
  std::string nameLength;
  std::string entries = "100000";
  std::string seed = "1";
};

void AddSearchOptions(CLI::App* sub, SearchOptions* options, std::string* rows) {
  sub->add_option("--data", options->dataDirectory,
                  "Data directory holding mroll.cor, mroll.ext, mroll.tre and mrdb.id "
                  "(default: MRPath of section Kinloom7m in brevik.ini)");
  sub->add_option("--given", options->givenName, "Keep only entries whose given name starts so");
  sub->add_option("--rows", *rows, "Rows per page, 10 or 8")->type_name("10|8");
}

int ParseRows(const std::string& text) {
  if (text == "10" || text == "8") return text == "10" ? 10 : 8;
  throw UsageError("--rows: " + text + " is not 10 or 8");
}

}  // namespace

int main(int argc, char** argv) {
  // Before anything is written: a signal removes what is half made, and a file-size limit makes
  // a write fail (and be reported) instead of ending the process.
  InstallSignalCleanup();
  IgnoreFileSizeLimitSignal();

  NumberTexts numbers;
  CLI::App app("Search, show, build, check, dump and image muster-roll databases.", "rollkit");
  app.require_subcommand(1);

  SearchOptions search;
  bool json = false;
  CLI::App* searchCmd = app.add_subcommand("search", "List the entries of a surname");
  AddSearchOptions(searchCmd, &search, &numbers.searchRows);
  auto* rawSearch = searchCmd->add_flag("--raw", search.raw, "Write the Windows-1252 bytes unchanged");
  searchCmd->add_flag("--json", json, "Write one JSON document with every field")->excludes(rawSearch);
  searchCmd->add_option("SURNAME", search.surname, "Surname to look up")->required();

  SearchOptions show;
  CLI::App* showCmd = app.add_subcommand("show", "Print the detail text of one result");
  AddSearchOptions(showCmd, &show, &numbers.showRows);
  showCmd->add_flag("--raw", show.raw, "Write the Windows-1252 bytes and CR LF unchanged");
  showCmd->add_option("SURNAME", show.surname, "Surname to look up")->required();
  showCmd->add_option("INDEX", numbers.index, "0-based position of the result in listing order")
      ->type_name("N")
      ->required();

  BuildOptions build;
  CLI::App* buildCmd = app.add_subcommand("build", "Build a roll database from a CSV file");
  buildCmd->add_option("--name-length", numbers.nameLength,
                       "Bytes of name text per slot, 1 to 255 (default: longest name text + 1)")
      ->type_name("L");
  buildCmd->add_flag("--force", build.force, "Replace an existing database in DIR");
  buildCmd->add_option("CSV", build.csvPath, "UTF-8 CSV with a header row ('-': standard input)")
      ->required();
  buildCmd->add_option("DIR", build.directory, "Directory to write the database into")->required();

  std::string checkDirectory;
  CLI::App* checkCmd = app.add_subcommand("check", "Verify a roll database without changing it");
  checkCmd->add_option("DIR", checkDirectory, "Data directory of the database")->required();

  DumpOptions dump;
  CLI::App* dumpCmd = app.add_subcommand("dump", "Write every entry as CSV, in index order");
  dumpCmd->add_option("--data", dump.dataDirectory,
                      "Data directory (default: MRPath of section Kinloom7m in brevik.ini)");
  dumpCmd->add_option("CSV", dump.csvPath, "Output file (default: standard output)");

  ImageOptions image;
  bool noJoliet = false;
  CLI::App* imageCmd = app.add_subcommand("image", "Write a roll database as an ISO 9660 disk image");
  imageCmd->add_flag("--force", image.force, "Replace an existing OUT");
  imageCmd->add_flag("--no-joliet", noJoliet,
                     "Only the upper-case ISO 9660 names (MROLL.COR;1), no Joliet names");
  imageCmd->add_option("DIR", image.directory, "Data directory of the database")->required();
  imageCmd->add_option("OUT", image.output, "Image file to write (.iso)")->required();

  GenerateOptions generate;
  CLI::App* generateCmd = app.add_subcommand("generate", "Write a synthetic roll as CSV");
  generateCmd->add_option("--entries", numbers.entries, "Number of entries, at most 2147483647")
      ->type_name("N")
      ->capture_default_str();
  generateCmd->add_option("--seed", numbers.seed, "Seed; the same seed gives the same roll")
      ->type_name("S")
      ->capture_default_str();
  generateCmd->add_option("CSV", generate.csvPath, "Output file ('-': standard output)")->required();

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e);
    const auto parsed = app.get_subcommands();
    return ReportUsage(app, parsed.empty() ? nullptr : parsed.front(), e.what());
  }

  CLI::App* chosen = app.get_subcommands().front();
  try {
    if (chosen == searchCmd) {
      search.rows = ParseRows(numbers.searchRows);
      return RunSearch(search, json);
    }
    if (chosen == showCmd) {
      show.rows = ParseRows(numbers.showRows);
      return RunShow(show, static_cast<long long>(ParseWholeNumber(numbers.index, "INDEX", 0, kMostResults)));
    }
    if (chosen == buildCmd) {
      if (!numbers.nameLength.empty()) {
        build.nameLength = static_cast<int>(ParseWholeNumber(numbers.nameLength, "--name-length", 1, kMaxNameLength));
      }
      return RunBuild(build);
    }
    if (chosen == checkCmd) return RunCheck(checkDirectory);
    if (chosen == dumpCmd) return RunDump(dump);
    if (chosen == imageCmd) {
      image.joliet = !noJoliet;
      return RunImage(image);
    }
    generate.entries = ParseWholeNumber(numbers.entries, "--entries", 0, kMostGeneratedEntries);
    generate.seed = ParseWholeNumber(numbers.seed, "--seed", 0, UINT64_MAX);
    return RunGenerate(generate);
  } catch (const UsageError& e) {
    return ReportUsage(app, chosen, e.what());
  } catch (const std::bad_alloc&) {
    return ReportProblem("out of memory");
  }
}
