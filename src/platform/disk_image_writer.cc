// The image is mastered with libarchive's ISO 9660 writer: Debian keeps libarchive well (it is
// already on nearly every system, cmake among its users), it writes level-1 names with their
// version suffix and a Joliet tree, and it takes the file contents from us and writes to a
// descriptor we hold, so every source open and the atomic replacement of the output stay ours.
// libisofs, the other candidate, opens the sources by path itself. libarchive stages the
// contents in an unnamed temporary file under $TMPDIR (the directories precede the data on the
// disk), which disappears with the process. The image itself is an OutputFile
// (platform/output_file.h): built beside its place, under the same rules as every other output.
#include "platform/disk_image_writer.h"

#include <archive.h>
#include <archive_entry.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/file_system.h"
#include "platform/open_checked.h"
#include "platform/output_file.h"
#include "platform/read_buffer.h"

namespace {

constexpr std::size_t kCopyChunk = 1 << 20;

struct ArchiveFree {
  void operator()(archive* a) const { archive_write_free(a); }
};
struct EntryFree {
  void operator()(archive_entry* e) const { archive_entry_free(e); }
};

std::string SystemError(const std::string& path) { return path + ": " + std::strerror(errno); }

// A failed write of the image's bytes (the staged contents or the image itself): the image is
// what could not be written, whichever source was being added.
std::string WriteError(archive* a, const std::string& outPath) {
  const int code = archive_errno(a);
  return outPath + ": write error: " + (code > 0 ? std::strerror(code) : archive_error_string(a));
}

// Adds one file: its header, then its bytes, read through our own checked open.
bool AddFile(archive* a, const IsoImageFile& file, const std::string& outPath, const ReadBuffer& buffer,
             std::string* error) {
  ReadOnlyFile source;
  if (!OpenChecked(file.sourcePath, "a regular file", &source, error)) return false;
  const FileIdentity before = source.Identity();
  const std::int64_t size = source.Size();
  const std::unique_ptr<archive_entry, EntryFree> entry(archive_entry_new());
  archive_entry_set_pathname(entry.get(), file.name.c_str());
  archive_entry_set_filetype(entry.get(), AE_IFREG);
  archive_entry_set_perm(entry.get(), 0444);
  archive_entry_set_size(entry.get(), size);
  archive_entry_set_mtime(entry.get(), before.modified / 1000000000, before.modified % 1000000000);
  if (archive_write_header(a, entry.get()) != ARCHIVE_OK) {
    *error = file.sourcePath + ": " + archive_error_string(a);
    return false;
  }
  std::int64_t copied = 0;
  while (copied < size) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(kCopyChunk, size - copied));
    unsigned char* bytes = buffer.At(copied);
    const std::int64_t n = source.ReadAt(copied, bytes, want);
    if (n < 0) {
      *error = SystemError(file.sourcePath);
      return false;
    }
    if (n == 0) break;
    if (archive_write_data(a, bytes, static_cast<std::size_t>(n)) != n) {
      *error = WriteError(a, outPath);
      return false;
    }
    copied += n;
  }
  if (copied != size || !source.Identity().Unchanged(before)) {
    *error = file.sourcePath + ": changed while it was copied";
    return false;
  }
  return true;
}

bool SetOption(archive* a, const char* option, const char* value, std::string* error) {
  if (archive_write_set_format_option(a, "iso9660", option, value) == ARCHIVE_OK) return true;
  *error = std::string("ISO 9660 writer: ") + option + ": " + archive_error_string(a);
  return false;
}

}  // namespace

bool WriteIsoImage(const std::vector<IsoImageFile>& files, const std::string& outPath,
                   const IsoImageOptions& options, std::string* error) {
  if (KindOfPath(outPath) == FileKind::kDirectory) {
    *error = outPath + ": is a directory";
    return false;
  }
  for (const IsoImageFile& file : files) {
    if (file.name.empty() || file.name.find('/') != std::string::npos) {
      *error = file.sourcePath + ": \"" + file.name + "\" is not a name for the root directory";
      return false;
    }
  }

  OutputFile out;
  if (!out.Open(outPath, error)) return false;

  const std::unique_ptr<archive, ArchiveFree> a(archive_write_new());
  if (!a) {
    *error = "ISO 9660 writer: out of memory";
    return false;
  }
  // Level 1 names (8.3, upper case, ";1"), no Rock Ridge, no padding after the last file.
  if (archive_write_set_format_iso9660(a.get()) != ARCHIVE_OK ||
      !SetOption(a.get(), "iso-level", "1", error) || !SetOption(a.get(), "rockridge", nullptr, error) ||
      !SetOption(a.get(), "pad", nullptr, error) ||
      !SetOption(a.get(), "joliet", options.joliet ? "1" : nullptr, error) ||
      !SetOption(a.get(), "volume-id", options.volumeId.c_str(), error)) {
    if (error->empty()) *error = std::string("ISO 9660 writer: ") + archive_error_string(a.get());
    return false;
  }
  // Whole sectors in one write each call.
  archive_write_set_bytes_per_block(a.get(), 64 * 1024);
  archive_write_set_bytes_in_last_block(a.get(), 1);
  // Written through the stream's descriptor: the stream itself holds nothing to flush.
  if (archive_write_open_fd(a.get(), fileno(out.Stream())) != ARCHIVE_OK) {
    *error = outPath + ": " + archive_error_string(a.get());
    return false;
  }
  const ReadBuffer buffer(kCopyChunk);
  for (const IsoImageFile& file : files) {
    if (!AddFile(a.get(), file, outPath, buffer, error)) return false;
  }
  if (archive_write_close(a.get()) != ARCHIVE_OK) {
    *error = WriteError(a.get(), outPath);
    return false;
  }
  return out.Commit(error);
}

bool CollectImageFiles(const std::string& directory, const std::vector<std::string>& names,
                       std::vector<IsoImageFile>* files, std::string* error) {
  std::string prefix = directory;
  if (!prefix.empty() && !IsPathSeparator(prefix.back())) prefix += '/';
  if (KindOfPath(directory) != FileKind::kDirectory) {
    *error = directory + ": not a directory";
    return false;
  }
  files->clear();
  for (const std::string& name : names) {
    const std::string path = ResolveDataFile(prefix + name);
    if (KindOfPath(path) == FileKind::kMissing) {
      *error = directory + ": no " + name;
      return false;
    }
    files->push_back({name, path});
  }
  return true;
}
