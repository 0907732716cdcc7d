#include "tools/rollkit/database_files.h"

#include <strings.h>

#include <filesystem>

#include "platform/byte_order.h"
#include "platform/file_system.h"
#include "platform/profile.h"
#include "store/data_location.h"
#include "store/roll_format.h"

namespace fs = std::filesystem;

namespace {

// The exact name when it exists, else the first entry equal to it ignoring ASCII case.
std::string FindFile(const std::string& directory, const char* name) {
  std::error_code ec;
  if (fs::is_regular_file(directory + name, ec)) return directory + name;
  for (const auto& entry : fs::directory_iterator(directory, ec)) {
    const std::string found = entry.path().filename().string();
    if (strcasecmp(found.c_str(), name) == 0 && entry.is_regular_file(ec)) return directory + found;
  }
  return std::string();
}

std::string WithSeparator(std::string directory) {
  if (directory.empty() || directory.back() != '/') directory += '/';
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
  if (value[0] == '\0') {
    const std::string ini = FindProfilePath();
    *error = "no data directory: pass --data DIR or set " + std::string(kDataDirectoryKey) +
             " in section " + kProfileSection + " of " +
             (ini.empty() ? std::string(kProfileFileName) + " (none found)" : ini);
    return false;
  }
  DataLocation location;
  location.ReadConfiguration();
  if (!location.dataDirectoryUsable) {
    *error = std::string(kDataDirectoryKey) + " in " + FindProfilePath() + " is too long";
    return false;
  }
  *directory = location.dataDirectory;
  return true;
}

bool LocateRollFiles(const std::string& directory, RollFiles* files, std::string* error) {
  std::error_code ec;
  if (!fs::is_directory(directory, ec)) {
    *error = directory + ": no such directory";
    return false;
  }
  files->directory = WithSeparator(directory);
  files->marker = FindFile(files->directory, kMarkerFileName);
  files->nameFile = FindFile(files->directory, kNameFileName);
  files->lineFile = FindFile(files->directory, kLineFileName);
  files->indexFile = FindFile(files->directory, kIndexFileName);
  return true;
}

std::string ExpectedPath(const RollFiles& files, const char* name) { return files.directory + name; }

bool CheckReadable(const RollFiles& files, std::string* error) {
  const std::pair<const std::string*, const char*> required[] = {
      {&files.marker, kMarkerFileName},
      {&files.lineFile, kLineFileName},
      {&files.nameFile, kNameFileName},
      {&files.indexFile, kIndexFileName},
  };
  for (const auto& [path, name] : required) {
    if (path->empty()) {
      *error = ExpectedPath(files, name) + ": missing";
      return false;
    }
  }

  FileHandle index(std::fopen(files.indexFile.c_str(), "rb"));
  const std::int64_t indexSize = index ? StreamSize(index.get()) : -1;
  unsigned char last = 0;
  if (indexSize < 1 || !SeekTo(index.get(), indexSize - 1) ||
      std::fread(&last, 1, 1, index.get()) != 1 || last != kIndexEndByte) {
    *error = files.indexFile + ": not an index file (its last byte is not 04)";
    return false;
  }

  FileHandle names(std::fopen(files.nameFile.c_str(), "rb"));
  const std::int64_t nameSize = names ? StreamSize(names.get()) : -1;
  unsigned char trailer[kNameTrailerSize];
  if (nameSize < kNameTrailerSize || !SeekTo(names.get(), nameSize - kNameTrailerSize) ||
      std::fread(trailer, 1, sizeof trailer, names.get()) != sizeof trailer) {
    *error = files.nameFile + ": too short for its trailer";
    return false;
  }
  const std::int32_t length = DecodeFixed32(trailer);
  if (length < 0 || length > kMaxNameLength) {
    *error = files.nameFile + ": name length " + std::to_string(length) + " in its trailer is outside 0..255";
    return false;
  }
  FileHandle lines(std::fopen(files.lineFile.c_str(), "rb"));
  if (!lines) {
    *error = files.lineFile + ": cannot be read";
    return false;
  }
  return true;
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
