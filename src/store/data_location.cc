#include "store/data_location.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/data_file.h"
#include "platform/error_mode.h"
#include "platform/file_system.h"
#include "platform/profile.h"

namespace {

constexpr std::size_t kProfileValueSize = kMaxPath;  // at most 259 characters taken

// The value with the separator appended unless it already ends in one (an empty value included).
std::size_t WithSeparator(const char* value, char* out, std::size_t size) {
  std::size_t n = std::strlen(value);
  const bool needs = n == 0 || value[n - 1] != kPathSeparator;
  if (n + (needs ? 1 : 0) + 1 > size) return 0;
  std::memcpy(out, value, n);
  if (needs) out[n++] = kPathSeparator;
  out[n] = '\0';
  return n;
}

}  // namespace

MediaSearchResult FindRollOnMedia() {
  const char* root = std::getenv(kMediaRootVariable);
  return FindOnMedia(MediaRoots(CurrentUserName(), root && *root ? root : "/"),
                     {kMarkerFileName, kNameFileName, kLineFileName, kIndexFileName});
}

std::string PlacesLooked(const MediaSearchResult& search) {
  const std::vector<std::string>& places = search.placesLooked.empty() ? search.roots : search.placesLooked;
  std::string text;
  for (const std::string& place : places) {
    if (!text.empty()) text += ", ";
    // Places end in the separator; the user reads directories without it.
    text += place.size() > 1 && place.back() == kPathSeparator ? place.substr(0, place.size() - 1) : place;
  }
  return text;
}

DataLocation::DataLocation() : dataDirectory{}, dataDirectoryUsable(true) {}

void DataLocation::SetDirectories(const char* family, const char* data) {
  familyDirectory.reset();
  const std::size_t familyLength = std::strlen(family);
  familyDirectory = std::make_unique<char[]>(familyLength + 2);
  WithSeparator(family, familyDirectory.get(), familyLength + 2);

  char buffer[kMaxPath + 1];
  const std::size_t n = WithSeparator(data, buffer, sizeof buffer);
  dataDirectoryUsable = n > 0 && n <= static_cast<std::size_t>(kMaxDataDirectoryLength);
  if (dataDirectoryUsable) {
    std::memcpy(dataDirectory, buffer, n + 1);
  } else {
    dataDirectory[0] = '\0';
  }
}

void DataLocation::ReadConfiguration() {
  Release();
  auto family = std::make_unique<char[]>(kProfileValueSize);
  auto data = std::make_unique<char[]>(kProfileValueSize);
  ReadProfileString(kProfileSection, kFamilyDirectoryKey, "", family.get(), kProfileValueSize);
  ReadProfileString(kProfileSection, kDataDirectoryKey, "", data.get(), kProfileValueSize);
  SetDirectories(family.get(), data.get());
}

void DataLocation::Release() { familyDirectory.reset(); }

int DataLocation::MarkerFilePresent() const {
  const unsigned saved = SetCriticalErrorMode(kSemFailCriticalErrors);
  bool present = false;
  char path[kMaxPath];
  if (dataDirectoryUsable && dataDirectory[0] != '\0') {
    const int n = std::snprintf(path, sizeof path, "%s%s", dataDirectory, kMarkerFileName);
    // Only a regular file that can be opened for reading counts: a FIFO or a device in its place
    // is never opened. The marker under its own name in a plain directory is the usual case and
    // is asked about first, without opening it or looking at the directory; when it is not
    // there, the name is looked up in any case, or inside a disk image. Whatever the first
    // question finds, the lookup would have found too.
    ReadOnlyFile marker;
    if (n > 0 && n < static_cast<int>(sizeof path)) {
      present = RegularFileReadable(path) || OpenDataFile(ResolveDataFile(path), &marker) == OpenStatus::kOk;
    }
  }
  SetCriticalErrorMode(saved);
  return present ? 1 : 0;
}

RollStatus DataLocation::MarkerStatus() const {
  if (MarkerFilePresent()) return {};
  const std::string path = std::string(dataDirectory) + kMarkerFileName;
  if (!dataDirectoryUsable || dataDirectory[0] == '\0') return {RollProblem::kNoDisk, path, "missing"};
  ReadOnlyFile marker;
  RollStatus status = OpenRollFileAs(ResolveDataFile(path), RollProblem::kNoDisk, &marker);
  // Opened after all (it came back since the test above): it is there.
  if (status.Ok()) return {};
  return status;
}
