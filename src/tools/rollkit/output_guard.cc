#include "tools/rollkit/output_guard.h"

#include <strings.h>

#include <filesystem>

#include "platform/output_file.h"
#include "store/roll_format.h"

void AddRollFiles(const RollFiles& files, std::vector<GuardedFile>* guarded) {
  // Files inside an image are the image's bytes: writing over it would destroy them all.
  if (!files.image.empty()) {
    const FileIdentity identity = IdentityOfPath(files.image);
    if (identity.known) guarded->push_back({files.image, identity});
    return;
  }
  for (const std::string* path : {&files.marker, &files.nameFile, &files.lineFile, &files.indexFile}) {
    if (path->empty()) continue;
    const FileIdentity identity = IdentityOfPath(*path);
    if (identity.known) guarded->push_back({*path, identity});
  }
}

void AddRollFilesIn(const std::string& directory, std::vector<GuardedFile>* guarded) {
  std::error_code ec;
  const std::string prefix =
      directory.empty() || IsPathSeparator(directory.back()) ? directory : directory + "/";
  for (const auto& entry : std::filesystem::directory_iterator(directory.empty() ? "." : directory, ec)) {
    const std::string name = entry.path().filename().string();
    for (const char* own : {kNameFileName, kLineFileName, kIndexFileName, kMarkerFileName}) {
      if (strcasecmp(name.c_str(), own) != 0) continue;
      const FileIdentity identity = IdentityOfPath(prefix + name);
      if (identity.known) guarded->push_back({prefix + name, identity});
    }
  }
}

const GuardedFile* FindGuarded(const FileIdentity& identity, const std::vector<GuardedFile>& guarded) {
  for (const GuardedFile& file : guarded) {
    if (file.identity.SameFile(identity)) return &file;
  }
  return nullptr;
}

std::string RefusalToOverwrite(const std::string& subject, const GuardedFile& file, const std::string& role) {
  const std::string what = subject == file.path ? role : file.path + ", " + role;
  return subject + ": is " + what + "; nothing was written";
}

std::string RefusalForOutput(const std::string& path, const std::vector<GuardedFile>& guarded, const std::string& role) {
  const FileIdentity identity = IdentityOfPath(path);
  if (!identity.known) return {};
  if (const GuardedFile* file = FindGuarded(identity, guarded)) return RefusalToOverwrite(path, *file, role);
  std::vector<GuardedFile> beside;
  AddRollFilesIn(DirectoryOf(FinalTargetOf(path)), &beside);
  if (const GuardedFile* file = FindGuarded(identity, beside)) {
    return RefusalToOverwrite(path, *file, "a file of a roll database");
  }
  return {};
}
