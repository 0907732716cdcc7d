#include "results/filter_buffer.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "store/roll_format.h"

namespace {

constexpr std::size_t kMaxPathLength = kPathBufferSize - 1;
constexpr int kMaxPageRecords = 10;

bool IsRoot(const char* directory) {
  return directory[0] == kPathSeparator && directory[1] == '\0';
}

// Records written at once when the pending matches go to the file.
constexpr std::size_t kWriteChunkRecords = 4096;

}  // namespace

void MatchList::Add(std::int32_t lineOffset, std::string_view name) {
  offsets_.push_back(lineOffset);
  names_.append(name.data(), name.size());
  nameEnds_.push_back(static_cast<std::uint32_t>(names_.size()));
}

std::string_view MatchList::Name(std::size_t i) const {
  const std::size_t begin = i == 0 ? 0 : nameEnds_[i - 1];
  return std::string_view(names_).substr(begin, nameEnds_[i] - begin);
}

void MatchList::Clear() {
  offsets_.clear();
  nameEnds_.clear();
  names_.clear();
}

std::string FilterBufferPath(const char* familyDirectory) {
  if (!familyDirectory) return {};
  if (familyDirectory[0] == '\0' || IsRoot(familyDirectory)) {
    const std::string state = PerUserStateDirectory();
    return state.empty() ? std::string() : state + kFilterBufferFileName;
  }
  return std::string(familyDirectory) + kFilterBufferFileName;
}

FilterBuffer::FilterBuffer(std::string p)
    : path_(std::move(p)), appended_(std::make_unique_for_overwrite<unsigned char[]>(kAppendBufferSize)) {
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
  appendedSize_ = 0;
  pending_.Clear();
  writeFailed_ = false;
  position_ = 0;
  Acquire();
  if (file_.IsOpen() && !file_.Truncate()) file_.Close();
  return IsOpen() ? 1 : 0;
}

bool FilterBuffer::Flush() {
  if (HasPending()) WritePending();
  if (appendedSize_ == 0) return !writeFailed_;
  const std::int64_t end = file_.Size();
  if (end < 0 || !file_.WriteAt(end, appended_.get(), appendedSize_)) writeFailed_ = true;
  appendedSize_ = 0;
  return !writeFailed_;
}

int FilterBuffer::AppendPending(MatchList&& matches) {
  if (!IsOpen()) return 0;
  Flush();
  // After the last whole record (a partial one at the end, which no count includes, is written over).
  const std::int64_t size = file_.Size();
  pendingBase_ = size > 0 ? size / kFilterRecordSize : 0;
  pending_ = std::move(matches);
  const std::int64_t count = pendingBase_ + static_cast<std::int64_t>(pending_.Size());
  recordCount_ = count > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(count);
  position_ = 0;
  return 1;
}

bool FilterBuffer::WritePending() {
  if (!HasPending()) return true;
  MatchList matches = std::move(pending_);
  pending_.Clear();
  std::vector<unsigned char> chunk(kWriteChunkRecords * kFilterRecordSize);
  bool whole = true;
  for (std::size_t first = 0; whole && first < matches.Size(); first += kWriteChunkRecords) {
    const std::size_t n = std::min(kWriteChunkRecords, matches.Size() - first);
    for (std::size_t i = 0; i < n; ++i) {
      const std::string_view name = matches.Name(first + i);
      char text[kRowNameSize];
      const std::size_t length = std::min<std::size_t>(name.size(), kRowNameSize - 1);
      std::memcpy(text, name.data(), length);
      text[length] = '\0';
      EncodeFilterRecord(chunk.data() + i * kFilterRecordSize, matches.LineOffset(first + i), text, nullptr);
    }
    whole = file_.WriteAt((pendingBase_ + static_cast<std::int64_t>(first)) * kFilterRecordSize, chunk.data(),
                          n * kFilterRecordSize);
  }
  if (!whole) {
    writeFailed_ = true;
    const std::int64_t size = file_.Size();
    const std::int64_t count = size > 0 ? size / kFilterRecordSize : 0;
    recordCount_ = count > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(count);
  }
  return whole;
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
  if (n <= 0 || offset < 0) return 0;
  if (n > kMaxPageRecords) n = kMaxPageRecords;
  // A page among the matches still in memory: read from there, as the file will hold them.
  const std::int64_t first = offset / kFilterRecordSize - pendingBase_;
  if (HasPending() && offset % kFilterRecordSize == 0 && first >= 0 && appendedSize_ == 0) {
    const std::int64_t available = static_cast<std::int64_t>(pending_.Size()) - first;
    const int whole = static_cast<int>(std::min<std::int64_t>(n, available > 0 ? available : 0));
    for (int i = 0; i < whole; ++i) {
      unsigned char record[kFilterRecordSize];
      const std::size_t at = static_cast<std::size_t>(first + i);
      const std::string_view name = pending_.Name(at);
      char text[kRowNameSize];
      const std::size_t length = std::min<std::size_t>(name.size(), kRowNameSize - 1);
      std::memcpy(text, name.data(), length);
      text[length] = '\0';
      EncodeFilterRecord(record, pending_.LineOffset(at), text, nullptr);
      DecodeFilterRecord(record, &rows[i].lineOffset, rows[i].nameText, rows[i].summaryText);
    }
    position_ = offset + static_cast<std::int64_t>(whole) * kFilterRecordSize;
    return whole;
  }
  Flush();
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
  if (HasPending()) WritePending();
  if (appendedSize_ + kFilterRecordSize > kAppendBufferSize && !Flush()) return 0;
  EncodeFilterRecord(appended_.get() + appendedSize_, lineOffset, name, summary);
  appendedSize_ += kFilterRecordSize;
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
