// The image reader of a build without libcdio (it is not built for every platform): no image is
// read, with one message that says so.
#include "platform/iso9660_root.h"

bool ReadIsoRoots(const std::string& imagePath, const ReadOnlyFile&, const FileIdentity&, const std::string&,
                  const SectorLayout*, IsoRoots*, std::string* error) {
  *error = imagePath + ": disk images are not supported by this build";
  return false;
}
