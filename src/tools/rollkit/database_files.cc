#include "tools/rollkit/database_files.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>

#include "platform/data_file.h"
#include "platform/disk_image.h"
#include "platform/message_box.h"
#include "platform/profile.h"
#include "store/data_location.h"
#include "store/roll_database.h"
#include "store/roll_format.h"

namespace fs = std::filesystem;

namespace {

// The path the engine opens for `name`, or "" when nothing stands there.
std::string FindFile(const std::string& directory, const char* name, bool inImage) {
  const std::string path = ResolveDataFile(directory + name);
  if (!inImage) return KindOfPath(path) == FileKind::kMissing ? std::string() : path;
  ReadOnlyFile file;
  return OpenDataFile(path, &file) == OpenStatus::kMissing ? std::string() : path;
}

// Whether `directory` (the INI's data directory) holds the roll's marker.
bool HoldsMarker(const std::string& directory) {
  DataLocation location;
  location.SetDirectories("", directory.c_str());
  return location.MarkerFilePresent() == 1;
}

std::string WithSeparator(std::string directory) {
  if (directory.empty() || !IsPathSeparator(directory.back())) directory += '/';
  return directory;
}

}  // namespace

bool ResolveDataDirectory(const std::optional<std::string>& given, std::string* directory,
                          std::string* error) {
  if (given) {
    if (given->empty()) {
      *error = "--data names no directory";
      return false;
    }
    *directory = *given;
    return true;
  }
  char value[kMaxPath];
  ReadProfileString(kProfileSection, kDataDirectoryKey, "", value, sizeof value);
  DataLocation location;
  if (value[0] != '\0') {
    location.ReadConfiguration();
    if (!location.dataDirectoryUsable) {
      *error = std::string(kDataDirectoryKey) + " in " + FindProfilePath() + " is too long";
      return false;
    }
    if (HoldsMarker(location.dataDirectory)) {
      *directory = location.dataDirectory;
      return true;
    }
  }
  // The INI names no directory that has the data: the disk may be mounted where desktops put
  // removable media.
  const MediaSearchResult media = FindRollOnMedia();
  if (!media.found.empty()) {
    *directory = media.found;
    return true;
  }
  if (value[0] != '\0') {
    *directory = location.dataDirectory;  // its own message says what is missing there
    return true;
  }
  const std::string ini = FindProfilePath();
  *error = "no data directory: pass --data DIR or set " + std::string(kDataDirectoryKey) + " in section " +
           kProfileSection + " of " + (ini.empty() ? std::string(kProfileFileName) + " (none found)" : ini) +
           "; no roll on mounted media (looked in " + PlacesLooked(media) + ")";
  return false;
}

bool LocateRollFiles(const std::string& directory, RollFiles* files, std::string* error) {
  const FileKind kind = KindOfPath(directory);
  // A regular file is a disk image holding the roll; it must read as one.
  const bool inImage = kind == FileKind::kRegular;
  if (inImage && !DiskImage::Open(directory, error)) {
    // Most often a file given by mistake: say so first, then why it is no image.
    const std::string prefix = directory + ": ";
    if (error->compare(0, prefix.size(), prefix) == 0) {
      *error =
          prefix + "a regular file, not a directory or a disk image (" + error->substr(prefix.size()) + ")";
    }
    return false;
  }
  if (kind != FileKind::kDirectory && !inImage) {
    if (kind == FileKind::kMissing) {
      *error = directory + ": no such directory";
    } else if (kind == FileKind::kUnknown) {
      *error = directory + ": cannot be read: " + std::strerror(errno);
    } else {
      *error = directory + ": " + DescribeFileKind(kind) + ", not a directory";
    }
    return false;
  }
  files->directory = WithSeparator(directory);
  files->image = inImage ? directory : std::string();
  files->marker = FindFile(files->directory, kMarkerFileName, inImage);
  files->nameFile = FindFile(files->directory, kNameFileName, inImage);
  files->lineFile = FindFile(files->directory, kLineFileName, inImage);
  files->indexFile = FindFile(files->directory, kIndexFileName, inImage);
  return true;
}

std::string ExpectedPath(const RollFiles& files, const char* name) { return files.directory + name; }

bool OpenRollFile(const std::string& path, ReadOnlyFile* file, std::string* error) {
  const RollStatus status = OpenRollFileAs(path, RollProblem::kLineFile, file);
  if (!status.Ok()) *error = status.Text();
  return status.Ok();
}

RollDialogue& NoDiskPrompt() {
  static UnattendedDialogue dialogue(kIdCancel);
  return dialogue;
}

std::string EngineDirectory(const RollFiles& files) {
  std::string directory = files.directory;
  if (!directory.empty() && directory.back() == '/') directory.back() = kPathSeparator;
  return directory;
}

bool CheckReadable(const RollFiles& files, std::string* error) {
  DataLocation location;
  location.SetDirectories("", EngineDirectory(files).c_str());
  if (!location.dataDirectoryUsable) {
    *error = files.directory + ": path too long";
    return false;
  }
  RollDatabase database(location, NoDiskPrompt());
  database.SetMissingIndex(MissingIndex::kRefuse);
  RollStatus status;
  if (database.EnsureDataPresent(&status) && database.Open(1, &status)) return true;
  *error = status.Text();
  return false;
}

bool IndexSizeReachable(std::int64_t size) {
  return size <= static_cast<std::int64_t>(INT32_MAX) + kIndexNodeSize + 1;
}

bool HoldsRollFiles(const std::string& directory, std::string* which) {
  RollFiles files;
  std::string error;
  if (!LocateRollFiles(directory, &files, &error)) return false;
  for (const std::string* path : {&files.nameFile, &files.lineFile, &files.indexFile, &files.marker}) {
    if (!path->empty()) {
      *which = *path;
      return true;
    }
  }
  return false;
}
