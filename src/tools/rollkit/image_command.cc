// rollkit image: a roll database written as an ISO 9660 image, the way a mastered data disk holds
// it, so that images can be made for the viewer, the tests and the benchmarks. The files are
// copied as they are; the image is put in place only once it is whole, and never over a file of
// the roll it is made from, --force or not.
#include <string>

#include "platform/disk_image_writer.h"
#include "platform/file_system.h"
#include "platform/output_file.h"
#include "store/roll_format.h"
#include "tools/rollkit/commands.h"
#include "tools/rollkit/database_files.h"
#include "tools/rollkit/exit_status.h"
#include "tools/rollkit/output_guard.h"

int RunImage(const ImageOptions& options) {
  InputFiles inputs;
  inputs.AddRoll(options.directory);
  if (const std::string refusal = RefusalForOutput(options.output, inputs, "a file of the roll being imaged");
      !refusal.empty()) {
    return ReportProblem(refusal);
  }
  if (!options.force && SomethingStandsAt(options.output)) {
    return ReportProblem(options.output + ": exists; use --force to replace it");
  }
  std::vector<IsoImageFile> files;
  std::string error;
  if (!CollectImageFiles(options.directory, {kMarkerFileName, kNameFileName, kLineFileName, kIndexFileName},
                         &files, &error)) {
    return ReportProblem(error);
  }
  IsoImageOptions image;
  image.joliet = options.joliet;
  if (!WriteIsoImage(files, options.output, image, &error)) return ReportProblem(error);
  return kExitOk;
}
