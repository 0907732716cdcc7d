#include "tools/rollkit/output_guard.h"

#include "platform/output_file.h"

void AddRollFiles(const RollFiles& files, InputFiles* inputs) {
  inputs->AddRoll(files.image.empty() ? files.directory : files.image);
}

std::string RefusalToOverwrite(const std::string& subject, const InputFile& file, const std::string& role) {
  const std::string what = subject == file.path ? role : file.path + ", " + role;
  return subject + ": is " + what + "; nothing was written";
}

std::string RefusalForOutput(const std::string& path, const InputFiles& inputs, const std::string& role) {
  const ReplacedInput replaced = InputReplacedBy(path, inputs);
  switch (replaced.kind) {
    case ReplacedInput::kNone:
      return {};
    case ReplacedInput::kInput:
      return RefusalToOverwrite(path, replaced.file, role);
    case ReplacedInput::kRollFile:
      return RefusalToOverwrite(path, replaced.file, "a file of a roll database");
  }
  return {};
}

std::string RefusalForStandardOutput(const InputFiles& inputs, const std::string& role) {
  const InputFile* file = inputs.Find(StandardOutputIdentity());
  return file ? RefusalToOverwrite("standard output", *file, role) : std::string();
}
