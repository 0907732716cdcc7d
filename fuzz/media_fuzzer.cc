// Media discovery over a hostile tree of folders, files and links under the mount places, made
// from the input by a short script. Looking is bounded whatever the tree holds, and a disk that is
// found leads nowhere off itself: every file the readers will open there is a regular file of its
// own, never the file outside the tree that links point to.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "platform/file_system.h"
#include "platform/media_discovery.h"

namespace {

const std::vector<std::string> kRollFiles = {"mrdb.id", "mroll.cor", "mroll.ext", "mroll.tre"};
// The names the script puts things under: the roll's in two cases, and some folder names.
const char* const kNames[] = {"mrdb.id",   "MRDB.ID",   "mroll.cor", "MROLL.COR", "mroll.ext",
                              "Mroll.Ext", "mroll.tre", "MROLL.TRE", "disk",      "DISK3",
                              "cdrom",     "cdrom0",    "a",         "b"};
constexpr std::size_t kNameCount = sizeof kNames / sizeof kNames[0];
constexpr std::size_t kMostSteps = 96;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string tree = fuzz::ScratchDir() + "tree";
  static const std::string secret = [] {
    const std::string path = fuzz::ScratchDir() + "secret.txt";
    fuzz::WriteFile(path, "the user's own file");
    return path;
  }();
  std::error_code ignored;
  std::filesystem::remove_all(tree, ignored);
  std::vector<std::string> dirs = {tree + "/media", tree + "/mnt"};
  std::vector<std::string> made;  // every path the script made, for links to point at
  std::filesystem::create_directories(dirs[0]);
  std::filesystem::create_directories(dirs[1]);

  // Each step is three bytes: what to make, in which folder made so far, under which name.
  for (std::size_t at = 0; at + 3 <= size && at / 3 < kMostSteps; at += 3) {
    const std::string& parent = dirs[data[at + 1] % dirs.size()];
    const std::string path = parent + "/" + kNames[data[at + 2] % kNameCount];
    const std::string target = made.empty() ? dirs[0] : made[data[at + 2] % made.size()];
    bool ok = false;
    switch (data[at] % 8) {
      case 0:
        ok = mkdir(path.c_str(), 0755) == 0;
        if (ok) dirs.push_back(path);
        break;
      case 1: {
        // Never through what stands at the name already (a FIFO would wait, a link lead off).
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        ok = fd >= 0 && write(fd, data + at, 3) == 3;
        if (fd >= 0) close(fd);
        break;
      }
      case 2:
        ok = symlink(secret.c_str(), path.c_str()) == 0;  // a file off the medium
        break;
      case 3:
        ok = symlink(target.c_str(), path.c_str()) == 0;  // anything made before
        break;
      case 4:
        ok = symlink(kNames[data[at + 2] % kNameCount], path.c_str()) == 0;  // relative, maybe itself
        break;
      case 5:
        ok = mkfifo(path.c_str(), 0644) == 0;
        break;
      case 6:
        ok = symlink((tree + "/nowhere").c_str(), path.c_str()) == 0;
        break;
      case 7:
        ok = symlink("..", path.c_str()) == 0;  // a loop back up the tree
        break;
    }
    if (ok) made.push_back(path);
  }

  const MediaSearchResult result = FindOnMedia({tree + "/media", tree + "/mnt"}, kRollFiles);
  FUZZ_CHECK(result.placesLooked.size() <= 2 * 4096);
  if (result.found.empty()) return 0;
  FUZZ_CHECK(result.found.back() == '/');
  FUZZ_CHECK(result.found.rfind(tree + "/media/", 0) == 0 || result.found.rfind(tree + "/mnt/", 0) == 0);
  struct stat disk;
  FUZZ_CHECK(stat(result.found.c_str(), &disk) == 0 && S_ISDIR(disk.st_mode));
  const FileIdentity off = IdentityOfPath(secret);
  for (const std::string& name : kRollFiles) {
    const std::string path = ResolveDataFile(result.found + name);
    struct stat st;
    FUZZ_CHECK(lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_dev == disk.st_dev);
    ReadOnlyFile file;
    FUZZ_CHECK(file.Open(path) == OpenStatus::kOk);
    FUZZ_CHECK(!file.Identity().SameFile(off));
  }
  return 0;
}
