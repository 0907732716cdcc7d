// Builds a roll database (mroll.cor, mroll.ext, mroll.tre and an empty mrdb.id) from entries.
//
// Slots are grouped by index key in key order; within one key, entries stand in a stable order by
// their upper-cased name text, then in the order they were added. The index is a balanced tree of
// nodes holding 1 to 4 keys. Texts are bytes as stored on the disk (Windows-1252).
//
// Entries are kept compactly (one byte arena plus about 24 bytes per entry), so millions fit.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class RollWriter {
 public:
  // `nameLength` is L, the name field of every slot (1..255); 0 chooses the longest name text + 1.
  explicit RollWriter(int slotNameLength = 0);

  // Adds one entry: its surname, the name text shown in result rows, and its fields in label
  // order. Refused (false, with the reason in *error) when the surname is empty or its key would
  // exceed 23 characters, the surname or the name text holds a NUL, a field holds 0xFF or LF
  // (FieldTextStorable), the name text exceeds 254 bytes (or L - 1 when L was given), or the line
  // would exceed 4,999 bytes with its LF. Every other byte is stored as it is.
  bool Add(std::string_view surname, std::string_view nameText,
           const std::vector<std::string_view>& fields, std::string* error);

  std::size_t EntryCount() const { return entries.size(); }

  // Writes the database into `directory` (which must exist). Files are written under temporary
  // names and renamed at the end, so a failed write leaves no partial database. Existing database
  // files are replaced. False with *error naming the file on failure.
  bool Write(const std::string& directory, std::string* error);

  // The index key of a surname (NormaliseKey), or "" when it would exceed 23 characters.
  static std::string KeyOf(std::string_view surname);

 private:
  struct Entry {
    std::uint64_t offset;      // in arena: key, name text, line
    std::uint32_t sequence;
    std::uint16_t lineLength;
    std::uint8_t keyLength;
    std::uint8_t nameLength;
  };
  std::string_view Key(const Entry& e) const { return {arena.data() + e.offset, e.keyLength}; }
  std::string_view Name(const Entry& e) const {
    return {arena.data() + e.offset + e.keyLength, e.nameLength};
  }
  std::string_view Line(const Entry& e) const {
    return {arena.data() + e.offset + e.keyLength + e.nameLength, e.lineLength};
  }

  int nameLength;
  int longestName = 0;
  std::string arena;
  std::vector<Entry> entries;
};
