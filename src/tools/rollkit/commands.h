// The subcommands of rollkit. Each takes its parsed options and returns the process exit status
// (exit_status.h); an argument it cannot take is thrown as UsageError.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "records/unit_names.h"
#include "store/search_answer.h"

// Shared by search, show and pull-list: which database and which search.
struct SearchOptions {
  std::optional<std::string> dataDirectory;  // --data; otherwise the viewer's configuration
  std::string surname;                       // as typed (UTF-8)
  std::string givenName;                     // empty: no given-name filter
  bool givenVariants = false;                // --given-variants: its abbreviations and nicknames too
  int rows = 10;                             // rows per page: 10 or 8
  bool raw = false;                          // Windows-1252 bytes unchanged
  FindOptions find;                          // --match and the filters; exact and none by default
  bool log = false;                          // search --log: record the search in the research log
  std::string logFile;                       // --log-file; "": the user's own research log
  bool noCompanion = false;                  // --no-companion: answer without the companion index
};

// What search writes: the rows as the viewer lists them, or every entry as a CSV record or a
// JSON object (records/export_rows.h).
enum class SearchFormat { kText, kCsv, kJson };
SearchFormat ParseSearchFormat(const std::string& text);

// `json`: the one JSON document of --json (not --format json).
int RunSearch(const SearchOptions& options, bool json, SearchFormat format = SearchFormat::kText);

// What show writes: the detail text, the entries as a GEDCOM file, or their citations (plain, or
// in the evidence style).
enum class ShowFormat { kText, kGedcom, kCitation, kEvidence };
ShowFormat ParseShowFormat(const std::string& text);
// `indexes`: positions in listing order, each "N" or a range "N-M", in the order given.
int RunShow(const SearchOptions& options, const std::vector<std::string>& indexes,
            ShowFormat format = ShowFormat::kText);

// The microfilm rolls to request for every entry of a search, as text or CSV.
int RunPullList(const SearchOptions& options, bool csv);

// keys: every surname of the roll with its count, or (with a surname) those a search would use.
struct KeysOptions {
  std::optional<std::string> dataDirectory;
  std::string surname;  // "": every key
  MatchMode mode = MatchMode::kExact;
  bool modeGiven = false;
  bool raw = false;
};
int RunKeys(const KeysOptions& options);

struct BuildOptions {
  std::string csvPath;
  std::string directory;
  int nameLength = 0;  // 0: the longest name text + 1
  bool force = false;
};
int RunBuild(const BuildOptions& options);

int RunCheck(const std::string& directory);

struct DumpOptions {
  std::optional<std::string> dataDirectory;
  std::string csvPath = "-";
};
int RunDump(const DumpOptions& options);

struct ImageOptions {
  std::string directory;  // the roll database
  std::string output;     // the image file to write
  bool force = false;     // replace an existing output
  bool joliet = true;     // add Joliet names beside the upper-case ones
};
int RunImage(const ImageOptions& options);

// unit: the units of the park service's list a unit text can mean, with their battles when asked.
enum class UnitFormat { kText, kCsv, kJson, kKml };
UnitFormat ParseUnitFormat(const std::string& text);
// "U" or "C" (either case); "" for either side.
Side ParseSideArgument(const std::string& text);

struct UnitOptions {
  std::string unitText;                      // as typed (UTF-8)
  bool roster = false;                       // --roster: the roll's entries of the unit (needs --side)
  std::string company;                       // --company: the roster of one company only
  std::optional<std::string> dataDirectory;  // --data, for a roster
  bool noCompanion = false;                  // --no-companion: a roster from a scan of the roll
  Side side = Side::kUnknown;                // --side; kUnknown: both sides
  bool battles = false;                      // --battles
  bool descriptions = false;  // --descriptions: each battle's description too (implies battles)
  UnitFormat format = UnitFormat::kText;
};
int RunUnit(const UnitOptions& options);
// index: builds the roll's companion index into the user's cache, unless one is there that
// answers for the roll as it is now (or `rebuild`); with `noCompanion`, builds nothing.
struct IndexOptions {
  std::optional<std::string> dataDirectory;
  bool rebuild = false;
  bool noCompanion = false;
};
int RunIndex(const IndexOptions& options);
