// What the research log keeps: the searches made (those that found nothing too), the soldiers
// saved from them with a status and notes, and every change to a saved soldier.
//
// Texts a person typed are UTF-8. What came off the roll (a soldier's key, surname, name text and
// line) is kept here in the roll's own bytes (Windows-1252), exactly as the engine read it, so
// that a saved entry can be shown again as the roll shows it, without the disk.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "records/soldier_entry.h"

// Where a person stands with a saved soldier.
enum class ResearchStatus { kToDo, kFound, kNotThisMan, kRecordsOrdered, kDone };
inline constexpr int kResearchStatusCount = 5;

// "to do", "found", "not this man", "records ordered", "done": the words the log stores and shows.
const char* StatusName(ResearchStatus status);
// The status with these words, in any case, with '-' or '_' for the blanks ("records-ordered",
// "To_Do"); false for anything else.
bool ParseStatus(std::string_view text, ResearchStatus* status);
// The status words, as a usage message lists them: "to-do, found, not-this-man, ...".
std::string StatusChoices();

// Which roll: the same roll on any drive or in any image of it has the same index hash.
struct RollIdentity {
  std::string label;  // the disk's volume label where the roll is read from an image with one
  std::string hash;   // IndexHash::Hex() of its index file; "" when unknown

  // "KINLOOM3 1a2b3c4d" (the label and the first eight digits of the hash), for a person.
  std::string ShortName() const;
};

struct LoggedSearch {
  std::int64_t id = 0;  // given by the log
  std::string when;     // UTC, ISO 8601 ("2025-03-01T14:02:11Z"), given by the log
  RollIdentity roll;
  std::string surname;         // as typed
  std::string givenName;       // "" when none was typed
  std::string mode = "exact";  // how the surname was matched (MatchModeName)
  // The filters, each "" when not asked for: side "U" or "C", a state's abbreviation, text of the
  // unit, a company.
  std::string side;
  std::string state;
  std::string unit;
  std::string company;
  std::int64_t count = 0;  // entries found
  std::string program;     // which program ran it: "rollkit", "viewer"
};

struct SavedSoldier {
  std::int64_t id = 0;    // given by the log
  std::string savedAt;    // given by the log
  std::string changedAt;  // the last change; given by the log
  RollIdentity roll;
  // The entry as found, in the roll's bytes: its index key, its name-file slot (-1: not known),
  // the surname its row shows, the slot's name text and the whole line (its LF included).
  std::string indexKey;
  std::int64_t slot = -1;
  std::string surname;
  std::string nameText;
  std::string line;
  ResearchStatus status = ResearchStatus::kToDo;
  std::string notes;
  std::int64_t searchId = 0;  // the search that found him; 0 when none is in the log
};

// One change to a saved soldier: what the soldier's status and notes were after it.
struct SoldierChange {
  std::string when;
  std::string what;  // "saved", "status", "notes" or "status, notes"
  ResearchStatus status = ResearchStatus::kToDo;
  std::string notes;
};

// A change a person makes to a saved soldier; what is not given stays as it is.
struct SoldierEdit {
  std::optional<ResearchStatus> status;
  std::optional<std::string> notes;  // the new notes ...
  bool appendNotes = false;          // ... or, when set, a paragraph added after the old ones
};

// The saved soldier as an entry of records/ (UTF-8), for every output.
SoldierEntry EntryOf(const SavedSoldier& soldier);

// The search in a few words: "MULLER, given name J, sounds like (Soundex), Union, state VA".
std::string DescribeSearch(const LoggedSearch& search);
// Its match mode in words ("sounds like (Soundex)"), and its filters ("Union, state VA"; "" none).
std::string DescribeMode(std::string_view mode);
std::string DescribeFilters(const LoggedSearch& search);

// The time `seconds` after 1970-01-01 UTC as the log writes times: "2025-03-01T14:02:11Z".
std::string IsoUtc(std::int64_t seconds);
// The time now, so.
std::string IsoUtcNow();

// "2025-03-01 14:02 UTC" from the log's ISO 8601 time; the text unchanged when it is not one.
std::string ReadableTime(std::string_view iso);
