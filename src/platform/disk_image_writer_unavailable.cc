// The image writer of a build without disk images (the libraries it rests on are not built for
// every platform): every call fails with one message that says so, before anything is written.
#include "platform/disk_image_writer.h"

namespace {
constexpr char kUnavailable[] = "disk images are not supported by this build";
}  // namespace

bool WriteIsoImage(const std::vector<IsoImageFile>&, const std::string& outPath, const IsoImageOptions&,
                   std::string* error) {
  *error = outPath + ": " + kUnavailable;
  return false;
}

bool CollectImageFiles(const std::string&, const std::vector<std::string>&, std::vector<IsoImageFile>*,
                       std::string* error) {
  *error = kUnavailable;
  return false;
}
