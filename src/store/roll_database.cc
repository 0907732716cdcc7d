#include "store/roll_database.h"

#include <cstdio>
#include <cstring>

#include "platform/message_box.h"
#include "results/result_list.h"
#include "store/search_request.h"

namespace {

// The buffers of the two data files: a page of slots, or a page of lines of one surname, which
// stand next to each other, in one read.
constexpr std::size_t kReadBufferSize = 4096;

// Builds "%s%s%s" into a 256-byte buffer; false when it would not fit.
bool BuildName(char (&out)[kPathBufferSize], const char* a, const char* b, const char* c = "") {
  const int n = std::snprintf(out, sizeof out, "%s%s%s", a, b, c);
  return n > 0 && n < static_cast<int>(sizeof out);
}

}  // namespace

RollDatabase::RollDatabase(const DataLocation& loc)
    : location_(loc), nameCursor_(kReadBufferSize), lineCursor_(kReadBufferSize) {}

RollDatabase::~RollDatabase() { Close(); }

bool RollDatabase::StillTheOpenedFiles() const {
  for (const OpenedFile& file : opened_) {
    if (!IdentityOfPath(file.path).Unchanged(file.identity)) return false;
  }
  return true;
}

int RollDatabase::Open(int n) {
  if (n == number_ && IsOpen() && StillTheOpenedFiles()) return 1;
  Close();
  const char* base = DatabaseBaseName(n);
  if (!base) return 0;
  number_ = n;

  char basePath[kPathBufferSize];
  char path[kPathBufferSize];
  if (!BuildName(basePath, location_.dataDirectory, base) || !BuildName(path, basePath, kLineFileExtension) ||
      lineFile_.Open(opened_[0].path = ResolveDataFile(path)) != OpenStatus::kOk) {
    ShowMessageBox(kLineFileMessage, kMbOk);
    return 0;
  }
  if (!BuildName(path, basePath, kNameFileExtension) ||
      nameFile_.Open(opened_[1].path = ResolveDataFile(path)) != OpenStatus::kOk) {
    ShowMessageBox(kNameFileMessage, kMbOk);
    return 0;
  }

  // The trailer must be there and name a slot that fits the 256-byte name buffer; a name file
  // that fails either test is as unusable as a missing one.
  const std::int64_t nameFileSize = nameFile_.Size();
  unsigned char trailer[kNameTrailerSize];
  std::int32_t length = -1;
  if (nameFileSize >= kNameTrailerSize &&
      nameFile_.ReadAt(nameFileSize - kNameTrailerSize, trailer, sizeof trailer) == kNameTrailerSize) {
    length = DecodeTrailer(trailer);
  }
  if (!NameLengthUsable(length)) {
    nameFile_.Close();
    ShowMessageBox(kNameFileMessage, kMbOk);
    return 0;
  }

  if (!BuildName(path, basePath, kIndexFileExtension)) {
    ShowMessageBox(kWrongFileFormat, kMbOk);
    return 0;
  }
  index_ = std::make_unique<RollIndex>(path);
  if (!index_->Usable()) return 0;
  opened_[0].identity = lineFile_.Identity();
  opened_[1].identity = nameFile_.Identity();
  opened_[2] = {index_->Path(), IdentityOfPath(index_->Path())};
  nameLength_ = length;
  slotSize_ = length + kSlotHeaderSize;
  const std::int64_t slots = (nameFileSize - kNameTrailerSize) / slotSize_;
  slotTotal_ = slots > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(slots);
  nameCursor_.Attach(&nameFile_);
  lineCursor_.Attach(&lineFile_);
  return 1;
}

void RollDatabase::Close() {
  nameCursor_.Attach(nullptr);
  lineCursor_.Attach(nullptr);
  slotTotal_ = 0;
  if (index_) {
    index_->Close();
    index_.reset();
  }
  lineFile_.Close();
  nameFile_.Close();
}

std::int32_t RollDatabase::SlotCount() const { return nameFile_.IsOpen() ? slotTotal_ : 0; }

void RollDatabase::ReadSlot(std::int32_t slot) {
  lineOffset_ = -1;
  currentName_[0] = '\0';
  if (slot < 0 || slot >= SlotCount()) return;
  unsigned char bytes[kSlotHeaderSize + kMaxNameLength];
  const std::size_t want = static_cast<std::size_t>(slotSize_);
  if (nameCursor_.Read(static_cast<std::int64_t>(slot) * slotSize_, bytes, want) != want) return;
  TakeSlot(bytes);
}

int RollDatabase::ReadSlotRun(std::int32_t first, std::int32_t end, unsigned char* out, std::size_t size) {
  if (first < 0 || slotSize_ <= 0) return 0;
  const std::int64_t last = end < SlotCount() ? end : SlotCount();
  const std::int64_t fit = static_cast<std::int64_t>(size / static_cast<std::size_t>(slotSize_));
  const std::int64_t count = last - first < fit ? last - first : fit;
  if (count <= 0) return 0;
  const std::size_t got = nameCursor_.Read(static_cast<std::int64_t>(first) * slotSize_, out,
                                           static_cast<std::size_t>(count * slotSize_));
  return static_cast<int>(got / static_cast<std::size_t>(slotSize_));
}

void RollDatabase::TakeSlot(const unsigned char* slotBytes) {
  const SlotValue slot = DecodeSlot(slotBytes, nameLength_);
  lineOffset_ = slot.lineOffset;
  std::memcpy(currentName_, slot.name.data(), slot.name.size());
  currentName_[slot.name.size()] = '\0';
}

void RollDatabase::ReadSummary(std::int32_t offset, char* out) {
  out[0] = '\0';
  if (!lineFile_.IsOpen() || offset < 0) return;
  SummaryBuilder summary(out);
  std::int64_t at = offset;
  for (;;) {
    const int c = lineCursor_.ByteAt(at++);
    if (c < 0) return summary.EndOfFile();
    if (!summary.Feed(static_cast<unsigned char>(c))) break;
  }
  if (!summary.Done()) summary.Finish(lineCursor_.ByteAt(at));
}

void RollDatabase::ReadLine(std::int32_t offset, char* out) {
  out[0] = '\0';
  if (!lineFile_.IsOpen() || offset < 0 || offset >= lineFile_.Size()) return;
  int n = 0;
  std::int64_t at = offset;
  while (n < kLongestLine) {
    const int c = lineCursor_.ByteAt(at++);
    if (c < 0) break;
    out[n++] = static_cast<char>(c);
    if (c == kLineFeed) break;
  }
  out[n] = '\0';
}

int RollDatabase::EnsureDataPresent() {
  if (location_.MarkerFilePresent()) return 1;
  for (;;) {
    const int answer = location_.PromptForDisk();
    if (answer == kIdOk) {
      if (location_.MarkerFilePresent()) return 1;
    } else if (answer == kIdCancel) {
      return 0;
    } else {
      return 1;  // the box could not be shown: go on and let the reads fail quietly
    }
  }
}

void RollDatabase::NormaliseKey(char* key) { ::NormaliseKey(key); }

void RollDatabase::RunSearch(SearchRequest& request) {
  resultList_->Reset();
  if (!EnsureDataPresent()) return;
  if (!Open(request.number)) return;

  // The key field holds 23 characters; a longer surname cannot be in the index.
  const std::size_t length = strnlen(request.surname, sizeof request.surname);
  if (length > static_cast<std::size_t>(kMaxKeyLength)) return;
  char key[kIndexKeySize];
  std::memcpy(key, request.surname, length + 1);
  NormaliseKey(key);

  std::int32_t firstSlot = -1;
  std::int32_t slotCount = 0;
  index_->Lookup(key, &firstSlot, &slotCount);
  if (firstSlot == -1) return;

  // An index entry may promise slots the name file does not have: keep the part that exists, so
  // that no read goes past it. A negative count stays what it is: an empty range whose count
  // line says "No records found.".
  const std::int64_t available = SlotCount();
  std::int64_t last = static_cast<std::int64_t>(firstSlot) + slotCount;
  if (firstSlot < 0 || firstSlot >= available) {
    firstSlot = 0;
    last = 0;
  } else if (last > available) {
    last = available;
  }
  resultList_->SetRange(firstSlot, static_cast<std::int32_t>(last - firstSlot));
  resultList_->SetDisplaySurname(request.surname);
  if (request.hasGivenName == 1) {
    resultList_->FilterByGivenName(request.givenName);
  } else {
    resultList_->ShowRange();
  }
}
