#include "platform/data_file.h"

#include "platform/disk_image.h"

namespace {

// The directory part of `path` without its separator, and the name after it. On Windows either
// separator ends the directory: a data path is often a folder's native path with "/name" added,
// and a data directory typed with a '/' at its end gets the native one after it as well ("/\").
bool SplitDataPath(const std::string& path, std::string* directory, std::string* name) {
  std::size_t nameStart = path.size();
  while (nameStart > 0 && !IsPathSeparator(path[nameStart - 1])) --nameStart;
  std::size_t directoryEnd = nameStart == 0 ? 0 : nameStart - 1;
  if (kPathSeparator != '/') {
    while (directoryEnd > 0 && IsPathSeparator(path[directoryEnd - 1])) --directoryEnd;
  }
  if (nameStart == 0 || directoryEnd == 0 || nameStart == path.size()) return false;
  *directory = path.substr(0, directoryEnd);
  *name = path.substr(nameStart);
  return true;
}

}  // namespace

bool DataFileInImage(const std::string& path, std::string* image, std::string* name) {
  std::string directory, file;
  if (!SplitDataPath(path, &directory, &file) || KindOfPath(directory) != FileKind::kRegular) return false;
  if (image) *image = directory;
  if (name) *name = file;
  return true;
}

OpenStatus OpenDataFile(const std::string& path, ReadOnlyFile* file, FileKind* kind, std::string* error) {
  std::string imagePath, name;
  if (!DataFileInImage(path, &imagePath, &name)) return file->Open(path, kind);
  file->Close();
  FileKind ignored;
  FileKind& what = kind ? *kind : ignored;
  std::string why;
  std::string& message = error ? *error : why;
  const std::unique_ptr<DiskImage> image = DiskImage::Open(imagePath, &message);
  if (!image) {
    what = FileKind::kUnknown;
    return OpenStatus::kUnreadable;
  }
  ImageFile found;
  if (!image->Find(name, &found, &message)) {
    // Find says "no file NAME" only when no name matches; any other refusal is damage.
    const bool missing = message == image->ImagePath() + ": no file " + name;
    what = missing ? FileKind::kMissing : FileKind::kUnknown;
    return missing ? OpenStatus::kMissing : OpenStatus::kUnreadable;
  }
  *file = image->OpenWindow(found);
  what = FileKind::kRegular;
  return OpenStatus::kOk;
}

bool DataFileUnchanged(const std::string& path, const FileIdentity& identity) {
  if (identity.window < 0) return IdentityOfPath(path).Unchanged(identity);
  std::string imagePath;
  if (!DataFileInImage(path, &imagePath)) return false;
  FileIdentity now = IdentityOfPath(DiskImage::SectorFileOf(imagePath));
  now.window = identity.window;
  return now.Unchanged(identity);
}

std::vector<std::string> DataFileSources(const std::string& path, const FileIdentity& identity) {
  if (identity.window < 0) return {path};
  std::string imagePath;
  if (!DataFileInImage(path, &imagePath)) return {path};
  std::string sectors = DiskImage::SectorFileOf(imagePath);
  if (sectors == imagePath) return {imagePath};
  return {imagePath, std::move(sectors)};
}
