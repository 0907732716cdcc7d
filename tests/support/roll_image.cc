#include "support/roll_image.h"

#include <stdexcept>
#include <vector>

#include "platform/disk_image_writer.h"
#include "platform/file_system.h"

const char* const kRollFileNames[4] = {"mrdb.id", "mroll.cor", "mroll.ext", "mroll.tre"};

void WriteRollIso(const std::string& dataDir, const std::string& outPath, bool joliet) {
  std::vector<std::string> names;
  for (const char* name : kRollFileNames) {
    if (KindOfPath(ResolveDataFile(dataDir + name)) != FileKind::kMissing) names.emplace_back(name);
  }
  std::vector<IsoImageFile> files;
  std::string error;
  if (!CollectImageFiles(dataDir, names, &files, &error)) throw std::runtime_error(error);
  IsoImageOptions options;
  options.joliet = joliet;
  if (!WriteIsoImage(files, outPath, options, &error)) throw std::runtime_error(error);
}
