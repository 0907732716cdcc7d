// rollkit dump: every entry as the CSV that build reads, in index key order and slot order.
//
// Memory stays the same whatever the files hold: the index is walked twice by the store's bounded
// walker (first to make sure it can be dumped whole, then to write), the name and line files are
// read through read-ahead cursors, and rows go out as they are made.
//
// An entry whose line has fewer fields than the longest line's gets a row with fewer columns
// (build reads such a row back as the same short line), so an absent field stays apart from an
// empty one.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/cp1252.h"
#include "platform/file_system.h"
#include "platform/output_file.h"
#include "platform/read_cursor.h"
#include "store/index_walk.h"
#include "store/roll_format.h"
#include "tools/rollkit/commands.h"
#include "tools/rollkit/csv_io.h"
#include "tools/rollkit/database_files.h"
#include "tools/rollkit/exit_status.h"
#include "tools/rollkit/generate.h"
#include "tools/rollkit/output_guard.h"

namespace {

constexpr std::size_t kStreamBuffer = 1 << 20;
constexpr std::size_t kRollFieldCount = 10;  // the fields of database 1
constexpr const char* kDumpedRole = "a file of the roll database being dumped";

// The most fields any line of the line file has: the CSV's header names that many.
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
  explicit Dumper(const RollFiles& files) : rollFiles(files), nameCursor(kStreamBuffer), lineCursor(kStreamBuffer) {}

  // Opens the files and makes sure the whole roll can be dumped: an index whose tree holds
  // together and whose slot ranges lie in the name file without listing any slot twice over.
  bool Open(std::string* error) {
    if (!OpenRollFile(rollFiles.indexFile, &indexFile, error) || !OpenRollFile(rollFiles.nameFile, &nameFile, error) ||
        !OpenRollFile(rollFiles.lineFile, &lineFile, error)) {
      return false;
    }
    if (!IndexSizeReachable(indexFile.Size())) {
      *error = rollFiles.indexFile + ": " + std::to_string(indexFile.Size()) + " bytes, more than node offsets can reach";
      return false;
    }
    unsigned char trailer[kNameTrailerSize];
    const std::int64_t size = nameFile.Size();
    if (size < kNameTrailerSize || nameFile.ReadAt(size - kNameTrailerSize, trailer, sizeof trailer) != kNameTrailerSize ||
        !NameLengthUsable(DecodeTrailer(trailer))) {
      *error = rollFiles.nameFile + ": cannot be read";
      return false;
    }
    nameLength = DecodeTrailer(trailer);
    slotSize = nameLength + kSlotHeaderSize;
    slotCount = (size - kNameTrailerSize) / slotSize;
    if (!Survey(error)) return false;
    fieldCount = entryCount == 0 ? kRollFieldCount : MostFields(lineFile);
    nameCursor.Attach(&nameFile);
    lineCursor.Attach(&lineFile);
    return true;
  }

  // Writes the CSV to `out`; `outName` names it in a message.
  bool Write(std::FILE* out, const std::string& outName, std::string* error) {
    std::vector<std::string> header = RollCsvHeader();
    if (fieldCount != kRollFieldCount) {
      header.resize(2);
      for (std::size_t i = 0; i < fieldCount; ++i) header.push_back("field" + std::to_string(i + 1));
    }
    CsvWriter writer(out);
    std::vector<std::string_view> view(header.begin(), header.end());
    writer.Write(view);

    std::vector<std::string> columns;
    std::vector<unsigned char> slot(static_cast<std::size_t>(slotSize));
    std::string line;
    std::string failure;
    WalkIndex(indexFile, [](const std::string&) {}, [&](const WalkedEntry& e) {
      if (!failure.empty() || e.slotCount < 1) return;
      const std::string surname = Cp1252ToUtf8(SurnameOfKey(e.key));
      const std::int64_t end = static_cast<std::int64_t>(e.firstSlot) + e.slotCount;
      for (std::int64_t s = e.firstSlot; s < end; ++s) {
        if (nameCursor.Read(s * slotSize, slot.data(), slot.size()) != slot.size()) {
          failure = rollFiles.nameFile + ": slot " + std::to_string(s) + " cannot be read";
          return;
        }
        const SlotValue value = DecodeSlot(slot.data(), nameLength);
        longestName = std::max(longestName, static_cast<std::int32_t>(value.name.size()));
        ReadLine(value.lineOffset, &line);
        const auto fields = SplitFields(line);
        if (fields.size() < fieldCount) ++shortEntries;
        columns.resize(2 + fields.size());
        columns[0] = surname;
        columns[1] = Cp1252ToUtf8(value.name);
        for (std::size_t i = 0; i < fields.size(); ++i) columns[2 + i] = Cp1252ToUtf8(fields[i]);
        view.assign(columns.begin(), columns.end());
        writer.Write(view);
      }
    });
    if (!failure.empty()) {
      *error = failure;
      return false;
    }
    if (!writer.Finish()) {
      *error = outName + ": write error: " + std::strerror(errno);
      return false;
    }
    return true;
  }

  std::int64_t ShortEntries() const { return shortEntries; }
  std::size_t FieldCount() const { return fieldCount; }
  std::int32_t NameLength() const { return nameLength; }
  std::int32_t LongestName() const { return longestName; }

 private:
  bool Survey(std::string* error) {
    std::string damage;
    std::int64_t listed = 0;
    const IndexWalkResult walk = WalkIndex(
        indexFile, [&](const std::string& text) { if (damage.empty()) damage = text; },
        [&](const WalkedEntry& e) {
          if (!damage.empty() || e.slotCount < 1) return;
          if (e.firstSlot < 0 || static_cast<std::int64_t>(e.firstSlot) + e.slotCount > slotCount) {
            damage = "node at " + std::to_string(e.nodeOffset) + " entry " + std::to_string(e.position) +
                     ": slots outside the name file";
          }
          listed += e.slotCount;
        });
    if (damage.empty() && listed > slotCount) damage = "its keys list more slots than the name file holds";
    if (!damage.empty()) {
      *error = rollFiles.indexFile + ": damaged (" + damage + "); run rollkit check";
      return false;
    }
    entryCount = walk.entries;
    return true;
  }

  // The line at `offset`, up to and with its LF, at most the longest line an entry may have.
  void ReadLine(std::int32_t offset, std::string* line) {
    line->clear();
    if (offset < 0) return;
    for (std::int64_t at = offset; line->size() < static_cast<std::size_t>(kLongestLine); ++at) {
      const int c = lineCursor.ByteAt(at);
      if (c < 0) break;
      line->push_back(static_cast<char>(c));
      if (c == kLineFeed) break;
    }
  }

  const RollFiles& rollFiles;
  ReadOnlyFile indexFile;
  ReadOnlyFile nameFile;
  ReadOnlyFile lineFile;
  ReadCursor nameCursor;
  ReadCursor lineCursor;
  std::int32_t nameLength = 0;
  std::int64_t slotSize = kSlotHeaderSize;
  std::int64_t slotCount = 0;
  std::int64_t entryCount = 0;
  std::size_t fieldCount = 0;
  std::int64_t shortEntries = 0;
  std::int32_t longestName = 0;
};

// What the user may want to know to build the same roll again from the CSV.
void WriteNotes(const Dumper& dumper) {
  if (dumper.ShortEntries() > 0) {
    std::fprintf(stderr, "rollkit: note: %lld %s fewer than %zu fields; %s fewer columns\n",
                 static_cast<long long>(dumper.ShortEntries()), dumper.ShortEntries() == 1 ? "entry has" : "entries have",
                 dumper.FieldCount(), dumper.ShortEntries() == 1 ? "its row has" : "their rows have");
  }
  if (dumper.NameLength() > dumper.LongestName() + 1) {
    std::fprintf(stderr,
                 "rollkit: note: the name file's slots hold %d bytes of name text, more than the longest name "
                 "needs; build with --name-length %d to keep them\n",
                 dumper.NameLength(), dumper.NameLength());
  }
}

}  // namespace

int RunDump(const DumpOptions& options) {
  std::string directory;
  std::string error;
  RollFiles files;
  if (!ResolveDataDirectory(options.dataDirectory, &directory, &error) ||
      !LocateRollFiles(directory, &files, &error) || !CheckReadable(files, &error)) {
    return ReportProblem(error);
  }
  InputFiles inputs;
  AddRollFiles(files, &inputs);
  const bool toStandardOutput = options.csvPath == "-";
  if (const std::string refusal = toStandardOutput ? RefusalForStandardOutput(inputs, kDumpedRole)
                                                   : RefusalForOutput(options.csvPath, inputs, kDumpedRole);
      !refusal.empty()) {
    return ReportProblem(refusal);
  }

  Dumper dumper(files);
  if (!dumper.Open(&error)) return ReportProblem(error);
  if (toStandardOutput) {
    if (!dumper.Write(stdout, "standard output", &error)) return ReportProblem(error);
  } else {
    OutputFile output;
    if (!output.Open(options.csvPath, &error)) return ReportProblem(error);
    if (!dumper.Write(output.Stream(), options.csvPath, &error)) return ReportProblem(error);
    if (!output.Commit(&error)) return ReportProblem(error);
  }
  WriteNotes(dumper);
  return kExitOk;
}
