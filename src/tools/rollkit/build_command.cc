// rollkit build: a roll database from a CSV file, with the engine's database writer.
//
// The whole CSV is read and every entry accepted before anything is written. The files are then
// written into a staging directory beside the database and moved into place together, with the
// signals held off, so that a refused, failed or interrupted build leaves the old database whole;
// a failed build of a new database leaves no directory it made behind.
// The CSV may never be one of the files the build replaces.
#include <strings.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/output_file.h"
#include "platform/signal_cleanup.h"
#include "store/roll_format.h"
#include "store/roll_writer.h"
#include "tools/rollkit/commands.h"
#include "tools/rollkit/csv_io.h"
#include "tools/rollkit/database_files.h"
#include "tools/rollkit/exit_status.h"
#include "tools/rollkit/output_guard.h"
#include "tools/rollkit/roll_text.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kSurnameColumn = 0;
constexpr std::size_t kNameColumn = 1;
constexpr std::size_t kFirstFieldColumn = 2;
constexpr std::size_t kLongestNameText = kRowNameSize - 1;
constexpr const char* kDatabaseFiles[] = {kLineFileName, kNameFileName, kIndexFileName, kMarkerFileName};

std::string ColumnName(std::size_t column) {
  if (column == kSurnameColumn) return "surname";
  if (column == kNameColumn) return "name";
  return "column " + std::to_string(column + 1);
}

// Converts one cell to roll bytes and refuses what the format cannot hold there: a NUL in the
// surname (it ends the key) or the name text (it ends the slot's text); 0xFF or a line feed in a
// field (they end the field and the line). Every other byte is stored as it is.
bool ConvertCell(const std::string& cell, std::size_t column, std::string* out, std::string* error) {
  std::string reason;
  if (!ToRollBytes(cell, out, &reason)) {
    *error = ColumnName(column) + ": " + reason;
    return false;
  }
  if (column < kFirstFieldColumn) {
    if (out->find('\0') == std::string::npos) return true;
    *error = ColumnName(column) + ": holds a NUL character, which ends the text";
    return false;
  }
  if (FieldTextStorable(*out)) return true;
  if (out->find(static_cast<char>(kFieldSeparator)) != std::string::npos) {
    *error = ColumnName(column) + ": the character \xC3\xBF cannot be stored (it separates fields)";
  } else {
    *error = ColumnName(column) + ": holds a line feed, which ends the entry's line";
  }
  return false;
}

class CsvToRoll {
 public:
  CsvToRoll(const std::string& path, int nameLength) : csvPath(path), rollWriter(nameLength), slotNameLength(nameLength) {}

  bool Take(const CsvRecord& record, std::string* error) {
    if (headerColumns == 0) {
      headerColumns = record.fields.size();
      if (headerColumns < kFirstFieldColumn) return Refuse(record, "the header needs at least the columns surname and name", error);
      cells.resize(headerColumns);
      return true;
    }
    const std::size_t columns = record.fields.size();
    if (columns > headerColumns || columns < kFirstFieldColumn) {
      return Refuse(record, std::to_string(columns) + (columns == 1 ? " column" : " columns") +
                                " where the header has " + std::to_string(headerColumns), error);
    }
    if (columns < headerColumns && shortRows++ == 0) firstShortRow = record.line;
    std::string reason;
    for (std::size_t i = 0; i < columns; ++i) {
      if (!ConvertCell(record.fields[i], i, &cells[i], &reason)) return Refuse(record, reason, error);
    }
    const std::string& surname = cells[kSurnameColumn];
    if (surname.empty()) return Refuse(record, "empty surname", error);
    if (RollWriter::KeyOf(surname).empty()) {
      return Refuse(record, "surname key longer than 23 characters", error);
    }
    const std::size_t nameLimit = slotNameLength > 0 ? static_cast<std::size_t>(slotNameLength - 1) : kLongestNameText;
    if (cells[kNameColumn].size() > nameLimit) {
      return Refuse(record, "name text of " + std::to_string(cells[kNameColumn].size()) +
                                " bytes (at most " + std::to_string(nameLimit) + ")", error);
    }
    std::size_t lineLength = 1;
    rowFields.clear();
    for (std::size_t i = kFirstFieldColumn; i < columns; ++i) {
      rowFields.push_back(cells[i]);
      lineLength += cells[i].size() + 1;
    }
    if (lineLength > kLineBufferSize - 1) {
      return Refuse(record, "entry line of " + std::to_string(lineLength) + " bytes (at most " +
                                std::to_string(kLineBufferSize - 1) + ")", error);
    }
    if (!rollWriter.Add(surname, cells[kNameColumn], rowFields, &reason)) return Refuse(record, reason, error);
    return true;
  }

  bool SawHeader() const { return headerColumns > 0; }
  RollWriter& Writer() { return rollWriter; }
  // Rows with fewer columns than the header: their entries' lines hold fewer fields.
  std::int64_t ShortRows() const { return shortRows; }
  long FirstShortRow() const { return firstShortRow; }
  std::size_t HeaderColumns() const { return headerColumns; }

 private:
  bool Refuse(const CsvRecord& record, const std::string& reason, std::string* error) const {
    *error = csvPath + ":" + std::to_string(record.line) + ": " + reason;
    return false;
  }

  std::string csvPath;
  RollWriter rollWriter;
  int slotNameLength;
  std::size_t headerColumns = 0;
  std::int64_t shortRows = 0;
  long firstShortRow = 0;
  std::vector<std::string> cells;
  std::vector<std::string_view> rowFields;
};

// Removes database files left in another case (MROLL.COR beside the new mroll.cor).
void RemoveOtherCaseFiles(const std::string& directory) {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(directory, ec)) {
    const std::string name = entry.path().filename().string();
    for (const char* own : kDatabaseFiles) {
      if (name != own && strcasecmp(name.c_str(), own) == 0) fs::remove(entry.path(), ec);
    }
  }
}

// Why the build may not go on in `directory` (an existing one), or "": the CSV is one of the
// files it would replace or remove, or one of them is something a file cannot be renamed over.
std::string RefusalForDirectory(const BuildOptions& options, const std::string& directory) {
  InputFiles replaced;
  replaced.AddRollFilesIn(directory);
  const bool fromStandardInput = options.csvPath == "-";
  const FileIdentity input = fromStandardInput ? StandardInputIdentity() : IdentityOfPath(options.csvPath);
  if (const InputFile* file = replaced.Find(input)) {
    return RefusalToOverwrite(fromStandardInput ? "standard input" : options.csvPath, *file,
                              "a file the build would replace");
  }
  for (const char* name : kDatabaseFiles) {
    const FileKind kind = KindOfPath(directory + name);
    if (kind != FileKind::kMissing && kind != FileKind::kRegular) {
      return directory + name + ": " + DescribeFileKind(kind) + ", which the build cannot replace";
    }
  }
  return {};
}

// The directories a build makes for its database: removed again, when still empty, unless the
// build succeeded, so that a failed build leaves the file system as it found it.
class MadeDirectories {
 public:
  MadeDirectories() = default;
  MadeDirectories(const MadeDirectories&) = delete;
  MadeDirectories& operator=(const MadeDirectories&) = delete;
  ~MadeDirectories() {
    std::error_code ec;
    for (auto it = made.rbegin(); it != made.rend(); ++it) fs::remove(*it, ec);  // never one with entries
  }

  // Makes `directory` and each missing directory above it. False with *error.
  bool Make(const std::string& directory, std::string* error) {
    std::vector<fs::path> missing;
    std::error_code ec;
    for (fs::path at = fs::path(directory).lexically_normal(); !at.empty(); at = at.parent_path()) {
      if (fs::symlink_status(at, ec).type() != fs::file_type::not_found) break;
      missing.push_back(at);
      if (at == at.parent_path()) break;
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
      if (fs::create_directory(*it, ec)) {
        made.push_back(*it);
      } else if (ec) {
        *error = directory + ": cannot create: " + ec.message();
        return false;
      }
    }
    return true;
  }
  // The build succeeded: what it made stays.
  void Keep() { made.clear(); }

 private:
  std::vector<fs::path> made;
};

// The writer's messages name the file in the staging directory; the user knows it by its place.
std::string WithoutStaging(std::string message, const StagingDirectory& staging, const std::string& directory) {
  if (message.compare(0, staging.Path().size(), staging.Path()) == 0) {
    message.replace(0, staging.Path().size(), directory);
  }
  return message;
}

}  // namespace

int RunBuild(const BuildOptions& options) {
  std::string directory = options.directory;
  if (!IsPathSeparator(directory.back())) directory += '/';
  const FileKind kind = KindOfPath(options.directory);
  const bool exists = kind != FileKind::kMissing;
  if (exists && kind != FileKind::kDirectory) {
    return ReportProblem(options.directory + ": " + DescribeFileKind(kind) + ", not a directory");
  }
  if (exists) {
    if (const std::string refusal = RefusalForDirectory(options, directory); !refusal.empty()) {
      return ReportProblem(refusal);
    }
  }
  std::string existing;
  if (exists && !options.force && HoldsRollFiles(options.directory, &existing)) {
    return ReportProblem(existing + ": exists; use --force to replace the database");
  }

  CsvToRoll roll(options.csvPath, options.nameLength);
  std::string error;
  if (!ReadCsvFile(options.csvPath, [&](const CsvRecord& r, std::string* e) { return roll.Take(r, e); }, &error)) {
    return ReportProblem(error);
  }
  if (!roll.SawHeader()) return ReportProblem(options.csvPath + ": no header row");

  MadeDirectories made;
  if (!exists && !made.Make(options.directory, &error)) return ReportProblem(error);
  RemoveStaleTemporaries(directory);
  StagingDirectory staging;
  if (!staging.Create(directory, kRollBaseName, &error)) return ReportProblem(error);
  if (!roll.Writer().Write(staging.Path(), &error)) return ReportProblem(WithoutStaging(error, staging, directory));
  {
    const SignalsHeld held;
    if (!staging.Publish({std::begin(kDatabaseFiles), std::end(kDatabaseFiles)}, &error)) return ReportProblem(error);
    RemoveOtherCaseFiles(directory);
  }
  made.Keep();
  if (roll.ShortRows() > 0) {
    std::fprintf(stderr, "rollkit: note: %s:%ld: %lld %s fewer columns than the header's %zu; %s fewer fields\n",
                 options.csvPath.c_str(), roll.FirstShortRow(), static_cast<long long>(roll.ShortRows()),
                 roll.ShortRows() == 1 ? "row has" : "rows, the first here, have", roll.HeaderColumns(),
                 roll.ShortRows() == 1 ? "its entry's line holds" : "their entries' lines hold");
  }
  return kExitOk;
}
