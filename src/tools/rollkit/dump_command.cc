// rollkit dump: every entry as the CSV that build reads, in index key order and slot order.
#include <cerrno>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/cp1252.h"
#include "platform/file_system.h"
#include "platform/read_cursor.h"
#include "store/index_walk.h"
#include "store/roll_format.h"
#include "tools/rollkit/commands.h"
#include "tools/rollkit/csv_io.h"
#include "tools/rollkit/database_files.h"
#include "tools/rollkit/exit_status.h"
#include "tools/rollkit/generate.h"

namespace {

constexpr std::size_t kStreamBuffer = 1 << 20;
constexpr std::size_t kRollFieldCount = 10;  // the fields of database 1

struct KeyRun {
  std::string key;
  std::int32_t firstSlot;
  std::int32_t slotCount;
};

// The most fields any line of the line file has: the CSV needs one column count for all.
std::size_t MostFields(const ReadOnlyFile& lines) {
  std::size_t most = 0;
  std::size_t fields = 0;
  bool inField = false;
  ReadCursor cursor(kStreamBuffer);
  cursor.Attach(&lines);
  for (std::int64_t at = 0;; ++at) {
    const int c = cursor.ByteAt(at);
    if (c < 0) break;
    if (c == kFieldSeparator) {
      ++fields;
      inField = false;
    } else if (c == kLineFeed) {
      if (inField) ++fields;  // a last field without its separator
      most = std::max(most, fields);
      fields = 0;
      inField = false;
    } else {
      inField = true;
    }
  }
  return std::max(most, fields + (inField ? 1 : 0));
}

class Dumper {
 public:
  Dumper(const RollFiles& files, std::string outName)
      : files_(files), outName_(std::move(outName)), names_(kStreamBuffer), lines_(kStreamBuffer) {}

  bool Run(std::FILE* out, std::string* error) {
    std::vector<KeyRun> runs;
    if (!ReadIndex(&runs, error) || !OpenData(error)) return false;
    if (runs.empty() && fieldCount_ == 0) fieldCount_ = kRollFieldCount;  // an empty roll

    std::vector<std::string> header = RollCsvHeader();
    if (fieldCount_ != kRollFieldCount) {
      header.resize(2);
      for (std::size_t i = 0; i < fieldCount_; ++i) header.push_back("field" + std::to_string(i + 1));
    }
    CsvWriter writer(out);
    std::vector<std::string_view> view(header.begin(), header.end());
    writer.Write(view);

    std::vector<std::string> columns(2 + fieldCount_);
    std::vector<unsigned char> slot(static_cast<std::size_t>(slotSize_));
    std::string line;
    for (const KeyRun& run : runs) {
      columns[0] = Cp1252ToUtf8(SurnameOfKey(run.key));
      for (std::int64_t s = run.firstSlot; s < static_cast<std::int64_t>(run.firstSlot) + run.slotCount; ++s) {
        if (s < 0 || names_.Read(s * slotSize_, slot.data(), slot.size()) != slot.size()) {
          *error = files_.nameFile + ": slot " + std::to_string(s) + " cannot be read";
          return false;
        }
        const SlotValue value = DecodeSlot(slot.data(), nameLength_);
        columns[1] = Cp1252ToUtf8(value.name);
        if (!ReadLine(value.lineOffset, &line, error)) return false;
        const auto fields = SplitFields(line);
        if (fields.size() < fieldCount_) ++padded_;
        for (std::size_t i = 0; i < fieldCount_; ++i) {
          columns[2 + i] = i < fields.size() ? Cp1252ToUtf8(fields[i]) : std::string();
        }
        view.assign(columns.begin(), columns.end());
        writer.Write(view);
      }
    }
    if (!writer.Finish()) {
      *error = outName_ + ": write error: " + std::strerror(errno);
      return false;
    }
    return true;
  }

  std::int64_t Padded() const { return padded_; }
  std::size_t FieldCount() const { return fieldCount_; }

 private:
  bool ReadIndex(std::vector<KeyRun>* runs, std::string* error) {
    ReadOnlyFile index;
    if (!OpenRollFile(files_.indexFile, &index, error)) return false;
    std::string damage;
    WalkIndex(
        index, [&](const std::string& text) { if (damage.empty()) damage = text; },
        [&](const WalkedEntry& e) { runs->push_back({std::string(e.key), e.firstSlot, e.slotCount}); });
    if (!damage.empty()) {
      *error = files_.indexFile + ": damaged (" + damage + "); run rollkit check";
      return false;
    }
    return true;
  }

  bool OpenData(std::string* error) {
    if (!OpenRollFile(files_.nameFile, &nameFile_, error) || !OpenRollFile(files_.lineFile, &lineFile_, error)) {
      return false;
    }
    unsigned char trailer[kNameTrailerSize];
    const std::int64_t size = nameFile_.Size();
    if (size < kNameTrailerSize || nameFile_.ReadAt(size - kNameTrailerSize, trailer, sizeof trailer) != kNameTrailerSize ||
        !NameLengthUsable(DecodeTrailer(trailer))) {
      *error = files_.nameFile + ": cannot be read";
      return false;
    }
    nameLength_ = DecodeTrailer(trailer);
    slotSize_ = nameLength_ + kSlotHeaderSize;
    fieldCount_ = MostFields(lineFile_);
    names_.Attach(&nameFile_);
    lines_.Attach(&lineFile_);
    return true;
  }

  bool ReadLine(std::int32_t offset, std::string* line, std::string* error) {
    line->clear();
    if (offset < 0) {
      *error = files_.lineFile + ": no line at offset " + std::to_string(offset);
      return false;
    }
    for (std::int64_t at = offset; line->size() < static_cast<std::size_t>(kLongestLine); ++at) {
      const int c = lines_.ByteAt(at);
      if (c < 0) break;
      line->push_back(static_cast<char>(c));
      if (c == kLineFeed) break;
    }
    return true;
  }

  const RollFiles& files_;
  std::string outName_;
  ReadOnlyFile nameFile_;
  ReadOnlyFile lineFile_;
  ReadCursor names_;
  ReadCursor lines_;
  std::int32_t nameLength_ = 0;
  std::int64_t slotSize_ = 4;
  std::size_t fieldCount_ = 0;
  std::int64_t padded_ = 0;
};

}  // namespace

int RunDump(const DumpOptions& options) {
  std::string directory;
  std::string error;
  RollFiles files;
  if (!ResolveDataDirectory(options.dataDirectory, &directory, &error) ||
      !LocateRollFiles(directory, &files, &error) || !CheckReadable(files, &error)) {
    return ReportProblem(error);
  }
  FileHandle file;
  std::FILE* out = stdout;
  if (options.csvPath != "-") {
    file = OpenFile(options.csvPath.c_str(), "wb");
    if (!file) return ReportProblem(options.csvPath + ": cannot create: " + std::strerror(errno));
    out = file.get();
  }
  Dumper dumper(files, options.csvPath == "-" ? "standard output" : options.csvPath);
  const bool ok = dumper.Run(out, &error);
  if (file && std::fclose(file.release()) != 0 && ok) return ReportProblem(options.csvPath + ": write error");
  if (!ok) return ReportProblem(error);
  if (dumper.Padded() > 0) {
    std::fprintf(stderr, "rollkit: note: %lld entries have fewer than %zu fields; their columns were left empty\n",
                 static_cast<long long>(dumper.Padded()), dumper.FieldCount());
  }
  return kExitOk;
}
