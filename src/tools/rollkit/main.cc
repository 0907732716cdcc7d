// rollkit: search, show, build, check, dump and generate roll databases from the command line.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "platform/command_line.h"
#include "tools/rollkit/commands.h"
#include "tools/rollkit/exit_status.h"
#include "tools/rollkit/generate.h"

namespace {

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

void AddSearchOptions(CLI::App* sub, SearchOptions* options) {
  sub->add_option("--data", options->dataDirectory,
                  "Data directory holding mroll.cor, mroll.ext, mroll.tre and mrdb.id "
                  "(default: MRPath of section Kinloom7m in brevik.ini)");
  sub->add_option("--given", options->givenName, "Keep only entries whose given name starts so");
  sub->add_option("--rows", options->rows, "Rows per page, 10 or 8")->check(CLI::IsMember({8, 10}));
}

}  // namespace

int main(int argc, char** argv) {
  UseBinaryStandardStreams();
  const std::vector<std::string> arguments = CommandLineArguments(argc, argv);

  CLI::App app("Search, show, build, check and dump muster-roll databases.", "rollkit");
  // "/data/roll" is a path on every platform, never an option; the subcommands inherit this.
  app.allow_windows_style_options(false);
  app.require_subcommand(1);

  SearchOptions search;
  bool json = false;
  CLI::App* searchCmd = app.add_subcommand("search", "List the entries of a surname");
  AddSearchOptions(searchCmd, &search);
  auto* rawSearch = searchCmd->add_flag("--raw", search.raw, "Write the Windows-1252 bytes unchanged");
  searchCmd->add_flag("--json", json, "Write one JSON document with every field")->excludes(rawSearch);
  searchCmd->add_option("SURNAME", search.surname, "Surname to look up")->required();

  SearchOptions show;
  long long index = 0;
  CLI::App* showCmd = app.add_subcommand("show", "Print the detail text of one result");
  AddSearchOptions(showCmd, &show);
  showCmd->add_flag("--raw", show.raw, "Write the Windows-1252 bytes and CR LF unchanged");
  showCmd->add_option("SURNAME", show.surname, "Surname to look up")->required();
  showCmd->add_option("INDEX", index, "0-based position of the result in listing order")->required();

  BuildOptions build;
  CLI::App* buildCmd = app.add_subcommand("build", "Build a roll database from a CSV file");
  buildCmd->add_option("--name-length", build.nameLength,
                       "Bytes of name text per slot (default: longest name text + 1)")
      ->check(CLI::Range(1, 255));
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

  GenerateOptions generate;
  CLI::App* generateCmd = app.add_subcommand("generate", "Write a synthetic roll as CSV");
  generateCmd->add_option("--entries", generate.entries, "Number of entries")->capture_default_str();
  generateCmd->add_option("--seed", generate.seed, "Seed; the same seed gives the same roll")
      ->capture_default_str();
  generateCmd->add_option("CSV", generate.csvPath, "Output file ('-': standard output)")->required();

  try {
    // CLI11 takes the arguments without the program's name, last first.
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    if (!reversed.empty()) reversed.pop_back();
    app.parse(reversed);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e);
    const auto parsed = app.get_subcommands();
    return ReportUsage(app, parsed.empty() ? nullptr : parsed.front(), e.what());
  }

  CLI::App* chosen = app.get_subcommands().front();
  try {
    if (chosen == searchCmd) return RunSearch(search, json);
    if (chosen == showCmd) return RunShow(show, index);
    if (chosen == buildCmd) return RunBuild(build);
    if (chosen == checkCmd) return RunCheck(checkDirectory);
    if (chosen == dumpCmd) return RunDump(dump);
    return RunGenerate(generate);
  } catch (const UsageError& e) {
    return ReportUsage(app, chosen, e.what());
  } catch (const std::bad_alloc&) {
    return ReportProblem("out of memory");
  }
}
