// rollkit: search, show, build, check, dump, index, image and generate roll databases from the command
// line, and look up units and their battles.
#include <CLI/CLI.hpp>
#include <cstdint>
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "platform/command_line.h"
#include "platform/scratch_file.h"
#include "platform/signal_cleanup.h"
#include "store/roll_format.h"
#include "tools/rollkit/commands.h"
#include "tools/rollkit/exit_status.h"
#include "tools/rollkit/find_options.h"
#include "tools/rollkit/generate.h"
#include "tools/rollkit/log_command.h"
#include "tools/rollkit/number_argument.h"

namespace {

std::string UsageLine(const CLI::App& app, const CLI::App* sub) {
  const CLI::App* target = sub ? sub : &app;
  // "rollkit log save": the names of the subcommands down to the one meant.
  std::string name = target->get_name();
  for (const CLI::App* parent = target->get_parent(); parent; parent = parent->get_parent()) {
    name = parent->get_name() + " " + name;
  }
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
  std::string nameLength;
  std::string entries = "100000";
  std::string seed = "1";
};

void AddSearchOptions(CLI::App* sub, SearchOptions* options, std::string* rows) {
  sub->add_option("--data", options->dataDirectory,
                  "Data directory holding mroll.cor, mroll.ext, mroll.tre and mrdb.id "
                  "(default: MRPath of section Kinloom7m in brevik.ini)");
  sub->add_option("--given", options->givenName, "Keep only entries whose given name starts so");
  sub->add_flag("--given-variants", options->givenVariants,
                "Let --given also match its abbreviations and nicknames (WILLIAM: WM, WILL, BILL)");
  if (rows) sub->add_option("--rows", *rows, "Rows per page, 10 or 8")->type_name("10|8");
  sub->add_flag("--no-companion", options->noCompanion,
                "Answer from the roll alone, not from its companion index in the user's cache");
}

int ParseRows(const std::string& text) {
  if (text == "10" || text == "8") return text == "10" ? 10 : 8;
  throw UsageError("--rows: " + text + " is not 10 or 8");
}

}  // namespace

int main(int argc, char** argv) {
  UseBinaryStandardStreams();
  const std::vector<std::string> arguments = CommandLineArguments(argc, argv);

  // Before anything is written: a signal removes what is half made, and a file-size limit makes
  // a write fail (and be reported) instead of ending the process.
  InstallSignalCleanup();
  IgnoreFileSizeLimitSignal();

  NumberTexts numbers;
  CLI::App app("Search, show, build, check, dump, index and image muster-roll databases.", "rollkit");
  // "/data/roll" is a path on every platform, never an option; the subcommands inherit this.
  app.allow_windows_style_options(false);
  app.require_subcommand(1);

  SearchOptions search;
  bool json = false;
  CLI::App* searchCmd = app.add_subcommand("search", "List the entries of a surname");
  AddSearchOptions(searchCmd, &search, &numbers.searchRows);
  auto* rawSearch = searchCmd->add_flag("--raw", search.raw, "Write the Windows-1252 bytes unchanged");
  auto* jsonSearch =
      searchCmd->add_flag("--json", json, "Write one JSON document with every field")->excludes(rawSearch);
  FindArguments searchFind;
  AddFindOptions(searchCmd, &searchFind);
  std::string searchFormat = "text";
  searchCmd->add_option("--format", searchFormat, "text (the rows), or every entry as csv or json")
      ->type_name("text|csv|json")
      ->excludes(jsonSearch);
  searchCmd->add_flag("--log", search.log, "Record the search in the research log");
  searchCmd->add_option("--log-file", search.logFile, "The research log (default: the user's own)")
      ->type_name("PATH");
  searchCmd->add_option("SURNAME", search.surname, "Surname to look up")->required();

  SearchOptions show;
  CLI::App* showCmd = app.add_subcommand("show", "Print the detail text of one result");
  AddSearchOptions(showCmd, &show, &numbers.showRows);
  showCmd->add_flag("--raw", show.raw, "Write the Windows-1252 bytes and CR LF unchanged");
  showCmd->add_option("SURNAME", show.surname, "Surname to look up")->required();
  FindArguments showFind;
  AddFindOptions(showCmd, &showFind);
  std::string showFormat = "text";
  showCmd->add_option("--format", showFormat, "The detail text, a GEDCOM 5.5.1 file or citations")
      ->type_name("text|gedcom|citation|evidence");
  std::vector<std::string> showIndexes;
  showCmd->add_option("INDEX", showIndexes, "0-based positions in listing order: N or N-M, one or more")
      ->type_name("N")
      ->required();

  SearchOptions pull;
  CLI::App* pullCmd =
      app.add_subcommand("pull-list", "List the microfilm rolls that hold a search's entries");
  AddSearchOptions(pullCmd, &pull, nullptr);
  FindArguments pullFind;
  AddFindOptions(pullCmd, &pullFind);
  std::string pullFormat = "text";
  pullCmd->add_option("--format", pullFormat, "text or csv")->type_name("text|csv");
  pullCmd->add_option("SURNAME", pull.surname, "Surname to look up")->required();

  KeysOptions keys;
  FindArguments keysFind;
  CLI::App* keysCmd = app.add_subcommand("keys", "List the surnames of a roll with their counts");
  keysCmd->add_option("--data", keys.dataDirectory,
                      "Data directory (default: MRPath of section Kinloom7m in brevik.ini)");
  AddFindOptions(keysCmd, &keysFind, true);
  keysCmd->add_flag("--raw", keys.raw, "Write the Windows-1252 bytes unchanged");
  keysCmd->add_option("SURNAME", keys.surname, "Only the surnames a search for this one would list");

  BuildOptions build;
  CLI::App* buildCmd = app.add_subcommand("build", "Build a roll database from a CSV file");
  buildCmd
      ->add_option("--name-length", numbers.nameLength,
                   "Bytes of name text per slot, 1 to 255 (default: longest name text + 1)")
      ->type_name("L");
  buildCmd->add_flag("--force", build.force, "Replace an existing database in DIR");
  buildCmd->add_option("CSV", build.csvPath, "UTF-8 CSV with a header row ('-': standard input)")->required();
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

  UnitOptions unit;
  std::string unitSide, unitFormat = "text";
  CLI::App* unitCmd = app.add_subcommand("unit", "List the units a unit text can mean, and their battles");
  unitCmd->add_option("--side", unitSide, "U (Union) or C (Confederate); default: both")->type_name("U|C");
  unitCmd->add_flag("--battles", unit.battles, "List each unit's battles, in date order");
  unitCmd->add_flag("--descriptions", unit.descriptions,
                    "With each battle its description (implies --battles)");
  unitCmd->add_option("--format", unitFormat, "text, csv, json, or the battles as a kml map")
      ->type_name("text|csv|json|kml");
  unitCmd->add_flag("--roster", unit.roster,
                    "List the roll's entries of the unit: by company, surname, given name");
  unitCmd->add_option("--company", unit.company, "The roster of this company only (implies --roster)")
      ->type_name("X");
  unitCmd->add_option("--data", unit.dataDirectory,
                      "Data directory of the roster (default: MRPath of section Kinloom7m in brevik.ini)");
  unitCmd->add_flag("--no-companion", unit.noCompanion, "Build the roster from a scan of the roll");
  unitCmd->add_option("UNIT_TEXT", unit.unitText, "A unit text: 5 IL INF, 3rd Ohio Infantry, ...")
      ->required();

  IndexOptions index;
  CLI::App* indexCmd = app.add_subcommand("index", "Build the roll's companion index into the user's cache");
  indexCmd->add_option("--data", index.dataDirectory,
                       "Data directory (default: MRPath of section Kinloom7m in brevik.ini)");
  indexCmd->add_flag("--rebuild", index.rebuild, "Build it even when the one in the cache is up to date");
  indexCmd->add_flag("--no-companion", index.noCompanion, "Use no companion index: build nothing");

  GenerateOptions generate;
  CLI::App* generateCmd = app.add_subcommand("generate", "Write a synthetic roll as CSV");
  generateCmd->add_option("--entries", numbers.entries, "Number of entries, at most 2147483647")
      ->type_name("N")
      ->capture_default_str();
  generateCmd->add_option("--seed", numbers.seed, "Seed; the same seed gives the same roll")
      ->type_name("S")
      ->capture_default_str();
  generateCmd->add_option("CSV", generate.csvPath, "Output file ('-': standard output)")->required();

  LogArguments log;
  AddLogCommand(&app, &log);

  try {
    // CLI11 takes the arguments without the program's name, last first.
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    if (!reversed.empty()) reversed.pop_back();
    app.parse(reversed);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e);
    CLI::App* parsed = app.get_subcommands().empty() ? nullptr : app.get_subcommands().front();
    while (parsed && !parsed->get_subcommands().empty()) parsed = parsed->get_subcommands().front();
    return ReportUsage(app, parsed, e.what());
  }

  CLI::App* chosen = app.get_subcommands().front();
  try {
    if (chosen == searchCmd) {
      search.rows = ParseRows(numbers.searchRows);
      search.find = ParseFindArguments(searchFind);
      return RunSearch(search, json, ParseSearchFormat(searchFormat));
    }
    if (chosen == showCmd) {
      show.rows = ParseRows(numbers.showRows);
      show.find = ParseFindArguments(showFind);
      return RunShow(show, showIndexes, ParseShowFormat(showFormat));
    }
    if (chosen == pullCmd) {
      pull.find = ParseFindArguments(pullFind);
      if (pullFormat != "text" && pullFormat != "csv") {
        throw UsageError("--format: " + pullFormat + " is not one of text, csv");
      }
      return RunPullList(pull, pullFormat == "csv");
    }
    if (chosen == keysCmd) {
      keys.mode = ParseFindArguments(keysFind).mode;
      keys.modeGiven = keysFind.match.has_value();
      return RunKeys(keys);
    }
    if (chosen == buildCmd) {
      if (!numbers.nameLength.empty()) {
        build.nameLength =
            static_cast<int>(ParseWholeNumber(numbers.nameLength, "--name-length", 1, kMaxNameLength));
      }
      return RunBuild(build);
    }
    if (chosen == log.command) {
      chosen = chosen->get_subcommands().front();
      return RunLog(log);
    }
    if (chosen == checkCmd) return RunCheck(checkDirectory);
    if (chosen == indexCmd) return RunIndex(index);
    if (chosen == dumpCmd) return RunDump(dump);
    if (chosen == unitCmd) {
      unit.side = ParseSideArgument(unitSide);
      unit.format = ParseUnitFormat(unitFormat);
      return RunUnit(unit);
    }
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
