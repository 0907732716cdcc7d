// An open roll database: the name file of fixed slots, the line file and the surname index of one
// database number, plus the disk check that guards every read and the search run.
//
// Ownership: the database owns its three files and its RollIndex; it does not own the ResultList
// it fills (set once with SetResultList). Reads never go outside the files: a slot, line or node
// that is not there reads as empty (offset -1, empty text), never as stale bytes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/file_system.h"
#include "platform/read_cursor.h"
#include "results/find_result.h"
#include "store/data_location.h"
#include "store/key_catalogue.h"
#include "store/roll_format.h"
#include "store/roll_index.h"

class ResultList;
class SearchRequest;

inline constexpr const char* kLineFileMessage = "ext";
inline constexpr const char* kNameFileMessage = "cor";

class RollDatabase {
 public:
  explicit RollDatabase(const DataLocation& location);
  ~RollDatabase();
  RollDatabase(const RollDatabase&) = delete;
  RollDatabase& operator=(const RollDatabase&) = delete;

  void SetResultList(ResultList* list) { resultList = list; }

  // Opens the file set of `number` (1 = opened, 0 = not). Refused silently for a number without
  // a base name; "ext" or "cor" when the line or name file cannot be opened or is not a regular
  // file; "cor" too when the name file is shorter than its trailer or its trailer L lies outside
  // 0..255; 0 when the index is there but cannot be read (the index has told the user).
  //
  // The set of the same number that is already open is kept when each of its three paths still
  // names the same file, with the same size and times (one question to the file system per path):
  // a disk swapped, a file replaced, rewritten, cut or removed since is noticed, and the set is
  // opened afresh, exactly as if it had been closed.
  int Open(int number);
  void Close();

  // Slot `slot` into the current slot (LineOffset, CurrentName); a slot outside the name file
  // gives -1 and "".
  void ReadSlot(std::int32_t slot);
  // Reads the slots from `first` on in one read, as many whole ones as `size` bytes of `out` hold
  // and lie before both `end` and the end of the name file; returns how many (0 when none could
  // be read). TakeSlot then makes each of them current as ReadSlot would have: a scan over many
  // slots reads them a buffer at a time rather than a slot per call.
  int ReadSlotRun(std::int32_t first, std::int32_t end, unsigned char* out, std::size_t size);
  void TakeSlot(const unsigned char* slotBytes);
  // The one-line summary of the entry at `lineOffset` into `out` (at least 35 bytes).
  void ReadSummary(std::int32_t lineOffset, char* out);
  // The entry's whole line, its LF included, NUL-terminated, into `out` (kLineBufferSize bytes);
  // cut at 4,999 bytes. An offset outside the line file gives "".
  void ReadLine(std::int32_t lineOffset, char* out);

  // The number of whole slots in the open name file (0 when none is open).
  std::int32_t SlotCount() const;

  // 1 when the data disk is present, after prompting as often as the user asks; 0 on Cancel.
  int EnsureDataPresent();

  // Rewrites `key` (a buffer of at least 24 bytes holding at most 23 characters) into index form.
  static void NormaliseKey(char* key);
  // Runs one search; the outcome is visible only through the result list.
  void RunSearch(SearchRequest& request);
  // Runs a search that finds surnames in another way than by their exact key, or narrows the
  // entries by a filter (results/find_result.h): the exact mode without a filter is RunSearch.
  // The request's surname is matched with options.mode (a typed `*` or `?` switching wildcards
  // on), its given name (when it has one) narrows as in RunSearch, and the filter keeps the
  // entries whose fields pass. The result (found mode of the result list) lists the keys' slots,
  // the typed surname's own key first. A long search calls `progress` (may be empty) now and
  // then; when it returns false the search stops and the result list keeps what it had.
  FindOutcome RunFind(SearchRequest& request, const FindOptions& options, const FindProgress& progress);
  // Every surname of the open roll, walked from its index when first asked for and kept for as
  // long as the file set stays open; null when none is open.
  const KeyCatalogue* Catalogue();

  // The slot read last by ReadSlot or made current by TakeSlot.
  std::int32_t LineOffset() const { return lineOffset; }
  const char* CurrentName() const { return currentName; }
  // The open database's geometry and number; kept after Close.
  std::int32_t SlotSize() const { return slotSize; }
  std::int32_t NameLength() const { return nameLength; }
  std::int32_t Number() const { return number; }
  // The index of the open database, or null.
  RollIndex* Index() const { return index.get(); }
  // Whether a file set is open (the last Open succeeded and nothing closed it since).
  bool IsOpen() const { return index != nullptr && nameFile.IsOpen() && lineFile.IsOpen(); }
  const DataLocation& Location() const { return location; }

 private:
  const DataLocation& location;
  std::unique_ptr<RollIndex> index;
  ReadOnlyFile lineFile;
  ReadOnlyFile nameFile;
  ResultList* resultList = nullptr;
  std::int32_t lineOffset = -1;
  char currentName[kCurrentNameSize] = {};
  std::int32_t slotSize = 0;
  std::int32_t nameLength = 0;
  std::int32_t number = -1;

  // Reads go through these: paging and the given-name scan go forwards, so the next slot or line
  // is mostly in the buffer already.
  ReadCursor nameCursor;
  ReadCursor lineCursor;
  std::int32_t slotTotal = 0;  // whole slots in the name file

  // What the open set was opened from, to tell at the next Open whether it is still that.
  struct OpenedFile {
    std::string path;
    FileIdentity identity;
  };
  bool StillTheOpenedFiles() const;
  OpenedFile opened[3];
  std::unique_ptr<KeyCatalogue> catalogue;
};
