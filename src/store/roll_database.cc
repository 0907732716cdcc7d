#include "store/roll_database.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/data_file.h"
#include "platform/message_box.h"
#include "store/companion_reader.h"
#include "store/search_request.h"

namespace {

// Builds "%s%s%s" into a 256-byte buffer; false when it would not fit.
bool BuildName(char (&out)[kPathBufferSize], const char* a, const char* b, const char* c = "") {
  const int n = std::snprintf(out, sizeof out, "%s%s%s", a, b, c);
  return n > 0 && n < static_cast<int>(sizeof out);
}

}  // namespace

RollDatabase::RollDatabase(const DataLocation& loc, RollDialogue& asker)
    : location(loc), dialogue(asker), nameCursor(kReadBufferSize), lineCursor(kReadBufferSize) {}

RollDatabase::~RollDatabase() { Close(); }

bool RollDatabase::StillTheOpenedFiles() {
  if (openedWatch.Quiet()) return true;
  if (!watchRefused) {
    // Armed before the look, so that a change after it is reported at the next search.
    std::vector<std::string> sources;
    for (const OpenedFile& file : opened) {
      for (std::string& source : DataFileSources(file.path, file.identity))
        sources.push_back(std::move(source));
    }
    watchRefused = !openedWatch.Arm(sources, PathWatch::Scope::kFiles);
  }
  for (const OpenedFile& file : opened) {
    if (!DataFileUnchanged(file.path, file.identity)) return false;
  }
  return true;
}

int RollDatabase::Open(int n, RollStatus* why) {
  RollStatus ignored;
  RollStatus& status = why ? *why : ignored;
  status = {};
  if (n == number && IsOpen() && StillTheOpenedFiles()) return 1;
  Close();
  const char* base = DatabaseBaseName(n);
  if (!base) {
    status = {RollProblem::kNoDatabase, "", "database " + std::to_string(n) + " has no files"};
    return 0;
  }
  number = n;

  char basePath[kPathBufferSize];
  char path[kPathBufferSize];
  const bool named = BuildName(basePath, location.dataDirectory, base);
  if (!named || !BuildName(path, basePath, kLineFileExtension)) {
    status = {RollProblem::kLineFile, location.dataDirectory, "path too long"};
    return 0;
  }
  status = OpenRollFileAs(opened[0].path = ResolveDataFile(path), RollProblem::kLineFile, &lineFile);
  if (!status.Ok()) return 0;
  BuildName(path, basePath, kNameFileExtension);  // as long as the line file's name
  status = OpenRollFileAs(opened[1].path = ResolveDataFile(path), RollProblem::kNameFile, &nameFile);
  if (!status.Ok()) return 0;

  // The trailer must be there and name a slot that fits the 256-byte name buffer; a name file
  // that fails either test is as unusable as a missing one.
  const std::int64_t nameFileSize = nameFile.Size();
  unsigned char trailer[kNameTrailerSize];
  if (nameFileSize < kNameTrailerSize ||
      nameFile.ReadAt(nameFileSize - kNameTrailerSize, trailer, sizeof trailer) != kNameTrailerSize) {
    status = {RollProblem::kNameFile, opened[1].path, "too short for its trailer"};
  } else if (const std::int32_t length = DecodeTrailer(trailer); !NameLengthUsable(length)) {
    status = {RollProblem::kNameFile, opened[1].path,
              "name length " + std::to_string(length) + " in its trailer is outside 0..255"};
  }
  if (!status.Ok()) {
    Close();
    return 0;
  }
  const std::int32_t length = DecodeTrailer(trailer);

  BuildName(path, basePath, kIndexFileExtension);
  index = std::make_unique<RollIndex>(path, missingIndex);
  if (!index->Usable()) {
    status = index->Status();
    Close();
    return 0;
  }
  opened[0].identity = lineFile.Identity();
  opened[1].identity = nameFile.Identity();
  opened[2] = {index->Path(),
               index->File().IsOpen() ? index->File().Identity() : IdentityOfPath(index->Path())};
  nameLength = length;
  slotSize = length + kSlotHeaderSize;
  const std::int64_t slots = (nameFileSize - kNameTrailerSize) / slotSize;
  slotTotal = slots > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(slots);
  nameCursor.Attach(&nameFile);
  lineCursor.Attach(&lineFile);
  ++generation;
  return 1;
}

void RollDatabase::Close() {
  openedWatch.Stop();
  watchRefused = false;
  catalogue.reset();
  companion.reset();
  companionKeys.reset();
  companionGroups.reset();
  companionGeneration = 0;
  nameOrders.Clear();
  nameCursor.Attach(nullptr);
  lineCursor.Attach(nullptr);
  slotTotal = 0;
  if (index) {
    index->Close();
    index.reset();
  }
  lineFile.Close();
  nameFile.Close();
}

std::int32_t RollDatabase::SlotCount() const { return nameFile.IsOpen() ? slotTotal : 0; }

void RollDatabase::ReadSlot(std::int32_t slot, ReadPattern pattern) {
  lineOffset = -1;
  currentName[0] = '\0';
  if (slot < 0 || slot >= SlotCount()) return;
  unsigned char bytes[kSlotHeaderSize + kMaxNameLength];
  const std::size_t want = static_cast<std::size_t>(slotSize);
  if (pattern == ReadPattern::kScattered)
    nameCursor.Approach(static_cast<std::int64_t>(slot) * slotSize, want);
  if (nameCursor.Read(static_cast<std::int64_t>(slot) * slotSize, bytes, want) != want) return;
  TakeSlot(bytes);
}

int RollDatabase::ReadSlotRun(std::int32_t first, std::int32_t end, unsigned char* out, std::size_t size) {
  if (first < 0 || slotSize <= 0) return 0;
  const std::int64_t last = end < SlotCount() ? end : SlotCount();
  const std::int64_t fit = static_cast<std::int64_t>(size / static_cast<std::size_t>(slotSize));
  const std::int64_t count = last - first < fit ? last - first : fit;
  if (count <= 0) return 0;
  // Straight from the file, never from the read-ahead buffer: a run is read as the file now is,
  // and a short one (a page of ten) costs its own bytes, not the buffer's.
  const std::int64_t got = nameFile.ReadAt(static_cast<std::int64_t>(first) * slotSize, out,
                                           static_cast<std::size_t>(count * slotSize));
  return got > 0 ? static_cast<int>(got / slotSize) : 0;
}

void RollDatabase::TakeSlot(const unsigned char* slotBytes) {
  const SlotValue slot = DecodeSlot(slotBytes, nameLength);
  lineOffset = slot.lineOffset;
  std::memcpy(currentName, slot.name.data(), slot.name.size());
  currentName[slot.name.size()] = '\0';
}

void RollDatabase::ReadSummary(std::int32_t offset, char* out) {
  out[0] = '\0';
  if (!lineFile.IsOpen() || offset < 0) return;
  SummaryBuilder summary(out);
  std::int64_t at = offset;
  for (;;) {
    const int c = lineCursor.ByteAt(at++);
    if (c < 0) return summary.EndOfFile();
    if (!summary.Feed(static_cast<unsigned char>(c))) break;
  }
  if (!summary.Done()) summary.Finish(lineCursor.ByteAt(at));
}

void RollDatabase::ReadLine(std::int32_t offset, char* out, ReadPattern pattern) {
  out[0] = '\0';
  if (!lineFile.IsOpen() || offset < 0 || offset >= lineFile.Size()) return;
  if (pattern == ReadPattern::kScattered) lineCursor.Approach(offset, kScatteredLineSize);
  std::size_t n = 0;
  std::int64_t at = offset;
  while (n < static_cast<std::size_t>(kLongestLine)) {
    std::string_view held = lineCursor.Held(at);
    if (held.empty()) {
      if (lineCursor.ByteAt(at) < 0) break;  // refills the buffer from `at`
      held = lineCursor.Held(at);
    }
    const std::size_t room = std::min(held.size(), static_cast<std::size_t>(kLongestLine) - n);
    const void* feed = std::memchr(held.data(), kLineFeed, room);
    const std::size_t take =
        feed ? static_cast<std::size_t>(static_cast<const char*>(feed) - held.data()) + 1 : room;
    std::memcpy(out + n, held.data(), take);
    n += take;
    at += static_cast<std::int64_t>(take);
    if (feed) break;
  }
  out[n] = '\0';
}

int RollDatabase::EnsureDataPresent(RollStatus* why) {
  if (why) *why = {};
  if (location.MarkerFilePresent()) return 1;
  for (;;) {
    const int answer = dialogue.AskForDisk();
    if (answer == kIdOk) {
      if (location.MarkerFilePresent()) return 1;
    } else if (answer == kIdCancel) {
      if (why) *why = location.MarkerStatus();
      return 0;
    } else {
      return 1;  // the prompt could not be shown: go on and let the reads fail quietly
    }
  }
}

void RollDatabase::NormaliseKey(char* key) { ::NormaliseKey(key); }

SearchAnswer RollDatabase::RunSearch(const SearchRequest& request, bool givenVariants) {
  FindOptions options;
  options.givenVariants = givenVariants;
  SearchAnswer answer(request, options, MatchMode::kExact, request.hasGivenName == 1);
  RollStatus status;
  if (!EnsureDataPresent(&status) || !Open(request.number, &status)) {
    answer.SetStatus(std::move(status));
    return answer;
  }
  answer.SetSource(number, generation);

  // The key field holds 23 characters; a longer surname cannot be in the index.
  const std::size_t length = strnlen(request.surname, sizeof request.surname);
  if (length > static_cast<std::size_t>(kMaxKeyLength)) return answer;
  char key[kIndexKeySize];
  std::memcpy(key, request.surname, length + 1);
  NormaliseKey(key);

  std::int32_t firstSlot = -1;
  std::int32_t slotCount = 0;
  index->Lookup(key, &firstSlot, &slotCount);
  if (firstSlot == -1) return answer;

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
  const std::int32_t count = static_cast<std::int32_t>(last - firstSlot);
  answer.AddSpan(firstSlot, count, -1, key, SurnameOfKey(key).size());
  if (request.hasGivenName == 1) {
    const GivenNameSet names(request.givenName, nameLength, givenVariants);
    // A run known to be in name order holds a plain prefix's names in one window: nothing to scan.
    std::int32_t windowFirst = 0;
    std::int32_t windowEnd = 0;
    if (ExactWindow(names, key, firstSlot, firstSlot + count, &windowFirst, &windowEnd)) {
      answer.AddWindow(windowFirst, windowEnd - windowFirst);
      return answer;
    }
    const std::size_t from = answer.Picked().size();
    ScanGivenName(
        &names, firstSlot, firstSlot + (count > 0 ? count : 0),
        [&](std::int32_t slot, const unsigned char*) {
          answer.Picked().push_back(static_cast<std::uint32_t>(slot));
          return true;
        },
        {}, key);
    answer.TakePicked(from);
  }
  // The span stays even without a match: the surname was found (the list then pages the empty
  // filter buffer, as it always has).
  return answer;
}
