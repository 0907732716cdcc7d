// rollkit dump: every entry as the CSV that build reads, in index key order and slot order.
#include <cerrno>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/byte_order.h"
#include "platform/cp1252.h"
#include "platform/file_system.h"
#include "store/roll_format.h"
#include "tools/rollkit/commands.h"
#include "tools/rollkit/csv_io.h"
#include "tools/rollkit/database_files.h"
#include "tools/rollkit/exit_status.h"
#include "tools/rollkit/generate.h"
#include "tools/rollkit/index_walk.h"
#include "tools/rollkit/roll_text.h"

namespace {

constexpr std::size_t kStreamBuffer = 1 << 20;
constexpr std::size_t kRollFieldCount = 10;  // the fields of database 1

struct KeyRun {
  std::string key;
  std::int32_t firstSlot;
  std::int32_t slotCount;
};

// The most fields any line of the line file has: the CSV needs one column count for all.
std::size_t MostFields(std::FILE* lines) {
  std::size_t most = 0;
  std::size_t fields = 0;
  bool inField = false;
  for (int c; (c = ReadByteUnlocked(lines)) != EOF;) {
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

// Reads sequentially, seeking only when the next read is elsewhere (slots and lines are mostly
// in order, and a seek would drop the stream's buffer).
class SequentialReader {
 public:
  explicit SequentialReader(FileHandle file) : file_(std::move(file)) {
    std::setvbuf(file_.get(), nullptr, _IOFBF, kStreamBuffer);
  }
  std::FILE* At(std::int64_t offset) {
    if (offset != position_) {
      if (!SeekTo(file_.get(), offset)) return nullptr;
      position_ = offset;
    }
    return file_.get();
  }
  void Advance(std::int64_t n) { position_ += n; }

 private:
  FileHandle file_;
  std::int64_t position_ = -1;  // unknown: the first read seeks
};

class Dumper {
 public:
  Dumper(const RollFiles& files, std::string outName) : files_(files), outName_(std::move(outName)) {}

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
    std::vector<unsigned char> slot(slotSize_);
    std::string line;
    for (const KeyRun& run : runs) {
      columns[0] = Cp1252ToUtf8(SurnameOfKey(run.key));
      for (std::int64_t s = run.firstSlot; s < static_cast<std::int64_t>(run.firstSlot) + run.slotCount; ++s) {
        std::FILE* names = names_->At(s * slotSize_);
        if (!names || std::fread(slot.data(), 1, slot.size(), names) != slot.size()) {
          *error = files_.nameFile + ": slot " + std::to_string(s) + " cannot be read";
          return false;
        }
        names_->Advance(slotSize_);
        const char* text = reinterpret_cast<const char*>(slot.data() + 4);
        columns[1] = Cp1252ToUtf8(std::string_view(text, strnlen(text, nameLength_)));
        if (!ReadLine(DecodeFixed32(slot.data()), &line, error)) return false;
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
    std::vector<unsigned char> file;
    if (!ReadWholeFile(files_.indexFile, &file, error)) return false;
    std::string damage;
    WalkIndex(
        file, [&](const std::string& text) { if (damage.empty()) damage = text; },
        [&](const WalkedEntry& e) { runs->push_back({std::string(e.key), e.firstSlot, e.slotCount}); });
    if (!damage.empty()) {
      *error = files_.indexFile + ": damaged (" + damage + "); run rollkit check";
      return false;
    }
    return true;
  }

  bool OpenData(std::string* error) {
    FileHandle names(std::fopen(files_.nameFile.c_str(), "rb"));
    FileHandle lines(std::fopen(files_.lineFile.c_str(), "rb"));
    unsigned char trailer[kNameTrailerSize];
    const std::int64_t size = names ? StreamSize(names.get()) : -1;
    if (size < kNameTrailerSize || !SeekTo(names.get(), size - kNameTrailerSize) ||
        std::fread(trailer, 1, sizeof trailer, names.get()) != sizeof trailer || !lines) {
      *error = files_.nameFile + ": cannot be read";
      return false;
    }
    nameLength_ = DecodeFixed32(trailer);
    slotSize_ = nameLength_ + 4;
    fieldCount_ = MostFields(lines.get());
    names_ = std::make_unique<SequentialReader>(std::move(names));
    lines_ = std::make_unique<SequentialReader>(std::move(lines));
    return true;
  }

  bool ReadLine(std::int32_t offset, std::string* line, std::string* error) {
    line->clear();
    std::FILE* f = offset >= 0 ? lines_->At(offset) : nullptr;
    if (!f) {
      *error = files_.lineFile + ": no line at offset " + std::to_string(offset);
      return false;
    }
    int c;
    while (line->size() < static_cast<std::size_t>(kLineBufferSize - 1) && (c = ReadByteUnlocked(f)) != EOF) {
      line->push_back(static_cast<char>(c));
      if (c == kLineFeed) break;
    }
    lines_->Advance(static_cast<std::int64_t>(line->size()));
    return true;
  }

  const RollFiles& files_;
  std::string outName_;
  std::unique_ptr<SequentialReader> names_;
  std::unique_ptr<SequentialReader> lines_;
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
    file.reset(std::fopen(options.csvPath.c_str(), "wb"));
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
