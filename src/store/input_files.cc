#include "store/input_files.h"

#include <filesystem>

#include "platform/data_file.h"
#include "platform/disk_image.h"
#include "platform/output_file.h"
#include "store/roll_format.h"

namespace {

constexpr const char* kRollFileNames[] = {kMarkerFileName, kNameFileName, kLineFileName, kIndexFileName};

std::string WithSeparator(const std::string& directory) {
  if (directory.empty() || IsPathSeparator(directory.back())) return directory;
  return directory + kPathSeparator;
}

bool SameNameIgnoringCase(const std::string& a, const char* b) {
  std::size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return i == a.size() && b[i] == '\0';
}

}  // namespace

void InputFiles::AddRoll(const std::string& dataDirectory) {
  const std::string directory = WithSeparator(dataDirectory);
  // Every file inside an image is the image's bytes: writing over it would destroy them all.
  if (std::string image; DataFileInImage(directory + kMarkerFileName, &image)) {
    Add(image);
    const std::string sectors = DiskImage::SectorFileOf(image);
    if (sectors != image) Add(sectors);
    return;
  }
  for (const char* name : kRollFileNames) Add(ResolveDataFile(directory + name));
}

void InputFiles::AddRollFilesIn(const std::string& directory) {
  std::error_code ec;
  const std::string prefix = WithSeparator(directory);
  for (const auto& entry : std::filesystem::directory_iterator(directory.empty() ? "." : directory, ec)) {
    const std::string name = entry.path().filename().string();
    for (const char* own : kRollFileNames) {
      if (SameNameIgnoringCase(name, own)) Add(prefix + name);
    }
  }
}

void InputFiles::Add(const std::string& path) { Add(path, IdentityOfPath(path)); }

void InputFiles::Add(const std::string& path, const FileIdentity& identity) {
  if (identity.known) files.push_back({path, identity});
}

const InputFile* InputFiles::Find(const FileIdentity& identity) const {
  for (const InputFile& file : files) {
    if (file.identity.SameFile(identity)) return &file;
  }
  return nullptr;
}

ReplacedInput InputReplacedBy(const std::string& path, const InputFiles& inputs) {
  const FileIdentity identity = IdentityOfPath(path);
  if (!identity.known) return {};
  if (const InputFile* file = inputs.Find(identity)) return {ReplacedInput::kInput, *file};
  InputFiles beside;
  beside.AddRollFilesIn(DirectoryOf(FinalTargetOf(path)));
  if (const InputFile* file = beside.Find(identity)) return {ReplacedInput::kRollFile, *file};
  return {};
}
