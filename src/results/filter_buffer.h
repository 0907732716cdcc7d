// The filter buffer file, "history.buf": the matches of a given-name search as 300-byte records
// (store/roll_format.h), paged forwards and back.
//
// The file belongs to one program at a time: it is opened without following a symbolic link, only
// as a regular file of this user's that nobody else may write, and locked. When it cannot be had
// (another program holds it, the directory cannot be written, something that is not a regular
// file stands in its place, another user's file or one others may write), the buffer keeps
// its records in a private file of this user's that has no name, and goes on working; Notice()
// then says why, when the user should know.
//
// Failures are quiet here (the caller decides what the user sees): when no file can be had at
// all, Empty and Reopen return 0, Append and the page reads -1, counts stay 0.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/path_watch.h"
#include "platform/scratch_file.h"
#include "results/result_row.h"

inline constexpr int kAppendBufferSize = 64 * 1024;

// The file the filter buffer of a program with this family directory uses: the directory's
// history.buf; with no family directory ("" or the root directory, which is nobody's), the
// per-user state directory's. "" for a null directory: the buffer is then private from the start.
std::string FilterBufferPath(const char* familyDirectory);

// Matches kept in memory: their line offsets and name texts, compactly. Clear keeps the memory,
// so a list used again for each search grows only past its largest.
class MatchList {
 public:
  void Add(std::int32_t lineOffset, std::string_view name);
  // Room for `count` matches in all, their names about as long as those held now.
  void Reserve(std::size_t count);
  // Replaces what the list holds with `other`'s matches, keeping this list's memory when it is
  // large enough.
  void Assign(MatchList&& other);
  std::size_t Size() const { return offsets.size(); }
  std::int32_t LineOffset(std::size_t i) const { return offsets[i]; }
  std::string_view Name(std::size_t i) const;
  void Clear();

 private:
  std::vector<std::int32_t> offsets;
  std::vector<std::uint32_t> nameEnds;
  std::string names;
};

class FilterBuffer {
 public:
  // `path` is the file's full path ("" for a private buffer). A path longer than 255 characters is
  // never opened. Empties the file at once.
  explicit FilterBuffer(std::string path);
  ~FilterBuffer();
  FilterBuffer(const FilterBuffer&) = delete;
  FilterBuffer& operator=(const FilterBuffer&) = delete;

  // When Empty cuts the file on disk.
  enum class Cut {
    kNow,
    // Before anything is next written to the file, at FinishCut or at Close, whichever comes
    // first. Until then the file still holds the bytes it had, which nothing reads: the buffer
    // counts and pages it as empty. Cutting a file of many records keeps the file system busy
    // for a while (about 0.75 ms for 70,000), which a search need not wait for before its first
    // page is on screen.
    kBeforeNextWrite,
  };
  // Cuts the file to length 0 (always, on disk) and makes it ready for appends.
  int Empty(Cut when = Cut::kNow);
  // The second emptying of one command (the list shown right after the search that emptied it):
  // when nothing was appended or written since the last Empty, the buffer is as that left it and
  // the file is not looked for again at its path (a file put there in between is taken at the
  // next Empty); otherwise Empty(kBeforeNextWrite).
  int EmptyAgain();
  // Makes a cut that Empty left for later; false when the file could not be cut (it is then
  // closed, as Empty would have left it).
  bool FinishCut();
  // Writes out what was appended; the file stays open.
  int Reopen();
  void Close();
  void CountRecords();
  // Reads up to `n` records from byte `offset` into `rows`; the number of whole records read, or
  // -1 when the file is not open.
  int ReadRecords(ResultRow* rows, std::int64_t offset, int n);
  // Appends one record; 1 taken, 0 the write failed, -1 the file is not open.
  int Append(std::int32_t lineOffset, const char* name, const char* summary);
  // Appends the records of `matches` (no summaries) and counts them in: the pages that lie among
  // them are read from memory until WritePending writes them to the file, which everything that
  // needs the file (another page, a count, Empty, Close) does first. So a search can show its
  // first page before its matches are on disk; the file ends with the same records. Returns 0
  // when the file is not open (the matches are dropped), else 1.
  int AppendPending(MatchList&& matches);
  // Appends the records of `matches` and then of `promised` - matches.Size() more that `rest`
  // appends to its list when first needed (a page among them, the writes): so a search's first
  // page need not wait for its other matches to be read. Counted in as promised; when `rest` gives
  // fewer (false), the records written are the count and WritePending says the list is short.
  using MatchSource = std::function<bool(MatchList* matches)>;
  int AppendPending(MatchList&& matches, std::int64_t promised, MatchSource rest);
  bool HasPending() const { return pending.Size() > 0 || static_cast<bool>(pendingRest); }
  // Writes the pending records; false when not all of them reached the file (the count is then
  // what the file holds).
  bool WritePending();
  std::int32_t RecordCount() const { return recordCount; }
  int MoreBefore() const;
  int MoreAfter() const;
  int FirstPage(ResultRow* rows);
  int PreviousPage(ResultRow* rows);
  int NextPage(ResultRow* rows);
  // The page that starts at record `record` (as the page turns would reach it).
  int PageAt(ResultRow* rows, std::int64_t record);

  // Page size in records (8 or 10), handed over by the result list.
  void SetRowsPerPage(int n) { rowsPerPage = n; }
  // The file the buffer is meant to use.
  const std::string& Path() const { return path; }
  bool IsOpen() const { return file.IsOpen(); }
  // Whether the records are in the private file instead of Path().
  bool IsPrivate() const { return isPrivate; }
  // Where the records are, for a message: Path(), or "a private file without a name in /tmp/".
  std::string Place() const;
  // Why Path() is not used, when the user should be told (a symbolic link or something else in
  // its place, another user's file); "" otherwise. Cleared by TakeNotice.
  std::string TakeNotice();

 private:
  // Opens the file at Path() (or, failing that, a private one) unless the one open still is it.
  // Returns the kept file's size as the check of its path saw it, or -1 when that is not known.
  std::int64_t Acquire();
  bool Flush();

  ScratchFile file;
  std::string path;
  bool isPrivate = false;
  std::string privateDirectory;  // where the private file was made
  FileIdentity identity;         // of the file at Path() while it is the one open
  // The kernel's watch on Path() while it names the open file: which file it names, not its
  // bytes, so that this buffer's own writes leave it quiet. Refused: the path is looked at
  // every time (a file system the kernel does not hear every change of, another platform).
  PathWatch pathWatch;
  bool watchRefused = false;
  std::string notice;
  FileKind refused = FileKind::kMissing;      // what stood at Path() when it was last refused
  std::unique_ptr<unsigned char[]> appended;  // appended records not yet written
  std::unique_ptr<unsigned char[]> encoded;   // pending records on their way to the file
  std::size_t appendedSize = 0;
  // Has `pendingRest` append the records it promised; false when it gave fewer.
  bool TakeRest();

  MatchList pending;                 // records kept in memory, to go at record pendingBase
  MatchSource pendingRest;           // the records after them, not read yet
  std::int64_t pendingPromised = 0;  // how many records pending will hold with the rest
  std::int64_t pendingBase = 0;
  bool writeFailed = false;
  // The file is as Empty left it (length 0, nothing written since, the same file): its size and
  // its empty pages need no question to the file system. Another writer's bytes in the meantime
  // are not ours to count, and the next Empty cuts them.
  bool leftEmpty = false;
  bool cutPending = false;    // the file holds bytes that Empty said are gone
  std::int64_t position = 0;  // where the last page read ended
  std::int32_t recordCount = 0;
  std::int64_t filterPageOffset = 0;
  int rowsPerPage = 10;
};
