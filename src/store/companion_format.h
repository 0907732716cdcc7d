// The companion index of a roll, drawn once, and the one codec that reads and writes it.
//
// A companion holds what questions about a whole roll need, so that they are answered from a few
// small reads instead of a scan of the name and line files: each surname key's run of slots, the
// order of its names and its entries' counts by side, company and state; the groups of entries
// that share a unit text, a side and a company, with the list of each group's slots; the group of
// every slot; the keys under each Soundex and Daitch-Mokotoff code with prefix sums of their
// counts; and, of each long run in name order, every 64th name, so that a given name's ends in
// it are found with a read each. It is kept beside the roll, never on it
// (store/companion_cache.h), and bound to the files it was built from: a companion of anything
// else is refused and never changes an answer.
//
// Companion file: all integers little-endian; offsets absolute.
//
//   0      header, kCompanionHeaderSize (512) bytes:
//            0 magic "DRVHCMPN" | 8 u32 version | 12 u32 block size (4096) | 16 u64 file size
//           24 roll: i32 name length L | i32 whole slots in the name file
//           32 three bound files (name, line, index), 56 bytes each:
//                u64 device | u64 file | i64 size | i64 modified | i64 changed | i64 window | i64 length
//          200 index hash: u64 high | u64 low
//          216 sections, kSectionCount (16) of 16 bytes: u64 offset | u64 length
//          472 u64 block table offset | 480 u64 block count | 488 u64 block table checksum
//          496 zeros | 504 u64 checksum of bytes 0..503
//   512    sections, in the order of CompanionSection, each starting where the one before ends
//   T      block table: one u64 checksum per block of 4096 bytes of [512, T) (the last shorter)
//
// Checksums are XXH3-64. The header and the block table are checked when the file is opened;
// each block when it is first read, so that a question costs the blocks it reads, not the file
// (a block is a page of the file system's cache, so a bisection reads a page a step).
//
// Sections (n keys, G groups, S slots):
//   kKeys        n records of 20 bytes, in key order (byte-wise, as the index sorts):
//                  i32 first slot | i32 slot count (both as the index says) | u32 text offset |
//                  u32 counts offset | u8 text length | u8 flags | 2 zeros
//                flags: kKeyNamesOrdered, kKeyPadded (the key is its text padded with blanks to 22)
//   kKeyText     the keys' texts, one after another: a key padded as keys of short surnames are
//                stands without its padding
//   kKeyTotals   n + 1 u32: before key i, the sum of the slots of keys 0..i-1 that the name file
//                holds (a run cut to the name file as a search cuts it)
//   kKeyCounts   per key, at its counts offset, three lists of varint pairs, each a varint count
//                then (id delta, entries): sides (id: the side byte), companies, state words;
//                ids ascending, the first delta from 0
//   kUnitTexts   dictionary of the unit fields as stored (raw bytes), ascending
//   kCompanies   dictionary of the company fields, trimmed and upper-cased, ascending
//   kWords       dictionary of the words of the unit fields (split at blanks), upper-cased
//   kGroups      G records of 16 bytes, ascending by (unit text, side, company):
//                  u32 unit | u32 company (low 24 bits) and side (high 8) | u32 entries |
//                  u32 list offset
//   kSlotLists   per group, at its list offset: its slots ascending, as varint deltas (the first
//                from 0)
//   kSlotGroups  u8 width (1..4) | 7 zeros | S values of `width` bytes: each slot's group
//   kSoundex     m records (u32 code | u32 key), ascending, then m + 1 u32 prefix sums of the
//                keys' slots (as kKeyTotals counts them) in record order
//   kDmCodes     the same for Daitch-Mokotoff codes
//   kSideStarts  n + 1 u32: where each key's lists in kSideLists begin (the last: where they end)
//   kSideLists   per key, the slots of its run by side (the side an entry's counts give it):
//                  varint lists m, then m lists in ascending side: u8 side | varint entries |
//                  varint bytes | the slots ascending, as varint deltas (the first from the run's
//                  first slot as the index says)
//   kSampleStarts n + 1 u32: the names in kNameSamples before each key's (the last: all of them)
//   kNameSamples  per key whose names are in order (kKeyNamesOrdered) and whose run (cut to the
//                name file) holds more than 2 * kCompanionSampleStep slots: the folded names
//                (store/name_order.h) of its slots begin, begin + kCompanionSampleStep, ... up to
//                its end, L bytes each; no names for any other key
//   dictionary:  u32 count c | c + 1 u32 offsets from the start of the text | the text
//
// An entry's attributes are those a filter reads from its line (fields 1 company, 2 unit, 9
// side, read as the filter reads them): the side is the field trimmed of blanks and tabs when
// that leaves one byte, upper-cased, else 0; the company the trimmed field upper-cased; a field
// the line lacks, a line that cannot be read and an empty field are all "" (or side 0), which no
// active filter passes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "store/index_hash.h"

inline constexpr char kCompanionMagic[8] = {'D', 'R', 'V', 'H', 'C', 'M', 'P', 'N'};
inline constexpr std::uint32_t kCompanionVersion = 3;
inline constexpr int kCompanionHeaderSize = 512;
inline constexpr std::uint32_t kCompanionBlockSize = 1u << 12;
inline constexpr int kBoundFileSize = 56;
inline constexpr int kKeyRecordSize = 20;
inline constexpr int kGroupRecordSize = 16;
inline constexpr int kCodeRecordSize = 8;
inline constexpr int kSlotGroupsPrefix = 8;
inline constexpr std::uint8_t kKeyNamesOrdered = 1;  // the run's names are in the order of store/name_order.h
inline constexpr std::uint8_t kKeyPadded = 2;        // the key is its text padded with blanks to 22
inline constexpr std::uint32_t kMaxCompanies = 1u << 24;  // company ids share a word with the side
inline constexpr std::int32_t kCompanionSampleStep = 64;  // every how many slots a run's name is kept

// Whether the companion keeps the names of an ordered run of `runSlots` slots.
constexpr bool RunIsSampled(std::int64_t runSlots) { return runSlots > 2 * kCompanionSampleStep; }
// How many names it keeps of such a run.
constexpr std::int64_t SamplesOfRun(std::int64_t runSlots) {
  return (runSlots + kCompanionSampleStep - 1) / kCompanionSampleStep;
}

enum class CompanionSection : int {
  kKeys,
  kKeyText,
  kKeyTotals,
  kKeyCounts,
  kUnitTexts,
  kCompanies,
  kWords,
  kGroups,
  kSlotLists,
  kSlotGroups,
  kSoundex,
  kDmCodes,
  kSideStarts,
  kSideLists,
  kSampleStarts,
  kNameSamples,
};
inline constexpr int kSectionCount = 16;

namespace companion_layout {
inline constexpr int kRoll = 24;
inline constexpr int kFiles = 32;
inline constexpr int kIndexHash = kFiles + 3 * kBoundFileSize;
inline constexpr int kSections = kIndexHash + 16;
inline constexpr int kBlockTable = kSections + kSectionCount * 16;
inline constexpr int kChecksum = kCompanionHeaderSize - 8;
static_assert(kIndexHash == 200 && kSections == 216 && kBlockTable == 472);
static_assert(kBlockTable + 24 <= kChecksum);
}  // namespace companion_layout

// One file of the roll as the companion saw it: its identity (for a file inside a disk image, the
// image file's, with where the file's bytes start in it) and its own length.
struct BoundFile {
  std::uint64_t device = 0;
  std::uint64_t file = 0;
  std::int64_t size = -1;
  std::int64_t modified = 0;
  std::int64_t changed = 0;
  std::int64_t window = -1;
  std::int64_t length = -1;

  static BoundFile Of(const ReadOnlyFile& f);
  bool operator==(const BoundFile&) const = default;
};

// The roll a companion describes.
struct RollBinding {
  BoundFile name, line, index;
  IndexHash indexHash;
  std::int32_t nameLength = 0;
  std::int32_t slotTotal = 0;
  bool operator==(const RollBinding&) const = default;
};

struct SectionPlace {
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
};

struct CompanionHeader {
  std::uint64_t fileSize = 0;
  RollBinding roll;
  SectionPlace sections[kSectionCount];
  std::uint64_t blockTableOffset = 0;
  std::uint64_t blockCount = 0;
  std::uint64_t blockTableChecksum = 0;

  const SectionPlace& Section(CompanionSection s) const { return sections[static_cast<int>(s)]; }
  // The 512 header bytes, its checksum included.
  void Encode(unsigned char* bytes) const;
  // Decodes and checks 512 header bytes: magic, version, block size, checksum, and that the
  // sections, the blocks and the block table tile the file of `fileSize` bytes as drawn above.
  // False with *reason ("not a companion index", "written by another version (2)", ...).
  static bool Decode(const unsigned char* bytes, std::int64_t fileSize, CompanionHeader* out,
                     std::string* reason);
};

// Ends a companion whose header room and sections are in *file (the sections placed as `header`
// says, the file ending where the last one ends): appends the block table and writes the header
// with its checksums over the first kCompanionHeaderSize bytes.
void SealCompanion(CompanionHeader header, std::string* file);

// How many blocks hold the bytes [kCompanionHeaderSize, tableOffset).
std::uint64_t BlockCountFor(std::uint64_t tableOffset);

std::uint64_t CompanionChecksum(const void* data, std::size_t size);

// --- Fixed-width and variable-length integers ---

void PutFixed32(std::string* out, std::uint32_t value);
void PutFixed64(std::string* out, std::uint64_t value);
std::uint32_t GetFixed32(const unsigned char* bytes);
std::uint64_t GetFixed64(const unsigned char* bytes);
void PutVarint(std::string* out, std::uint64_t value);
// Reads one varint of at most 10 bytes from [*at, end); false (and *at unchanged) when it runs past
// the end or is longer than a 64-bit value. Inline: slot lists are read a varint a slot.
inline bool GetVarint(const unsigned char** at, const unsigned char* end, std::uint64_t* value) {
  std::uint64_t result = 0;
  const unsigned char* p = *at;
  for (int shift = 0; shift < 64 && p < end; shift += 7) {
    const unsigned char byte = *p++;
    if (shift == 63 && byte > 1) return false;  // more than 64 bits
    result |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
    if ((byte & 0x80) == 0) {
      *value = result;
      *at = p;
      return true;
    }
  }
  return false;
}

// --- Records ---

struct KeyRecord {
  std::int32_t firstSlot = 0;
  std::int32_t slotCount = 0;
  std::uint32_t textOffset = 0;
  std::uint32_t countsOffset = 0;
  std::uint8_t textLength = 0;
  std::uint8_t flags = 0;
  void Encode(std::string* out) const;
  static KeyRecord Decode(const unsigned char* bytes);
};

struct GroupRecord {
  std::uint32_t unit = 0;
  std::uint32_t company = 0;
  std::uint8_t side = 0;
  std::uint32_t entries = 0;
  std::uint32_t listOffset = 0;
  void Encode(std::string* out) const;
  static GroupRecord Decode(const unsigned char* bytes);
};

// A dictionary's bytes for `texts` (ascending).
void EncodeDictionary(const std::vector<std::string>& texts, std::string* out);

// A dictionary over the bytes of its section, checked whole when made: offsets ascending inside
// the text, texts strictly ascending.
class Dictionary {
 public:
  // False when `bytes` is no well-formed dictionary.
  bool Take(std::string bytes);
  std::size_t Size() const { return count; }
  std::string_view Text(std::size_t i) const;
  // The position of `text`, or -1.
  std::int64_t Find(std::string_view text) const;

 private:
  std::string data;
  std::size_t count = 0;
  std::size_t textStart = 0;
};

// --- Entry attributes ---

// The attributes of an entry as a filter reads them from its line (the bytes from its start, up
// to and including its LF, or as many as a filter reads of a longer one): the unit field as
// stored, the side byte (0: none) and the company (trimmed, upper-cased).
struct EntryAttributes {
  std::string_view unit;
  char side = 0;
  std::string company;
};
void AttributesOfLine(std::string_view line, EntryAttributes* out);

// The distinct words of a unit field (split at blanks, empty ones left out), upper-cased.
std::vector<std::string> UnitWords(std::string_view unit);
