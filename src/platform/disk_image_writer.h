// Writing a data disk as an ISO 9660 image file, the way a mastered disk holds it: every file in
// the root directory under an upper-case 8.3 name with the version suffix (MROLL.COR;1), and,
// unless asked not to, a Joliet tree that keeps each name as given (mroll.cor). The image is an
// output like any other (platform/output_file.h): written beside its final path under a
// temporary name and put in place only when it is whole, so a failed or interrupted write leaves
// whatever was there before.
#pragma once

#include <string>
#include <vector>

struct IsoImageFile {
  std::string name;        // the name on the disk, an 8.3 name without directories
  std::string sourcePath;  // a regular file whose bytes it gets
};

struct IsoImageOptions {
  bool joliet = true;
  std::string volumeId = "MUSTER_ROLL";
};

// Writes `files`, in that order, into a new image at `outPath`, replacing a file already there.
// Each source is opened without blocking and must be a regular file that does not change while
// it is copied. False with *error naming the file at fault: a source that cannot be read, or the
// image when its bytes cannot be written ("out.iso: write error: File too large").
bool WriteIsoImage(const std::vector<IsoImageFile>& files, const std::string& outPath,
                   const IsoImageOptions& options, std::string* error);

// Finds each of `names` in `directory`, under its own name or else the same name in another case,
// and pairs it with that name as its name on the disk. False with *error ("<directory>: no
// mroll.tre") when one is missing.
bool CollectImageFiles(const std::string& directory, const std::vector<std::string>& names,
                       std::vector<IsoImageFile>* files, std::string* error);
