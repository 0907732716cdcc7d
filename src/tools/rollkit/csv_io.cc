#include "tools/rollkit/csv_io.h"

#include <csv.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/file_system.h"
#include "records/csv_text.h"

namespace {

// libcsv's parser state between records (its ROW_NOT_BEGUN); only inspected at line starts.
constexpr int kRowNotBegun = 0;
constexpr std::size_t kChunkSize = 1 << 20;

struct InputCloser {  // standard input stays open
  void operator()(std::FILE* f) const {
    if (f && f != stdin) std::fclose(f);
  }
};

// Blanks around unquoted fields are part of the field on a roll.
int NeverSpace(unsigned char) { return 0; }

struct ParseState {
  CsvRecord record;
  std::size_t fieldCount = 0;
  long recordLine = 1;
  const CsvRecordHandler* handler = nullptr;
  std::string handlerError;
  bool stopped = false;
};

void OnField(void* text, std::size_t length, void* data) {
  auto* state = static_cast<ParseState*>(data);
  if (state->stopped) return;
  auto& fields = state->record.fields;
  if (state->fieldCount == fields.size()) fields.emplace_back();
  fields[state->fieldCount].assign(
      UnguardedCsvCell(std::string_view(static_cast<const char*>(text), length)));
  ++state->fieldCount;
}

void OnRecord(int, void* data) {
  auto* state = static_cast<ParseState*>(data);
  if (state->stopped) return;
  state->record.fields.resize(state->fieldCount);
  state->record.line = state->recordLine;
  if (!(*state->handler)(state->record, &state->handlerError)) state->stopped = true;
  state->fieldCount = 0;
}

}  // namespace

bool ReadCsvFile(const std::string& path, const CsvRecordHandler& handler, std::string* error) {
  std::unique_ptr<std::FILE, InputCloser> in(path == "-" ? stdin : OpenFile(path.c_str(), "rb").release());
  if (!in) {
    *error = path + ": cannot open: " + std::strerror(errno);
    return false;
  }
  csv_parser parser;
  if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI) != 0) {
    *error = path + ": out of memory";
    return false;
  }
  std::unique_ptr<csv_parser, void (*)(csv_parser*)> guard(&parser, [](csv_parser* p) { csv_free(p); });
  csv_set_space_func(&parser, NeverSpace);

  ParseState state;
  state.handler = &handler;
  long line = 1;
  bool atLineStart = true;
  bool first = true;
  std::unique_ptr<char[]> chunk(new char[kChunkSize]);
  std::size_t got;
  while ((got = std::fread(chunk.get(), 1, kChunkSize, in.get())) > 0) {
    const char* p = chunk.get();
    const char* end = p + got;
    if (first) {
      first = false;
      if (got >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0) p += 3;
    }
    // Feed one physical line at a time so that a record's first line is known.
    while (p < end) {
      if (atLineStart && parser.pstate == kRowNotBegun) state.recordLine = line;
      const char* newline = static_cast<const char*>(std::memchr(p, '\n', end - p));
      const char* stop = newline ? newline + 1 : end;
      const std::size_t length = stop - p;
      if (csv_parse(&parser, p, length, OnField, OnRecord, &state) != length) {
        *error = path + ":" + std::to_string(line) + ": malformed CSV record (" +
                 csv_strerror(csv_error(&parser)) + ")";
        return false;
      }
      if (state.stopped) {
        *error = state.handlerError;
        return false;
      }
      p = stop;
      atLineStart = newline != nullptr;
      if (newline) ++line;
    }
  }
  if (std::ferror(in.get())) {
    *error = path + ": read error: " + std::strerror(errno);
    return false;
  }
  if (csv_fini(&parser, OnField, OnRecord, &state) != 0) {
    *error = path + ":" + std::to_string(state.recordLine) +
             ": malformed CSV record (quoted field not closed)";
    return false;
  }
  if (state.stopped) {
    *error = state.handlerError;
    return false;
  }
  return true;
}

CsvWriter::~CsvWriter() { Flush(); }

void CsvWriter::Write(const std::vector<std::string_view>& fields) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) buffer.push_back(',');
    guardedField.assign(GuardedCsvCell(fields[i]));
    const std::string_view field = guardedField;
    quotedField.resize(field.size() * 2 + 2);
    const std::size_t n = csv_write(quotedField.data(), quotedField.size(), field.data(), field.size());
    buffer.append(quotedField.data(), n);
  }
  buffer.push_back('\n');
  if (buffer.size() >= kChunkSize) Flush();
}

void CsvWriter::Flush() {
  if (buffer.empty()) return;
  if (std::fwrite(buffer.data(), 1, buffer.size(), output) != buffer.size()) writeFailed = true;
  buffer.clear();
}

bool CsvWriter::Finish() {
  Flush();
  if (std::fflush(output) != 0 || std::ferror(output)) writeFailed = true;
  return !writeFailed;
}
