#include "research/roll_identity.h"

#include "platform/data_file.h"
#include "platform/volume_label.h"
#include "store/index_hash.h"

bool IdentifyRoll(const ReadOnlyFile& indexFile, const std::string& indexPath, RollIdentity* out) {
  IndexHash hash;
  if (!HashIndexFile(indexFile, &hash)) return false;
  out->hash = hash.Hex();
  std::string image;
  out->label = DataFileInImage(indexPath, &image) ? VolumeLabelOfImage(image) : std::string();
  return true;
}

bool IdentifyRoll(const std::string& indexPath, RollIdentity* out) {
  ReadOnlyFile file;
  if (OpenDataFile(ResolveDataFile(indexPath), &file) != OpenStatus::kOk) return false;
  return IdentifyRoll(file, indexPath, out);
}
