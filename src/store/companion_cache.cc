#include "store/companion_cache.h"

#include <algorithm>
#include <vector>

#include "platform/output_file.h"
#include "platform/places.h"
#include "platform/private_file.h"

namespace {

constexpr const char* kCacheFolder = "dravenholt";

std::string Hex64(std::uint64_t value) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text(16, '0');
  for (int i = 0; i < 16; ++i) text[static_cast<std::size_t>(15 - i)] = kDigits[(value >> (4 * i)) & 0xF];
  return text;
}

}  // namespace

std::string CompanionCacheDirectory(std::string* error) {
  const std::string base = UserCacheDirectory();
  if (base.empty())
    return *error = "no cache directory (neither XDG_CACHE_HOME nor HOME is set)", std::string();
  const std::string directory = JoinPath(base, kCacheFolder);
  if (!MakePrivateDirectory(directory, error)) return {};
  return JoinPath(directory, "");
}

std::string CompanionCachePlace() {
  const std::string base = UserCacheDirectory();
  return base.empty() ? std::string() : JoinPath(JoinPath(base, kCacheFolder), "");
}

std::string CompanionFileName(const RollFilesView& roll) {
  std::string identity;
  for (const ReadOnlyFile* f : {roll.name, roll.line, roll.index}) {
    const BoundFile b = f ? BoundFile::Of(*f) : BoundFile{};
    PutFixed64(&identity, b.device);
    PutFixed64(&identity, b.file);
    PutFixed64(&identity, static_cast<std::uint64_t>(b.window));
  }
  return "roll-" + Hex64(CompanionChecksum(identity.data(), identity.size())) + kCompanionSuffix;
}

CompanionStatus OpenCompanion(const std::string& directory, const RollFilesView& roll,
                              CompanionReader* reader, std::string* reason, const IndexHash* indexHash) {
  const std::string path = directory + CompanionFileName(roll);
  ReadOnlyFile file;
  std::string why;
  switch (OpenPrivateFile(path, &file, &why)) {
    case PrivateFileStatus::kOk:
      break;
    case PrivateFileStatus::kMissing:
      *reason = path + ": missing";
      return CompanionStatus::kMissing;
    default:
      *reason = path + ": " + why;
      return CompanionStatus::kRefused;
  }
  if (!reader->Open(std::move(file), roll, &why, indexHash)) {
    *reason = path + ": " + why;
    return CompanionStatus::kRefused;
  }
  TouchPrivateFile(path);
  return CompanionStatus::kOpen;
}

bool BuildCompanionInCache(const std::string& directory, const RollFilesView& roll,
                           const CompanionProgress& progress, std::int64_t cap, std::string* path,
                           CompanionStats* stats, std::string* error) {
  std::string bytes;
  if (!BuildCompanion(roll, progress, &bytes, error, stats)) return false;
  const std::string name = CompanionFileName(roll);
  *path = directory + name;
  RemoveStaleTemporaries(directory);
  if (!WritePrivateFile(*path, bytes, error)) return false;
  EvictCompanions(directory, cap, name);
  return true;
}

int EvictCompanions(const std::string& directory, std::int64_t cap, std::string_view keep) {
  std::vector<PrivateFileEntry> files = ListPrivateFiles(directory, kCompanionSuffix);
  std::int64_t total = 0;
  for (const PrivateFileEntry& f : files) total += f.size;
  // Oldest use first; the same time in name order, so the choice never depends on the directory.
  std::sort(files.begin(), files.end(), [](const PrivateFileEntry& a, const PrivateFileEntry& b) {
    return a.modified != b.modified ? a.modified < b.modified : a.name < b.name;
  });
  int removed = 0;
  for (const PrivateFileEntry& f : files) {
    if (total <= cap) break;
    if (f.name == keep) continue;
    if (RemovePrivateFile(directory + f.name)) {
      total -= f.size;
      ++removed;
    }
  }
  return removed;
}
