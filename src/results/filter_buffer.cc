#include "results/filter_buffer.h"

#include <cstring>
#include <utility>

#include "platform/byte_order.h"

namespace {

constexpr std::size_t kMaxPathLength = kPathBufferSize - 1;

}  // namespace

FilterBuffer::FilterBuffer(std::string p)
    : appendBuffer(std::make_unique<char[]>(kAppendBufferSize)), path(std::move(p)) {
  Empty();
}

FilterBuffer::~FilterBuffer() { Close(); }

int FilterBuffer::Empty() {
  recordCount = 0;
  // Emptied already and not used since (a search resets the list twice): nothing to do, as long
  // as the file is still there. The family directory is the user's own: when the file was
  // removed or replaced since, the stream would write into a file nobody reads.
  if (isOpen && untouched && PathNamesFile(path.c_str(), identity)) return 1;
  Close();
  if (path.size() <= kMaxPathLength) {
    // Closed again at once: some file systems write out a file that is closed after being
    // truncated and written to, which would slow down every given-name search.
    FileHandle created = OpenFile(path.c_str(), "wb+");
  }
  Reopen();
  // The stream of an emptied buffer is the one a given-name scan appends every match to: a large
  // buffer writes them out in few calls. The reopen before counting gives the page reads a
  // stream with the usual small buffer again.
  if (isOpen) std::setvbuf(file.get(), appendBuffer.get(), _IOFBF, kAppendBufferSize);
  untouched = isOpen;
  identity = isOpen ? IdentityOf(file.get()) : FileIdentity{};
  return isOpen ? 1 : 0;
}

int FilterBuffer::Reopen() {
  // Nothing was written since the file was emptied, so there is nothing a reopen would bring out.
  // (Emptying checked that the file is still there; a search empties the buffer just before.)
  if (isOpen && untouched) return 1;
  Close();
  if (path.size() <= kMaxPathLength) file = OpenFile(path.c_str(), "rb+");
  isOpen = file != nullptr;
  return isOpen ? 1 : 0;
}

void FilterBuffer::Close() {
  file.reset();
  atEnd = false;
  untouched = false;
  isOpen = false;
}

void FilterBuffer::CountRecords() {
  if (!Reopen()) {
    recordCount = 0;
    return;
  }
  const std::int64_t size = StreamSize(file.get());
  const std::int64_t count = size > 0 ? size / kFilterRecordSize : 0;
  recordCount = count > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(count);
  SeekTo(file.get(), 0);
}

std::int64_t FilterBuffer::Position() {
  if (!isOpen) return 0;
  const std::int64_t p = StreamPosition(file.get());
  return p < 0 ? 0 : p;
}

int FilterBuffer::ReadRecords(ResultRow* rows, std::int64_t offset, int n) {
  if (!isOpen) return -1;
  atEnd = false;
  untouched = false;
  if (n <= 0 || !SeekTo(file.get(), offset)) return 0;
  unsigned char bytes[kFilterRecordSize * 10];
  if (n > 10) n = 10;
  const std::size_t got = std::fread(bytes, 1, static_cast<std::size_t>(n) * kFilterRecordSize, file.get());
  const int whole = static_cast<int>(got / kFilterRecordSize);
  for (int i = 0; i < whole; ++i) {
    const unsigned char* r = bytes + i * kFilterRecordSize;
    rows[i].lineOffset = DecodeFixed32(r);
    std::memcpy(rows[i].nameText, r + 4, kRowNameSize);
    rows[i].nameText[kRowNameSize - 1] = '\0';
    std::memcpy(rows[i].summaryText, r + 4 + kRowNameSize, kRowSummarySize);
    rows[i].summaryText[kRowSummarySize - 1] = '\0';
  }
  return whole;
}

int FilterBuffer::Append(std::int32_t lineOffset, const char* name, const char* summary) {
  if (!isOpen) return -1;
  // Right after an append the stream already stands at the end. Seeking there again would write
  // out the stream buffer and ask the file's size once per record.
  untouched = false;
  if (!atEnd && std::fseek(file.get(), 0, SEEK_END) != 0) return 0;
  unsigned char record[kFilterRecordSize] = {};
  EncodeFixed32(record, lineOffset);
  if (name) std::memcpy(record + 4, name, strnlen(name, kRowNameSize - 1));
  if (summary) std::memcpy(record + 4 + kRowNameSize, summary, strnlen(summary, kRowSummarySize - 1));
  const int written = static_cast<int>(std::fwrite(record, kFilterRecordSize, 1, file.get()));
  atEnd = written == 1;
  return written;
}

int FilterBuffer::MoreBefore() {
  if (!isOpen) return 0;
  return static_cast<std::int64_t>(rowsPerPage) * kFilterRecordSize < Position() ? 1 : 0;
}

int FilterBuffer::MoreAfter() {
  if (!isOpen) return 0;
  return Position() < static_cast<std::int64_t>(recordCount) * kFilterRecordSize ? 1 : 0;
}

int FilterBuffer::FirstPage(ResultRow* rows) {
  filterPageOffset = 0;
  return ReadRecords(rows, filterPageOffset, rowsPerPage);
}

int FilterBuffer::PreviousPage(ResultRow* rows) {
  filterPageOffset -= static_cast<std::int64_t>(rowsPerPage) * kFilterRecordSize;
  if (filterPageOffset < 0) filterPageOffset = 0;
  return ReadRecords(rows, filterPageOffset, rowsPerPage);
}

int FilterBuffer::NextPage(ResultRow* rows) {
  filterPageOffset = Position();
  return ReadRecords(rows, filterPageOffset, rowsPerPage);
}
