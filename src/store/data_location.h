// Where the family's files and the roll data are, and the one check that guards every read of
// the roll: the marker file "mrdb.id" in the data directory, and the disk prompt while it is
// missing.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/media_discovery.h"
#include "store/roll_format.h"
#include "store/roll_status.h"

inline constexpr const char* kProfileSection = "Kinloom7m";
inline constexpr const char* kFamilyDirectoryKey = "KinloomDir";
inline constexpr const char* kDataDirectoryKey = "MRPath";
inline constexpr const char* kDiskPrompt = "Please insert Kinloom Disk 3(Dravenholt)\n\nClick OK when done.";
inline constexpr unsigned kDiskPromptStyle = 49;  // OK/Cancel with the exclamation icon

// The longest data directory with which every file name built from it still fits its buffer
// ("mroll.ext" in 256 bytes, "mrdb.id" in 260). A longer configured directory is not used.
inline constexpr int kMaxDataDirectoryLength = kPathBufferSize - 1 - 9;

// The environment variable that, when set, stands for the system's root directory in the search
// of mounted media: a test's fake media tree.
inline constexpr const char* kMediaRootVariable = "DRAVENHOLT_MEDIA_ROOT";

// Looks for the roll on mounted media (platform/media_discovery.h: the current user's and the
// system's mount directories, each one level deep) and gives the first place holding the marker
// and the three files of database 1.
MediaSearchResult FindRollOnMedia();
// Where a search of mounted media looked, for the user: the places looked into, or the mount
// directories themselves when none held anything ("/media/anna/DISK3, /mnt/cdrom").
std::string PlacesLooked(const MediaSearchResult& search);

class DataLocation {
 public:
  DataLocation();

  // Reads KinloomDir and MRPath of section Kinloom7m from brevik.ini (platform/profile.h), at most
  // 259 characters each, and appends the platform's separator to each value that does not
  // already end in it. A missing file, section or key reads as "". A data directory longer than
  // kMaxDataDirectoryLength is refused: dataDirectory stays empty and the data counts as absent.
  void ReadConfiguration();

  // Releases familyDirectory (shutdown).
  void Release();

  // 1 when "mrdb.id" in dataDirectory can be opened for reading, else 0. Sets the critical-error
  // mode to fail-critical-errors for the test and restores it afterwards.
  int MarkerFilePresent() const;

  // Why the marker does not count as present, naming it: "missing", "a FIFO, not a roll file",
  // "cannot be read: Permission denied" (kNoDisk); Ok when it does.
  RollStatus MarkerStatus() const;

  // A front end's own disk prompt, which answers as the classic box does and may have pointed
  // this location at the data elsewhere before it answers kIdOk (the viewer looks on mounted media
  // and lets the user browse for the disk). The front end's RollDialogue asks it when it is set.
  std::function<int()> diskPrompt;

  // Test and tool seam: sets both directories as ReadConfiguration would from these values.
  void SetDirectories(const char* family, const char* data);

  // The family directory, always ending in the separator; null before ReadConfiguration and
  // after Release. Used as a plain prefix.
  std::unique_ptr<char[]> familyDirectory;
  // The data directory, always ending in the separator, or empty when none is usable.
  char dataDirectory[kMaxPath];
  // False when the configured data directory was too long to use.
  bool dataDirectoryUsable;
};
