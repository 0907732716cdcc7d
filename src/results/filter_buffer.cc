#include "results/filter_buffer.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "store/roll_format.h"

namespace {

constexpr std::size_t kMaxPathLength = kPathBufferSize - 1;
constexpr int kMaxPageRecords = 10;

bool IsRoot(const char* directory) { return directory[0] == kPathSeparator && directory[1] == '\0'; }

// Records written at once when the pending matches go to the file (1.2 MB): each write also
// costs the file system its own bookkeeping (the file's times, its journal), so fewer larger ones.
constexpr std::size_t kWriteChunkRecords = 4096;

}  // namespace

void MatchList::Add(std::int32_t lineOffset, std::string_view name) {
  offsets.push_back(lineOffset);
  names.append(name.data(), name.size());
  nameEnds.push_back(static_cast<std::uint32_t>(names.size()));
}

void MatchList::Reserve(std::size_t count) {
  if (count <= offsets.size()) return;
  const std::size_t perName = offsets.empty() ? 0 : names.size() / offsets.size() + 1;
  offsets.reserve(count);
  nameEnds.reserve(count);
  names.reserve(count * perName);
}

void MatchList::Assign(MatchList&& other) {
  if (offsets.capacity() < other.offsets.size() || names.capacity() < other.names.size()) {
    *this = std::move(other);
    return;
  }
  offsets.assign(other.offsets.begin(), other.offsets.end());
  nameEnds.assign(other.nameEnds.begin(), other.nameEnds.end());
  names.assign(other.names);
}

std::string_view MatchList::Name(std::size_t i) const {
  const std::size_t begin = i == 0 ? 0 : nameEnds[i - 1];
  return std::string_view(names).substr(begin, nameEnds[i] - begin);
}

void MatchList::Clear() {
  offsets.clear();
  nameEnds.clear();
  names.clear();
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
    : path(std::move(p)), appended(std::make_unique_for_overwrite<unsigned char[]>(kAppendBufferSize)) {
  Empty();
}

FilterBuffer::~FilterBuffer() { Close(); }

std::int64_t FilterBuffer::Acquire() {
  // Still the file at the path: keep it (and its lock). Removed or replaced since: the new one.
  // The one look at the path also tells the kept file's size; while the watch on the path is
  // quiet, only the size is asked (another writer may have filled the file). The watch is armed
  // before the look, so that a change after it ends the quiet.
  if (file.IsOpen() && !isPrivate && identity.known) {
    if (pathWatch.Quiet()) return file.Size();
    if (!watchRefused) watchRefused = !pathWatch.Arm({path}, PathWatch::Scope::kWhichFile);
    const FileIdentity now = IdentityOfPath(path);
    if (now.SameFile(identity)) return now.size;
  }
  pathWatch.Stop();
  watchRefused = false;
  if (file.IsOpen() && isPrivate && path.empty()) return -1;
  FinishCut();
  leftEmpty = false;
  file.Close();
  isPrivate = false;
  identity = {};
  if (!path.empty() && path.size() <= kMaxPathLength) {
    FileKind kind = FileKind::kMissing;
    const ScratchStatus status = file.Open(path, &kind);
    if (status == ScratchStatus::kOk) {
      identity = file.Identity();
      return -1;
    }
    // Told once for each new refusal, not at every search.
    const bool leftAlone = status == ScratchStatus::kNotRegular || status == ScratchStatus::kNotOwned ||
                           status == ScratchStatus::kOpenToOthers;
    if (leftAlone && kind != refused) {
      notice =
          path + " is " + DescribeRefusal(status, kind) + ", not a file of this program: it was left alone.";
    }
    refused = leftAlone ? kind : FileKind::kMissing;
  }
  // Another program holds the file, or it cannot be made: a file of this user's own instead.
  privateDirectory = AnonymousFileDirectory();
  if (file.OpenAnonymous(privateDirectory) == ScratchStatus::kOk) isPrivate = true;
  return -1;
}

int FilterBuffer::Empty(Cut when) {
  recordCount = 0;
  appendedSize = 0;
  pending.Clear();
  pendingRest = nullptr;
  writeFailed = false;
  position = 0;
  const std::int64_t known = Acquire();
  // Already empty (the usual case between two searches): nothing to change, and no truncation,
  // which the file system would journal all the same. A file another writer filled is still cut
  // back.
  if (file.IsOpen() && (known >= 0 ? known : file.Size()) != 0) cutPending = true;
  if (when == Cut::kNow) FinishCut();
  leftEmpty = IsOpen();
  return IsOpen() ? 1 : 0;
}

int FilterBuffer::EmptyAgain() {
  if (leftEmpty && recordCount == 0 && appendedSize == 0 && !HasPending()) {
    position = 0;
    return 1;
  }
  return Empty(Cut::kBeforeNextWrite);
}

bool FilterBuffer::FinishCut() {
  if (!cutPending) return true;
  cutPending = false;
  if (file.IsOpen() && file.Truncate()) return true;
  file.Close();
  return false;
}

bool FilterBuffer::Flush() {
  if (HasPending()) WritePending();
  if (appendedSize == 0) return !writeFailed;
  FinishCut();
  leftEmpty = false;
  const std::int64_t end = file.Size();
  if (end < 0 || !file.WriteAt(end, appended.get(), appendedSize)) writeFailed = true;
  appendedSize = 0;
  return !writeFailed;
}

int FilterBuffer::AppendPending(MatchList&& matches) {
  const auto count = static_cast<std::int64_t>(matches.Size());
  return AppendPending(std::move(matches), count, {});
}

int FilterBuffer::AppendPending(MatchList&& matches, std::int64_t promised, MatchSource rest) {
  pendingRest = nullptr;
  if (!IsOpen()) return 0;
  Flush();
  // After the last whole record (a partial one at the end, which no count includes, is written over).
  const std::int64_t size = leftEmpty ? 0 : file.Size();
  pendingBase = size > 0 ? size / kFilterRecordSize : 0;
  pending.Assign(std::move(matches));
  pendingPromised = std::max(promised, static_cast<std::int64_t>(pending.Size()));
  if (pendingPromised > static_cast<std::int64_t>(pending.Size())) pendingRest = std::move(rest);
  const std::int64_t count = pendingBase + pendingPromised;
  recordCount = count > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(count);
  position = 0;
  return 1;
}

bool FilterBuffer::TakeRest() {
  if (!pendingRest) return true;
  const MatchSource rest = std::move(pendingRest);
  pendingRest = nullptr;
  pending.Reserve(static_cast<std::size_t>(pendingPromised));
  return rest(&pending) && static_cast<std::int64_t>(pending.Size()) == pendingPromised;
}

bool FilterBuffer::WritePending() {
  if (!HasPending()) return true;
  const bool complete = TakeRest();
  FinishCut();
  leftEmpty = false;
  if (!encoded)
    encoded = std::make_unique_for_overwrite<unsigned char[]>(kWriteChunkRecords * kFilterRecordSize);
  bool whole = true;
  for (std::size_t first = 0; whole && first < pending.Size(); first += kWriteChunkRecords) {
    const std::size_t n = std::min(kWriteChunkRecords, pending.Size() - first);
    for (std::size_t i = 0; i < n; ++i) {
      EncodeMatchRecord(encoded.get() + i * kFilterRecordSize, pending.LineOffset(first + i),
                        pending.Name(first + i));
    }
    whole = file.WriteAt((pendingBase + static_cast<std::int64_t>(first)) * kFilterRecordSize, encoded.get(),
                         n * kFilterRecordSize);
  }
  pending.Clear();
  if (!whole) writeFailed = true;
  if (!whole || !complete) {
    const std::int64_t size = file.Size();
    const std::int64_t count = size > 0 ? size / kFilterRecordSize : 0;
    recordCount = count > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(count);
  }
  return whole && complete;
}

int FilterBuffer::Reopen() {
  if (!IsOpen()) Acquire();
  if (IsOpen()) Flush();
  return IsOpen() ? 1 : 0;
}

void FilterBuffer::Close() {
  if (IsOpen()) Flush();
  FinishCut();
  leftEmpty = false;
  file.Close();
  pathWatch.Stop();
  isPrivate = false;
}

void FilterBuffer::CountRecords() {
  if (!Reopen()) {
    recordCount = 0;
    return;
  }
  const std::int64_t size = leftEmpty ? 0 : file.Size();
  const std::int64_t count = size > 0 ? size / kFilterRecordSize : 0;
  recordCount = count > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(count);
  position = 0;
}

int FilterBuffer::ReadRecords(ResultRow* rows, std::int64_t offset, int n) {
  if (!IsOpen()) return -1;
  if (n <= 0 || offset < 0) return 0;
  if (n > kMaxPageRecords) n = kMaxPageRecords;
  // A page among the matches still in memory: read from there, as the file will hold them.
  const std::int64_t first = offset / kFilterRecordSize - pendingBase;
  // A page past the records read so far: the rest are read first (the count already has them).
  if (pendingRest && first + n > static_cast<std::int64_t>(pending.Size()) && !TakeRest()) {
    const std::int64_t count = pendingBase + static_cast<std::int64_t>(pending.Size());
    recordCount = count > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(count);
  }
  if (HasPending() && offset % kFilterRecordSize == 0 && first >= 0 && appendedSize == 0) {
    const std::int64_t available = static_cast<std::int64_t>(pending.Size()) - first;
    const int whole = static_cast<int>(std::min<std::int64_t>(n, available > 0 ? available : 0));
    for (int i = 0; i < whole; ++i) {
      unsigned char record[kFilterRecordSize];
      const std::size_t at = static_cast<std::size_t>(first + i);
      EncodeMatchRecord(record, pending.LineOffset(at), pending.Name(at));
      DecodeFilterRecord(record, &rows[i].lineOffset, rows[i].nameText, rows[i].summaryText);
    }
    position = offset + static_cast<std::int64_t>(whole) * kFilterRecordSize;
    return whole;
  }
  Flush();
  if (leftEmpty) {  // nothing to read: the page of an empty file
    position = offset;
    return 0;
  }
  unsigned char bytes[kFilterRecordSize * kMaxPageRecords];
  const std::int64_t got = file.ReadAt(offset, bytes, static_cast<std::size_t>(n) * kFilterRecordSize);
  position = offset + (got > 0 ? got : 0);
  const int whole = got > 0 ? static_cast<int>(got / kFilterRecordSize) : 0;
  for (int i = 0; i < whole; ++i) {
    DecodeFilterRecord(bytes + i * kFilterRecordSize, &rows[i].lineOffset, rows[i].nameText,
                       rows[i].summaryText);
  }
  return whole;
}

int FilterBuffer::Append(std::int32_t lineOffset, const char* name, const char* summary) {
  if (!IsOpen()) return -1;
  if (HasPending()) WritePending();
  if (appendedSize + kFilterRecordSize > kAppendBufferSize && !Flush()) return 0;
  EncodeFilterRecord(appended.get() + appendedSize, lineOffset, name, summary);
  appendedSize += kFilterRecordSize;
  return 1;
}

int FilterBuffer::MoreBefore() const {
  if (!IsOpen()) return 0;
  return static_cast<std::int64_t>(rowsPerPage) * kFilterRecordSize < position ? 1 : 0;
}

int FilterBuffer::MoreAfter() const {
  if (!IsOpen()) return 0;
  return position < static_cast<std::int64_t>(recordCount) * kFilterRecordSize ? 1 : 0;
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
  filterPageOffset = position;
  return ReadRecords(rows, filterPageOffset, rowsPerPage);
}

std::string FilterBuffer::Place() const {
  return isPrivate ? "a private file without a name in " + privateDirectory : path;
}

std::string FilterBuffer::TakeNotice() { return std::exchange(notice, std::string()); }

int FilterBuffer::PageAt(ResultRow* rows, std::int64_t record) {
  filterPageOffset = record * kFilterRecordSize;
  return ReadRecords(rows, filterPageOffset, rowsPerPage);
}
