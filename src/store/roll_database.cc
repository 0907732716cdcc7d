#include "store/roll_database.h"

#include <cstdio>
#include <cstring>

#include "platform/byte_order.h"
#include "platform/message_box.h"
#include "results/result_list.h"
#include "store/search_request.h"

namespace {

constexpr const char* kBaseNames[kMaxDatabaseNumber + 1] = {nullptr, "mroll"};

// The longest gap ahead that PositionLineFile reads past rather than seeks over: one default
// stream buffer, so reading costs at most the one read system call the seek would also cost.
constexpr std::int64_t kLineSkipLimit = 4096;

// Builds "%s%s%s" into a 256-byte buffer; false when it would not fit.
bool BuildName(char (&out)[kPathBufferSize], const char* a, const char* b, const char* c = "") {
  const int n = std::snprintf(out, sizeof out, "%s%s%s", a, b, c);
  return n > 0 && n < static_cast<int>(sizeof out);
}

}  // namespace

const char* DatabaseBaseName(int number) {
  if (number <= 0 || number > kMaxDatabaseNumber) return nullptr;
  return kBaseNames[number];
}

RollDatabase::RollDatabase(const DataLocation& loc) : location(loc) {}

RollDatabase::~RollDatabase() { Close(); }

int RollDatabase::Open(int n) {
  Close();
  const char* base = DatabaseBaseName(n);
  if (!base) return 0;
  number = n;

  char basePath[kPathBufferSize];
  char path[kPathBufferSize];
  if (!BuildName(basePath, location.dataDirectory, base) || !BuildName(path, basePath, ".ext") ||
      !(lineFile = OpenDataFile(path, "rb"))) {
    ShowMessageBox(kLineFileMessage, kMbOk);
    return 0;
  }
  std::setvbuf(lineFile.get(), lineStreamBuffer, _IOFBF, sizeof lineStreamBuffer);
  if (!BuildName(path, basePath, ".cor") || !(nameFile = OpenDataFile(path, "rb"))) {
    ShowMessageBox(kNameFileMessage, kMbOk);
    return 0;
  }
  std::setvbuf(nameFile.get(), nameStreamBuffer, _IOFBF, sizeof nameStreamBuffer);

  // The trailer must be there and name a slot that fits the 256-byte name buffer; a name file
  // that fails either test is as unusable as a missing one.
  nameFileSize = FileSize(nameFile.get());
  unsigned char trailer[kNameTrailerSize];
  std::int32_t length = -1;
  if (nameFileSize >= kNameTrailerSize &&
      ReadAt(nameFile.get(), nameFileSize - kNameTrailerSize, trailer, sizeof trailer) == kNameTrailerSize) {
    length = DecodeFixed32(trailer);
  }
  if (length < 0 || length > kMaxNameLength) {
    nameFile.reset();
    ShowMessageBox(kNameFileMessage, kMbOk);
    return 0;
  }

  if (!BuildName(path, basePath, ".tre")) {
    ShowMessageBox(kWrongFileFormat, kMbOk);
    return 0;
  }
  index = std::make_unique<RollIndex>(path);
  lineFileSize = FileSize(lineFile.get());
  nameLength = length;
  slotSize = length + 4;
  const std::int64_t slots = (nameFileSize - kNameTrailerSize) / slotSize;
  slotTotal = slots > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(slots);
  return 1;
}

void RollDatabase::Close() {
  namePosition = -1;
  linePosition = -1;
  slotTotal = 0;
  if (index) {
    index->Close();
    index.reset();
  }
  lineFile.reset();
  nameFile.reset();
}

std::int32_t RollDatabase::SlotCount() const { return nameFile ? slotTotal : 0; }

void RollDatabase::ReadSlot(std::int32_t slot) {
  lineOffset = -1;
  currentName[0] = '\0';
  if (slot < 0 || slot >= SlotCount()) return;
  unsigned char bytes[4 + kMaxNameLength];
  const std::size_t want = static_cast<std::size_t>(slotSize);
  const std::int64_t at = static_cast<std::int64_t>(slot) * slotSize;
  // The slot after the one read last needs no seek: paging and the given-name scan go in order.
  const bool positioned = at == namePosition || SeekTo(nameFile.get(), at);
  namePosition = -1;
  if (!positioned || std::fread(bytes, 1, want, nameFile.get()) != want) return;
  namePosition = at + slotSize;
  TakeSlot(bytes);
}

int RollDatabase::ReadSlotRun(std::int32_t first, std::int32_t end, unsigned char* out, std::size_t size) {
  if (first < 0 || slotSize <= 0) return 0;
  const std::int64_t last = end < SlotCount() ? end : SlotCount();
  const std::int64_t fit = static_cast<std::int64_t>(size / static_cast<std::size_t>(slotSize));
  const std::int64_t count = last - first < fit ? last - first : fit;
  if (count <= 0) return 0;
  const std::int64_t at = static_cast<std::int64_t>(first) * slotSize;
  const bool positioned = at == namePosition || SeekTo(nameFile.get(), at);
  namePosition = -1;
  if (!positioned) return 0;
  const std::size_t want = static_cast<std::size_t>(count * slotSize);
  const std::size_t got = std::fread(out, 1, want, nameFile.get());
  if (got == want) namePosition = at + static_cast<std::int64_t>(want);
  return static_cast<int>(got / static_cast<std::size_t>(slotSize));
}

void RollDatabase::TakeSlot(const unsigned char* slotBytes) {
  lineOffset = DecodeFixed32(slotBytes);
  std::memcpy(currentName, slotBytes + 4, static_cast<std::size_t>(nameLength));
  currentName[nameLength] = '\0';
}

void RollDatabase::ReadSummary(std::int32_t offset, char* out) {
  out[0] = '\0';
  std::FILE* f = lineFile.get();
  if (!f || !PositionLineFile(offset)) return;

  int n = 0;
  int fields = 0;
  for (;;) {
    const int c = std::fgetc(f);
    if (c == EOF) {
      linePosition = -1;
      break;
    }
    ++linePosition;
    out[n++] = static_cast<char>(c);
    if (c == kFieldSeparator) {
      --n;
      while (n > 0 && out[n - 1] == ' ') --n;
      if (n == 0) {
        // A separator first, or after nothing but spaces: the summary stays empty.
      } else if (static_cast<unsigned char>(out[n - 1]) == kFieldSeparator) {
        ++n;  // an empty or all-space field: keep the earlier separator and its space
      } else {
        out[n] = static_cast<char>(kFieldSeparator);
        out[n + 1] = ' ';
        n += 2;
        ++fields;
      }
    }
    if (c == kLineFeed) {
      out[n] = '\0';
      return;
    }
    if (fields >= 4 || n >= 30) break;
  }
  const int c = std::fgetc(f);
  if (c == EOF) {
    linePosition = -1;
  } else if (linePosition >= 0) {
    ++linePosition;
  }
  if (c == kLineFeed) {
    out[n] = '\0';
    return;
  }
  std::memcpy(out + n, "...", 4);
}

void RollDatabase::ReadLine(std::int32_t offset, char* out) {
  out[0] = '\0';
  std::FILE* f = lineFile.get();
  if (!f || offset < 0 || offset >= lineFileSize || !PositionLineFile(offset)) return;
  int n = 0;
  while (n < kLineBufferSize - 1) {
    const int c = std::fgetc(f);
    if (c == EOF) {
      linePosition = -1;
      break;
    }
    ++linePosition;
    out[n++] = static_cast<char>(c);
    if (c == kLineFeed) break;
  }
  out[n] = '\0';
}

bool RollDatabase::PositionLineFile(std::int64_t offset) {
  std::FILE* f = lineFile.get();
  const std::int64_t gap = offset - linePosition;
  if (linePosition >= 0 && gap >= 0 && gap <= kLineSkipLimit) {
    char skipped[kLineSkipLimit];
    if (std::fread(skipped, 1, static_cast<std::size_t>(gap), f) == static_cast<std::size_t>(gap)) {
      linePosition = offset;
      return true;
    }
    std::clearerr(f);  // the file ended inside the gap: let the seek decide, as without the skip
  }
  linePosition = -1;
  if (!SeekTo(f, offset)) return false;
  linePosition = offset;
  return true;
}

int RollDatabase::EnsureDataPresent() {
  if (location.MarkerFilePresent()) return 1;
  for (;;) {
    const int answer = location.PromptForDisk();
    if (answer == kIdOk) {
      if (location.MarkerFilePresent()) return 1;
    } else if (answer == kIdCancel) {
      return 0;
    } else {
      return 1;  // the box could not be shown: go on and let the reads fail quietly
    }
  }
}

void RollDatabase::NormaliseKey(char* key) {
  const std::size_t len = std::strlen(key);
  if (len <= 16) {
    std::memset(key + len, ' ', 22 - len);
    key[22] = '\0';
  }
  UpperCaseAscii(key);
}

void RollDatabase::RunSearch(SearchRequest& request) {
  resultList->Reset();
  if (!EnsureDataPresent()) return;
  if (!Open(request.number)) return;

  // The key field holds 23 characters; a longer surname cannot be in the index.
  const std::size_t length = strnlen(request.surname, sizeof request.surname);
  if (length >= static_cast<std::size_t>(kIndexKeySize)) return;
  char key[kIndexKeySize];
  std::memcpy(key, request.surname, length + 1);
  NormaliseKey(key);

  std::int32_t firstSlot = -1;
  std::int32_t slotCount = 0;
  index->Lookup(key, &firstSlot, &slotCount);
  if (firstSlot == -1) return;

  // An index entry may promise slots the name file does not have: keep the part that exists.
  const std::int64_t available = SlotCount();
  std::int64_t last = static_cast<std::int64_t>(firstSlot) + slotCount;
  if (firstSlot < 0 || firstSlot >= available) {
    firstSlot = 0;
    last = 0;
  } else if (last > available) {
    last = available;
  } else if (last < firstSlot) {
    last = firstSlot;  // a negative slot count: nothing to show, never a negative count
  }
  resultList->SetRange(firstSlot, static_cast<std::int32_t>(last - firstSlot));
  resultList->SetDisplaySurname(request.surname);
  if (request.hasGivenName == 1) {
    resultList->FilterByGivenName(request.givenName);
  } else {
    resultList->ShowRange();
  }
}
