// The on-disk formats of a roll database, drawn once, and the one codec that reads and writes
// them. The engine, the writer, rollkit, the benchmarks and the tests all decode and encode roll
// bytes through these functions; nothing else knows an offset inside a slot, a node or a record.
//
// Name file  (mroll.cor): slots of L + 4 bytes from offset 0, then a 4-byte trailer holding L.
//   slot s at s * (L + 4):  int32 line offset | L bytes of name text, NUL-terminated within L
// Line file  (mroll.ext): one line per entry: fields each followed by 0xFF, then LF.
// Index file (mroll.tre):
//   0: int32 rootOffset (-1: no key)   4: int32 secondHeaderWord (-1 when created)
//   8..: nodes of 152 bytes at the offsets the header and the nodes name
//   last byte: 0x04
//   node:  0 int32 entryCount (1..4) | 4 four entries of 32 bytes | 132 five int32 children (-1: none)
//   entry: 0 int32 firstSlot | 4 int32 slotCount | 8 key, 24 bytes, NUL-terminated
// Marker     (mrdb.id): present or not; its content is never read.
// Filter buffer (history.buf): records of 300 bytes, no header:
//   0 int32 lineOffset | 4 name text, 255 bytes | 259 summary text, 41 bytes
// All integers are 32-bit two's-complement little-endian; offsets are absolute.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/byte_order.h"

// --- File names ---

inline constexpr const char* kRollBaseName = "mroll";
inline constexpr const char* kNameFileExtension = ".cor";
inline constexpr const char* kLineFileExtension = ".ext";
inline constexpr const char* kIndexFileExtension = ".tre";
inline constexpr const char* kNameFileName = "mroll.cor";
inline constexpr const char* kLineFileName = "mroll.ext";
inline constexpr const char* kIndexFileName = "mroll.tre";
inline constexpr const char* kMarkerFileName = "mrdb.id";
inline constexpr const char* kFilterBufferFileName = "history.buf";
inline constexpr const char* kHelpFileName = "kinloom7m.hlp";

inline constexpr int kMaxDatabaseNumber = 32;
// Base name of the files of database `number`, or null when it has none (only 1 has: "mroll").
const char* DatabaseBaseName(int number);

inline constexpr int kPathBufferSize = 256;  // file names are built in 256-byte buffers
inline constexpr int kMaxPath = 260;

// --- Keys ---

inline constexpr int kIndexKeySize = 24;       // key text and its NUL
inline constexpr int kMaxKeyLength = kIndexKeySize - 1;
inline constexpr int kPaddedKeyLength = 22;    // a short surname is padded with spaces to this
inline constexpr int kLongestPaddedSurname = 16;

// The letters a-z upper-cased; every other byte, those above 0x7F included, kept.
inline char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
void UpperCaseAscii(char* text);
void UpperCaseAscii(std::string* text);

// Rewrites `key` (a buffer of at least 24 bytes holding at most 23 characters) into index form:
// padded with spaces to 22 characters when it has at most 16, then upper-cased.
void NormaliseKey(char* key);
// The index key of a surname, or "" when it would exceed 23 characters.
std::string KeyOf(std::string_view surname);
// The surname a key was made from: the key without the padding that normalising added (only a
// 22-character key whose text is at most 16 characters was padded).
std::string_view SurnameOfKey(std::string_view key);

// --- Name file ---

inline constexpr int kNameTrailerSize = 4;
inline constexpr int kSlotHeaderSize = 4;        // the line offset before the name text
inline constexpr int kMaxNameLength = 255;       // L; name text plus its NUL fit in L
inline constexpr int kCurrentNameSize = kMaxNameLength + 1;

// Whether a trailer's L can be used: 0..255, so that a slot's name fits the 256-byte buffer.
inline bool NameLengthUsable(std::int32_t nameLength) { return nameLength >= 0 && nameLength <= kMaxNameLength; }
std::int32_t DecodeTrailer(const unsigned char* bytes);
void EncodeTrailer(unsigned char* bytes, std::int32_t nameLength);

struct SlotValue {
  std::int32_t lineOffset = -1;
  std::string_view name;  // the name text up to its NUL, at most L bytes (into the slot's bytes)
};
// Decodes the L + 4 bytes of one slot.
SlotValue DecodeSlot(const unsigned char* bytes, std::int32_t nameLength);
// The line offset of one slot, its name left unread (DecodeSlot's lineOffset).
inline std::int32_t SlotLineOffset(const unsigned char* bytes) { return DecodeFixed32(bytes); }
// Encodes one slot into L + 4 bytes: the name is cut to L - 1 bytes and NUL-filled after.
void EncodeSlot(unsigned char* bytes, std::int32_t nameLength, std::int32_t lineOffset, std::string_view name);

// --- Line file ---

inline constexpr unsigned char kFieldSeparator = 0xFF;
inline constexpr unsigned char kLineFeed = 0x0A;
inline constexpr int kLineBufferSize = 5000;     // a whole line, its LF and a NUL
inline constexpr int kLongestLine = kLineBufferSize - 1;
inline constexpr int kSummaryBufferSize = 35;    // at most 31 bytes, "..." and a NUL

// The fields a filter and a roster read, by their place in the line (0 = the first).
inline constexpr int kLineCompanyField = 1;
inline constexpr int kLineUnitField = 2;
inline constexpr int kLineSideField = 9;

// The fields of an entry line: split at each 0xFF, up to the LF (or the end). A last field
// without its 0xFF counts; nothing after the last 0xFF does.
std::vector<std::string_view> SplitFields(std::string_view line);
// Field `field` of an entry line as SplitFields gives it, without splitting the rest: "" when the
// line (up to its LF) ends before it. For a scan that rejects most lines on one early field.
std::string_view LineField(std::string_view line, int field);
// A line's bytes with its fields: each field followed by 0xFF, then LF.
std::string JoinFields(const std::vector<std::string_view>& fields);
// Whether a text may stand in a line field: no 0xFF and no LF.
bool FieldTextStorable(std::string_view text);

// The one-line summary of an entry, built from the bytes of its line as they are read: the first
// four non-empty fields, each followed by 0xFF and a space, cut at about 30 bytes and then ended
// by "..." unless the line ends right there. Feed the line's bytes from its first one until Feed
// returns false, then call Finish with the byte after (or -1 at the end of the file) when the
// last Feed asked for it.
class SummaryBuilder {
 public:
  explicit SummaryBuilder(char* summary) : out(summary) { out[0] = '\0'; }
  // Takes the next byte of the line; false when the summary needs no more bytes. After a false,
  // Done() tells whether the summary is complete (the line ended) or Finish needs the next byte.
  bool Feed(unsigned char c);
  bool Done() const { return done; }
  // The byte after the cut (-1: the file ended). Ends the summary.
  void Finish(int next);
  // The file ended while feeding: ends the summary as a cut one.
  void EndOfFile() { Finish(-1); }

 private:
  char* out;
  int length = 0;
  int fields = 0;
  bool done = false;
};

// --- Index file ---

inline constexpr int kIndexHeaderSize = 8;
inline constexpr int kIndexEntrySize = 4 + 4 + kIndexKeySize;
inline constexpr int kMaxNodeEntries = 4;
inline constexpr int kIndexNodeSize = 4 + kMaxNodeEntries * kIndexEntrySize + (kMaxNodeEntries + 1) * 4;
inline constexpr unsigned char kIndexEndByte = 0x04;
static_assert(kIndexEntrySize == 32);
static_assert(kIndexNodeSize == 152);

struct IndexHeader {
  std::int32_t rootOffset = -1;
  std::int32_t secondHeaderWord = -1;
  static IndexHeader Decode(const unsigned char* bytes);
  void Encode(unsigned char* bytes) const;
};

struct IndexEntry {
  std::int32_t firstSlot = 0;
  std::int32_t slotCount = 0;
  char key[kIndexKeySize] = {};  // always NUL-terminated once decoded
};

struct IndexNode {
  std::int32_t entryCount = 0;
  IndexEntry entries[kMaxNodeEntries];
  std::int32_t children[kMaxNodeEntries + 1] = {-1, -1, -1, -1, -1};

  // Decodes 152 bytes; every key is cut at its 24th byte. `keyTerminated`, when given, gets for
  // each entry whether its key had a NUL within its 24 bytes.
  static IndexNode Decode(const unsigned char* bytes, bool* keyTerminated = nullptr);
  void Encode(unsigned char* bytes) const;
  bool EntryCountUsable() const { return entryCount >= 1 && entryCount <= kMaxNodeEntries; }
};
// Entry `entry`'s key as it stands in a node's 152 bytes: up to its NUL, or all 24 bytes when it
// has none (a decoded IndexNode cuts such a key at its 24th byte).
std::string_view StoredNodeKey(const unsigned char* nodeBytes, int entry);

// Whether a node of 152 bytes at `offset` lies wholly between the header and the end byte of an
// index file of `fileSize` bytes.
bool NodeInsideIndex(std::int64_t offset, std::int64_t fileSize);
// The most nodes a descent or a walk of an index file of `fileSize` bytes can meet without
// meeting one twice.
std::int64_t MaxIndexNodes(std::int64_t fileSize);
// The nine bytes of an index file that holds no key.
std::string EmptyIndexBytes();

// Byte-wise comparison of two keys as unsigned bytes up to their NUL (the index's order).
int CompareKeys(const char* a, const char* b);

// --- Filter buffer ---

inline constexpr int kRowNameSize = 255;         // name text (<= 254) and its NUL
inline constexpr int kRowSummarySize = 41;       // summary (<= 40) and its NUL
inline constexpr int kFilterRecordSize = 4 + kRowNameSize + kRowSummarySize;
static_assert(kFilterRecordSize == 300);

// Builds one record: the line offset, the name text (cut to 254 bytes, NUL after) and the summary
// (cut to 40 bytes, NUL after), each when given; every other byte 0.
void EncodeFilterRecord(unsigned char* bytes, std::int32_t lineOffset, const char* name, const char* summary);
// The same for a match's name text as it stands (up to its first NUL) and no summary: the bytes
// EncodeFilterRecord gives for that text.
void EncodeMatchRecord(unsigned char* bytes, std::int32_t lineOffset, std::string_view name);
// Reads one record: the name and the summary into buffers of 255 and 41 bytes, always terminated.
void DecodeFilterRecord(const unsigned char* bytes, std::int32_t* lineOffset, char* name, char* summary);
