// rollkit build: a roll database from a CSV file, with the engine's database writer.
//
// The whole CSV is read and every entry accepted before anything is written, and the writer
// writes under temporary names and renames at the end, so a refused build leaves nothing behind.
#include <strings.h>

#include <filesystem>
#include <string>
#include <vector>

#include "store/roll_format.h"
#include "store/roll_writer.h"
#include "tools/rollkit/commands.h"
#include "tools/rollkit/csv_io.h"
#include "tools/rollkit/database_files.h"
#include "tools/rollkit/exit_status.h"
#include "tools/rollkit/roll_text.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kSurnameColumn = 0;
constexpr std::size_t kNameColumn = 1;
constexpr std::size_t kFirstFieldColumn = 2;
constexpr std::size_t kLongestNameText = kRowNameSize - 1;

std::string ColumnName(std::size_t column) {
  if (column == kSurnameColumn) return "surname";
  if (column == kNameColumn) return "name";
  return "column " + std::to_string(column + 1);
}

// Converts one cell to roll bytes and refuses what a roll cannot hold.
bool ConvertCell(const std::string& cell, std::size_t column, std::string* out, std::string* error) {
  std::string reason;
  if (!ToRollBytes(cell, out, &reason)) {
    *error = ColumnName(column) + ": " + reason;
    return false;
  }
  for (char c : *out) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == kFieldSeparator) {
      *error = ColumnName(column) + ": the character \xC3\xBF cannot be stored (it separates fields)";
    } else if (c == '\r' || c == '\n') {
      *error = ColumnName(column) + ": holds a line break";
    } else if (c == '\0') {
      *error = ColumnName(column) + ": holds a NUL character";
    } else {
      continue;
    }
    return false;
  }
  return true;
}

class CsvToRoll {
 public:
  CsvToRoll(const std::string& path, int nameLength) : path_(path), writer_(nameLength), nameLength_(nameLength) {}

  bool Take(const CsvRecord& record, std::string* error) {
    if (columns_ == 0) {
      columns_ = record.fields.size();
      if (columns_ < kFirstFieldColumn) return Refuse(record, "the header needs at least the columns surname and name", error);
      cells_.resize(columns_);
      return true;
    }
    if (record.fields.size() != columns_) {
      return Refuse(record, std::to_string(record.fields.size()) + " columns where the header has " +
                                std::to_string(columns_), error);
    }
    std::string reason;
    for (std::size_t i = 0; i < columns_; ++i) {
      if (!ConvertCell(record.fields[i], i, &cells_[i], &reason)) return Refuse(record, reason, error);
    }
    const std::string& surname = cells_[kSurnameColumn];
    if (surname.empty()) return Refuse(record, "empty surname", error);
    if (RollWriter::KeyOf(surname).empty()) {
      return Refuse(record, "surname key longer than 23 characters", error);
    }
    const std::size_t nameLimit = nameLength_ > 0 ? static_cast<std::size_t>(nameLength_ - 1) : kLongestNameText;
    if (cells_[kNameColumn].size() > nameLimit) {
      return Refuse(record, "name text of " + std::to_string(cells_[kNameColumn].size()) +
                                " bytes (at most " + std::to_string(nameLimit) + ")", error);
    }
    std::size_t lineLength = 1;
    fields_.clear();
    for (std::size_t i = kFirstFieldColumn; i < columns_; ++i) {
      fields_.push_back(cells_[i]);
      lineLength += cells_[i].size() + 1;
    }
    if (lineLength > kLineBufferSize - 1) {
      return Refuse(record, "entry line of " + std::to_string(lineLength) + " bytes (at most " +
                                std::to_string(kLineBufferSize - 1) + ")", error);
    }
    if (!writer_.Add(surname, cells_[kNameColumn], fields_, &reason)) return Refuse(record, reason, error);
    return true;
  }

  bool SawHeader() const { return columns_ > 0; }
  RollWriter& Writer() { return writer_; }

 private:
  bool Refuse(const CsvRecord& record, const std::string& reason, std::string* error) const {
    *error = path_ + ":" + std::to_string(record.line) + ": " + reason;
    return false;
  }

  std::string path_;
  RollWriter writer_;
  int nameLength_;
  std::size_t columns_ = 0;
  std::vector<std::string> cells_;
  std::vector<std::string_view> fields_;
};

// Removes database files left in another case (MROLL.COR beside the new mroll.cor).
void RemoveOtherCaseFiles(const std::string& directory) {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(directory, ec)) {
    const std::string name = entry.path().filename().string();
    for (const char* own : {kNameFileName, kLineFileName, kIndexFileName, kMarkerFileName}) {
      if (name != own && strcasecmp(name.c_str(), own) == 0) fs::remove(entry.path(), ec);
    }
  }
}

}  // namespace

int RunBuild(const BuildOptions& options) {
  std::error_code ec;
  const bool exists = fs::exists(options.directory, ec);
  if (exists && !fs::is_directory(options.directory, ec)) {
    return ReportProblem(options.directory + ": not a directory");
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

  if (!exists && !fs::create_directories(options.directory, ec)) {
    return ReportProblem(options.directory + ": cannot create: " + ec.message());
  }
  std::string directory = options.directory;
  if (directory.back() != '/') directory += '/';
  if (!roll.Writer().Write(directory, &error)) return ReportProblem(error);
  RemoveOtherCaseFiles(directory);
  return kExitOk;
}
