// The on-disk formats of a roll database, drawn once.
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
// Filter buffer (history.buf): records of 300 bytes, no header:
//   0 int32 lineOffset | 4 name text, 255 bytes | 259 summary text, 41 bytes
// All integers are 32-bit two's-complement little-endian; offsets are absolute.
#pragma once

#include <cstdint>

inline constexpr int kIndexHeaderSize = 8;
inline constexpr int kIndexKeySize = 24;  // key text and its NUL: at most 23 characters
inline constexpr int kIndexEntrySize = 4 + 4 + kIndexKeySize;
inline constexpr int kMaxNodeEntries = 4;
inline constexpr int kIndexNodeSize = 4 + kMaxNodeEntries * kIndexEntrySize + (kMaxNodeEntries + 1) * 4;
inline constexpr unsigned char kIndexEndByte = 0x04;
static_assert(kIndexEntrySize == 32);
static_assert(kIndexNodeSize == 152);

inline constexpr int kNameTrailerSize = 4;
inline constexpr int kMaxNameLength = 255;       // L; name text plus its NUL fit in L
inline constexpr int kCurrentNameSize = kMaxNameLength + 1;

inline constexpr unsigned char kFieldSeparator = 0xFF;
inline constexpr unsigned char kLineFeed = 0x0A;
inline constexpr int kLineBufferSize = 5000;     // a whole line, its LF and a NUL
inline constexpr int kSummaryBufferSize = 35;    // at most 31 bytes, "..." and a NUL

inline constexpr int kRowNameSize = 255;         // name text (<= 254) and its NUL
inline constexpr int kRowSummarySize = 41;       // summary (<= 40) and its NUL
inline constexpr int kFilterRecordSize = 4 + kRowNameSize + kRowSummarySize;
static_assert(kFilterRecordSize == 300);

// The buffer of each stream the engine reads the roll through (the C library's usual size).
inline constexpr int kStreamBufferSize = 4096;

inline constexpr int kPathBufferSize = 256;      // file names are built in 256-byte buffers
inline constexpr int kMaxPath = 260;

inline constexpr const char* kMarkerFileName = "mrdb.id";
inline constexpr const char* kFilterBufferFileName = "history.buf";
inline constexpr const char* kHelpFileName = "kinloom7m.hlp";
