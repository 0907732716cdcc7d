// Windows gives every disk a drive letter: the roll is looked for at the root of each removable
// or CD drive, and one level below it, as on POSIX below each mount place. A fake tree given as
// the system root (the tests' seam) is looked through exactly as on POSIX.
#include <windows.h>

#include <algorithm>
#include <cstdlib>

#include "platform/error_mode.h"
#include "platform/file_system.h"
#include "platform/media_discovery.h"
#include "platform/wide_path_win32.h"

namespace {

// Entries read from one directory: far more than a disk's root holds, and a bound on the work a
// huge directory can cause.
constexpr std::size_t kMostEntries = 4096;

// A drive's root as the system names it: "D:\".
bool IsDriveRoot(const std::string& root) { return root.size() == 3 && root[1] == ':' && root[2] == '\\'; }

// The names of the directories directly in `directory`, but "." and "..", in byte order.
std::vector<std::string> SubdirectoryNames(const std::string& directory) {
  std::vector<std::string> names;
  const std::wstring pattern = WidePath((directory + "\\*").c_str());
  if (pattern.empty()) return names;
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchLimitToDirectories, nullptr,
                                 FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = Utf8FromWide(entry.cFileName);
    // A reparse point may lead anywhere (another drive, a network share that waits): passed over.
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
        !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && name != "." && name != "..") {
      names.push_back(name);
    }
  } while (names.size() < kMostEntries && FindNextFileW(find, &entry));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

// Names on Windows are matched without regard to case by the system itself. A file counts only
// as a regular file of the disk itself: a reparse point (a symbolic link) may lead to a file in
// the user's profile, whose text would then be shown, copied and exported as the disk's.
bool HoldsAll(const std::string& directory, const std::vector<std::string>& files) {
  return std::all_of(files.begin(), files.end(), [&](const std::string& name) {
    const std::string path = directory + "\\" + name;
    const std::wstring wide = WidePath(path.c_str());
    WIN32_FILE_ATTRIBUTE_DATA data;
    return !wide.empty() && GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data) &&
           !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && KindOfPath(path) == FileKind::kRegular;
  });
}

}  // namespace

std::vector<std::string> MediaRoots(const std::string& user, const std::string& systemRoot) {
  if (systemRoot != "/") {
    std::string root = systemRoot;
    while (!root.empty() && (root.back() == '/' || root.back() == '\\')) root.pop_back();
    std::vector<std::string> roots;
    if (!user.empty() && user != "." && user != ".." && user.find_first_of("/\\") == std::string::npos) {
      roots.push_back(root + "/run/media/" + user);
      roots.push_back(root + "/media/" + user);
    }
    roots.push_back(root + "/media");
    roots.push_back(root + "/mnt");
    return roots;
  }
  std::vector<std::string> roots;
  const DWORD drives = GetLogicalDrives();
  for (int letter = 0; letter < 26; ++letter) {
    if (!(drives & (1u << letter))) continue;
    const std::string root = std::string(1, static_cast<char>('A' + letter)) + ":\\";
    const UINT type = GetDriveTypeA(root.c_str());
    if (type == DRIVE_CDROM || type == DRIVE_REMOVABLE) roots.push_back(root);
  }
  return roots;
}

std::string CurrentUserName() {
  const char* user = std::getenv("USERNAME");
  return user ? user : "";
}

MediaSearchResult FindOnMedia(const std::vector<std::string>& roots, const std::vector<std::string>& files) {
  MediaSearchResult result;
  result.roots = roots;
  // An empty drive fails quietly instead of asking for a disk.
  const unsigned saved = SetCriticalErrorMode(kSemFailCriticalErrors | kSemNoOpenFileErrorBox);
  for (const std::string& root : roots) {
    std::vector<std::string> candidates;
    const bool drive = IsDriveRoot(root);
    const std::string base = drive ? root.substr(0, 2) : root;
    if (drive) candidates.push_back(base);
    for (const std::string& name : SubdirectoryNames(base)) candidates.push_back(base + "\\" + name);
    for (const std::string& candidate : candidates) {
      result.placesLooked.push_back(candidate == base && drive ? root : candidate);
      if (HoldsAll(candidate, files)) {
        result.found = candidate + "\\";
        SetCriticalErrorMode(saved);
        return result;
      }
    }
  }
  SetCriticalErrorMode(saved);
  return result;
}
