// An open roll database: the name file of fixed slots, the line file and the surname index of one
// database number, the disk check that guards every read, and the searches, which answer with a
// value (store/search_answer.h) that the result list pages: the database never holds or fills a
// list of results, never shows anything and never ends the process. What goes wrong comes back as
// a RollStatus; the one question an operation asks on its way (the disk prompt) goes to the
// RollDialogue its front end passed in.
//
// Ownership: the database owns its three files, its RollIndex and its key catalogue. Reads never
// go outside the files: a slot, line or node that is not there reads as empty (offset -1, empty
// text), never as stale bytes.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "platform/path_watch.h"
#include "platform/read_cursor.h"
#include "store/data_location.h"
#include "store/given_name.h"
#include "store/key_catalogue.h"
#include "store/name_order.h"
#include "store/roll_dialogue.h"
#include "store/roll_format.h"
#include "store/roll_index.h"
#include "store/roll_status.h"
#include "store/search_answer.h"

class CompanionReader;
class KeyRunTable;
class SlotGroupColumn;
class SearchRequest;

class RollDatabase {
 public:
  // `dialogue` answers the disk prompt; both must outlive the database.
  RollDatabase(const DataLocation& location, RollDialogue& dialogue);
  ~RollDatabase();
  RollDatabase(const RollDatabase&) = delete;
  RollDatabase& operator=(const RollDatabase&) = delete;

  // What opening does with a missing index file (store/roll_index.h): made, as the program has
  // always done, unless set to kRefuse (a tool that changes no file of a roll).
  void SetMissingIndex(MissingIndex missing) { missingIndex = missing; }

  // Opens the file set of `number` (1 = opened, 0 = not, *why saying why): kNoDatabase for a
  // number without a base name; kLineFile or kNameFile when the line or name file cannot be
  // opened or is not a regular file, kNameFile too when the name file is shorter than its trailer
  // or its trailer L lies outside 0..255; the index's own status when it cannot be used.
  //
  // The set of the same number that is already open is kept when each of its three paths still
  // names the same file, with the same size and times (one question to the file system per path):
  // a disk swapped, a file replaced, rewritten, cut or removed since is noticed, and the set is
  // opened afresh, exactly as if it had been closed.
  int Open(int number, RollStatus* why = nullptr);
  void Close();

  // How a reader goes through the roll's files. kOnwards: mostly what stands next to its last read
  // (a page, a surname's entries), so a read that misses the buffer fills it whole. kScattered:
  // rows that may lie anywhere in the roll (a roster's), so a read far from the last asks for
  // about one slot or line instead of a whole buffer of bytes that belong to other rows.
  enum class ReadPattern { kOnwards, kScattered };

  // Slot `slot` into the current slot (LineOffset, CurrentName); a slot outside the name file
  // gives -1 and "".
  void ReadSlot(std::int32_t slot, ReadPattern pattern = ReadPattern::kOnwards);
  // Reads the slots from `first` on in one read of the file, as many whole ones as `size` bytes of `out` hold
  // and lie before both `end` and the end of the name file; returns how many (0 when none could
  // be read). TakeSlot then makes each of them current as ReadSlot would have: a scan over many
  // slots reads them a buffer at a time rather than a slot per call.
  int ReadSlotRun(std::int32_t first, std::int32_t end, unsigned char* out, std::size_t size);
  void TakeSlot(const unsigned char* slotBytes);
  // The one-line summary of the entry at `lineOffset` into `out` (at least 35 bytes).
  void ReadSummary(std::int32_t lineOffset, char* out);
  // The entry's whole line, its LF included, NUL-terminated, into `out` (kLineBufferSize bytes);
  // cut at 4,999 bytes. An offset outside the line file gives "".
  void ReadLine(std::int32_t lineOffset, char* out, ReadPattern pattern = ReadPattern::kOnwards);

  // The number of whole slots in the open name file (0 when none is open).
  std::int32_t SlotCount() const;

  // 1 when the data disk is present, after prompting (through the dialogue) as often as the user
  // asks; 0 on Cancel, *why then saying what is wrong with the marker (kNoDisk).
  int EnsureDataPresent(RollStatus* why = nullptr);

  // Rewrites `key` (a buffer of at least 24 bytes holding at most 23 characters) into index form.
  static void NormaliseKey(char* key);
  // Runs the plain search: the disk check, the file set opened, the surname's key looked up; its
  // run of slots (cut to the name file) is the answer, narrowed by the request's given name when
  // it has one. An answer without rows says why in its status when something went wrong (a miss
  // is no error).
  // With `givenVariants`, the given name's abbreviations and nicknames match too (given_name.h).
  SearchAnswer RunSearch(const SearchRequest& request, bool givenVariants = false);
  // Runs any search: the request's surname matched with options.mode (a typed `*` or `?`
  // switching wildcards on), its given name (when it has one) narrowing as in RunSearch, and the
  // filter keeping the entries whose fields pass (options.givenVariants widening the given name);
  // the exact mode without a filter is RunSearch.
  // The answer lists the keys' slots, the typed surname's own key first. A long search calls
  // `progress` (may be empty) now and then; when that returns false the search stops with
  // kStopped and no rows. The keys come from the catalogue, whose slot runs are sound whatever
  // the index says, so an answer never lists more rows than the name file has slots.
  SearchAnswer RunFind(const SearchRequest& request, const FindOptions& options,
                       const FindProgress& progress);
  // Runs a unit's roster (store/unit_roster.h): the disk check, the file set of request.number
  // opened, then the entries of the unit and side (and company) in roster order. From the roll's
  // companion when one for the files as they are now is in the companion directory; else from one
  // scan of the roll, which calls `progress` now and then and stops with kStopped and no rows when
  // it returns false. Both ways give the same answer: a companion that cannot be read is left for
  // the scan. A request RosterRequestProblem refuses gets an answer without rows.
  // Memory: 12 bytes an entry of the roster while it is ordered, then the answer (4 bytes an entry
  // and a span per company and surname), and the names of the largest company's largest surname.
  SearchAnswer RunRoster(const RosterRequest& request, const FindProgress& progress);
  // Where the companions of rolls are kept ("": none is used, the default), ending in the separator
  // (store/companion_cache.h).
  void SetCompanionDirectory(std::string directory);
  // The companion of the open file set, opened when first asked for after each Open; null when
  // there is none, it is refused, or a question found it damaged.
  CompanionReader* Companion();
  // The keys of that companion with their runs (store/key_run_table.h), read when first asked for
  // and shared with the answers made from them; null without a companion or when they cannot be
  // read whole.
  std::shared_ptr<const KeyRunTable> CompanionKeys();
  // Every slot's group in that companion (store/slot_group_column.h), the same way.
  std::shared_ptr<const SlotGroupColumn> CompanionSlotGroups();
  // Every surname of the open roll, walked from its index when first asked for and kept for as
  // long as the file set stays open; null when none is open.
  const KeyCatalogue* Catalogue();

  // The one given-name scan: calls `take(slot, bytes)` for each slot of [first, end) whose name
  // matches `names` (every slot, for null), in slot order, with the slot's bytes as
  // stored, and `step(slots)` after each run of slots read, with how many it held; either may end
  // the scan by returning false. A run an earlier scan found in name order is only looked at
  // where the set's names can stand; a run scanned whole has its order checked and kept. So is a
  // run whose key `key` (as the index stores it; may be empty) the roll's companion says is in
  // name order: its windows are found from the names the companion keeps of it, or, for a short
  // run, by bisecting its names, read a slot at a time. A slot that cannot be read ends the scan
  // there: no row is ever made of a name not read.
  enum class ScanEnd { kWhole, kReadFailed, kStopped };
  using SlotVisit = std::function<bool(std::int32_t slot, const unsigned char* bytes)>;
  using ScanStep = std::function<bool(std::int64_t slots)>;
  ScanEnd ScanGivenName(const GivenNameSet* names, std::int32_t first, std::int32_t end,
                        const SlotVisit& take, const ScanStep& step = {}, std::string_view key = {});

  // What the given-name scans found out about the order of the names in the surnames' runs of
  // the open file set (store/name_order.h); forgotten whenever the set is opened afresh.
  NameOrders& NameOrderVerdicts() { return nameOrders; }

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
  // Counts the file sets opened afresh: an answer made from one generation reads the same slots
  // only while the database is still at it.
  std::uint64_t Generation() const { return generation; }

 private:
  // Makes sure the roll `number` is present and open for a search over many keys, and tells
  // `answer` where it comes from and whether the index is damaged. The key catalogue, or null
  // with the reason set in `answer`.
  const KeyCatalogue* OpenForManyKeys(int number, SearchAnswer* answer);
  // The same without the catalogue: false, with the reason set in `answer`, when it is not open.
  bool OpenForAnswer(int number, SearchAnswer* answer);

  ScanEnd ScanRun(const GivenNameSet* names, std::int32_t first, std::int32_t end, const SlotVisit& take,
                  const ScanStep& step, NameOrderCheck* check);
  // Scans only the windows of [first, end) where one of the set's prefixes can match, each found
  // by `window(prefix, &from, &to)`; windows that meet are scanned as one, so no slot is taken twice.
  template <typename Window>
  ScanEnd ScanWindows(const GivenNameSet& names, std::int32_t first, std::int32_t end, const SlotVisit& take,
                      const ScanStep& step, Window&& window);
  // The order of the run [first, end) of key `key` (as the index stores it; may be empty) as far
  // as it is known: from a whole scan of it, or from the companion, whose verdict and kept names
  // are then remembered as a scan's are. Null when the run is not known to be in name order.
  const OrderedNames* KnownOrder(std::string_view key, std::int32_t first, std::int32_t end);
  // The window of the ordered run [first, end) outside which `prefix` matches no name, found by
  // bisecting the names, one slot read per step, within the step between two of `ordered`'s kept
  // names when it has them; for a plain prefix, it matches every name inside. False, the window
  // widened to the run, when a slot could not be read.
  bool BisectWindow(const GivenNamePrefix& prefix, std::int32_t first, std::int32_t end,
                    const OrderedNames& ordered, std::int32_t* from, std::int32_t* to);
  // When the names `names` matches in key `key`'s run [first, end) are exactly those of one window
  // of it (one plain prefix, the run known to be in name order from a whole scan or the
  // companion): true with the window in *from, *to.
  bool ExactWindow(const GivenNameSet& names, std::string_view key, std::int32_t first, std::int32_t end,
                   std::int32_t* from, std::int32_t* to);

  const DataLocation& location;
  RollDialogue& dialogue;
  MissingIndex missingIndex = MissingIndex::kCreate;
  std::uint64_t generation = 0;
  std::unique_ptr<RollIndex> index;
  ReadOnlyFile lineFile;
  ReadOnlyFile nameFile;
  std::int32_t lineOffset = -1;
  char currentName[kCurrentNameSize] = {};
  std::int32_t slotSize = 0;
  std::int32_t nameLength = 0;
  std::int32_t number = -1;

  // The buffers of the two data files: a page of slots, or a page of lines of one surname, which
  // stand next to each other, in one read.
  static constexpr std::size_t kReadBufferSize = 4096;
  // What a scattered read of a line asks for first: most lines of a roll fit, and one that does
  // not goes on in a whole buffer. A read of 512 bytes costs about two thirds of a 4 KB one.
  static constexpr std::size_t kScatteredLineSize = 512;
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
  // Whether the open set is still what its paths name, unchanged: asked of the kernel's watch on
  // them when it is armed, else by looking at each path (and then arming it for the next time).
  bool StillTheOpenedFiles();
  OpenedFile opened[3];
  PathWatch openedWatch;
  bool watchRefused = false;  // the open set's paths cannot be watched: look at them every time
  std::unique_ptr<KeyCatalogue> catalogue;
  NameOrders nameOrders;
  std::string companionDirectory;
  std::unique_ptr<CompanionReader> companion;
  std::uint64_t companionGeneration = 0;  // the generation the companion was looked for at (0: not yet)
  std::shared_ptr<const KeyRunTable> companionKeys;
  bool companionKeysTried = false;
  std::shared_ptr<const SlotGroupColumn> companionGroups;
  bool companionGroupsTried = false;
  std::unique_ptr<unsigned char[]> scanBuffer;  // the given-name scan's slots, a run at a time
};
