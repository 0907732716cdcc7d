#include "store/roll_file_handles.h"

#include "store/roll_format.h"

RollStatus OpenRollFileHandles(const std::string& dataDirectory, int number, RollFileHandles* out) {
  out->name.Close();
  out->line.Close();
  out->index.Close();
  const char* base = DatabaseBaseName(number);
  if (!base) return {RollProblem::kNoDatabase, "", "database " + std::to_string(number) + " has no files"};
  const std::string basePath = dataDirectory + base;
  const struct {
    const char* extension;
    RollProblem problem;
    ReadOnlyFile* file;
  } files[] = {{kLineFileExtension, RollProblem::kLineFile, &out->line},
               {kNameFileExtension, RollProblem::kNameFile, &out->name},
               {kIndexFileExtension, RollProblem::kIndexUnreadable, &out->index}};
  for (const auto& f : files) {
    const RollStatus status = OpenRollFileAs(ResolveDataFile(basePath + f.extension), f.problem, f.file);
    if (!status.Ok()) {
      out->name.Close();
      out->line.Close();
      out->index.Close();
      return status;
    }
  }
  return {};
}
