#include "results/filter_buffer.h"

#include <cstring>
#include <utility>

#include "store/roll_format.h"

namespace {

constexpr std::size_t kMaxPathLength = kPathBufferSize - 1;
constexpr int kMaxPageRecords = 10;

bool IsRoot(const char* directory) {
  return directory[0] == kPathSeparator && directory[1] == '\0';
}

}  // namespace

std::string FilterBufferPath(const char* familyDirectory) {
  if (!familyDirectory) return {};
  if (familyDirectory[0] == '\0' || IsRoot(familyDirectory)) {
    const std::string state = PerUserStateDirectory();
    return state.empty() ? std::string() : state + kFilterBufferFileName;
  }
  return std::string(familyDirectory) + kFilterBufferFileName;
}

FilterBuffer::FilterBuffer(std::string p)
    : path_(std::move(p)), pending_(std::make_unique_for_overwrite<unsigned char[]>(kAppendBufferSize)) {
  Empty();
}

FilterBuffer::~FilterBuffer() { Close(); }

void FilterBuffer::Acquire() {
  // Still the file at the path: keep it (and its lock). Removed or replaced since: the new one.
  if (file_.IsOpen() && !private_ && PathNamesFile(path_, identity_)) return;
  if (file_.IsOpen() && private_ && path_.empty()) return;
  file_.Close();
  private_ = false;
  identity_ = {};
  if (!path_.empty() && path_.size() <= kMaxPathLength) {
    FileKind kind = FileKind::kMissing;
    const ScratchStatus status = file_.Open(path_, &kind);
    if (status == ScratchStatus::kOk) {
      identity_ = file_.Identity();
      return;
    }
    // Told once for each new refusal, not at every search.
    if (status == ScratchStatus::kNotRegular && kind != refused_) {
      notice_ = path_ + " is " + DescribeFileKind(kind) + ", not a file of this program: it was left alone.";
    }
    refused_ = status == ScratchStatus::kNotRegular ? kind : FileKind::kMissing;
  }
  // Another program holds the file, or it cannot be made: a file of this user's own instead.
  if (file_.OpenAnonymous(AnonymousFileDirectory()) == ScratchStatus::kOk) private_ = true;
}

int FilterBuffer::Empty() {
  recordCount_ = 0;
  pendingSize_ = 0;
  writeFailed_ = false;
  position_ = 0;
  Acquire();
  if (file_.IsOpen() && !file_.Truncate()) file_.Close();
  return IsOpen() ? 1 : 0;
}

bool FilterBuffer::Flush() {
  if (pendingSize_ == 0) return !writeFailed_;
  const std::int64_t end = file_.Size();
  if (end < 0 || !file_.WriteAt(end, pending_.get(), pendingSize_)) writeFailed_ = true;
  pendingSize_ = 0;
  return !writeFailed_;
}

int FilterBuffer::Reopen() {
  if (!IsOpen()) Acquire();
  if (IsOpen()) Flush();
  return IsOpen() ? 1 : 0;
}

void FilterBuffer::Close() {
  if (IsOpen()) Flush();
  file_.Close();
  private_ = false;
}

void FilterBuffer::CountRecords() {
  if (!Reopen()) {
    recordCount_ = 0;
    return;
  }
  const std::int64_t size = file_.Size();
  const std::int64_t count = size > 0 ? size / kFilterRecordSize : 0;
  recordCount_ = count > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(count);
  position_ = 0;
}

int FilterBuffer::ReadRecords(ResultRow* rows, std::int64_t offset, int n) {
  if (!IsOpen()) return -1;
  Flush();
  if (n <= 0 || offset < 0) return 0;
  if (n > kMaxPageRecords) n = kMaxPageRecords;
  unsigned char bytes[kFilterRecordSize * kMaxPageRecords];
  const std::int64_t got = file_.ReadAt(offset, bytes, static_cast<std::size_t>(n) * kFilterRecordSize);
  position_ = offset + (got > 0 ? got : 0);
  const int whole = got > 0 ? static_cast<int>(got / kFilterRecordSize) : 0;
  for (int i = 0; i < whole; ++i) {
    DecodeFilterRecord(bytes + i * kFilterRecordSize, &rows[i].lineOffset, rows[i].nameText, rows[i].summaryText);
  }
  return whole;
}

int FilterBuffer::Append(std::int32_t lineOffset, const char* name, const char* summary) {
  if (!IsOpen()) return -1;
  if (pendingSize_ + kFilterRecordSize > kAppendBufferSize && !Flush()) return 0;
  EncodeFilterRecord(pending_.get() + pendingSize_, lineOffset, name, summary);
  pendingSize_ += kFilterRecordSize;
  return 1;
}

int FilterBuffer::MoreBefore() const {
  if (!IsOpen()) return 0;
  return static_cast<std::int64_t>(rowsPerPage_) * kFilterRecordSize < position_ ? 1 : 0;
}

int FilterBuffer::MoreAfter() const {
  if (!IsOpen()) return 0;
  return position_ < static_cast<std::int64_t>(recordCount_) * kFilterRecordSize ? 1 : 0;
}

int FilterBuffer::FirstPage(ResultRow* rows) {
  filterPageOffset_ = 0;
  return ReadRecords(rows, filterPageOffset_, rowsPerPage_);
}

int FilterBuffer::PreviousPage(ResultRow* rows) {
  filterPageOffset_ -= static_cast<std::int64_t>(rowsPerPage_) * kFilterRecordSize;
  if (filterPageOffset_ < 0) filterPageOffset_ = 0;
  return ReadRecords(rows, filterPageOffset_, rowsPerPage_);
}

int FilterBuffer::NextPage(ResultRow* rows) {
  filterPageOffset_ = position_;
  return ReadRecords(rows, filterPageOffset_, rowsPerPage_);
}

std::string FilterBuffer::TakeNotice() { return std::exchange(notice_, std::string()); }
