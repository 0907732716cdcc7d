#include "store/roll_status.h"

#include <cerrno>
#include <cstring>

#include "platform/data_file.h"
#include "platform/message_box.h"

std::string RollStatus::Text() const {
  if (!whole.empty()) return whole;
  return file.empty() ? what : file + ": " + what;
}

RollStatus OpenRollFileAs(const std::string& path, RollProblem problem, ReadOnlyFile* file, OpenStatus* how) {
  FileKind kind = FileKind::kMissing;
  std::string error;
  const OpenStatus opened = OpenDataFile(path, file, &kind, &error);
  const int cause = errno;
  if (how) *how = opened;
  switch (opened) {
    case OpenStatus::kOk:
      return {};
    case OpenStatus::kMissing:
      return {problem, path, "missing"};
    case OpenStatus::kNotRegular:
      return {problem, path, std::string(DescribeFileKind(kind)) + ", not a roll file"};
    case OpenStatus::kUnreadable:
      break;
  }
  // Inside an image the image's reader has said what is wrong, naming the image.
  RollStatus status{
      problem, path,
      error.empty() ? std::string("cannot be read: ") + std::strerror(cause) : "cannot be read"};
  status.whole = error;
  return status;
}

StatusBox BoxFor(const RollStatus& status) {
  switch (status.problem) {
    case RollProblem::kLineFile:
      return {kLineFileMessage, kMbOk, false};
    case RollProblem::kNameFile:
      return {kNameFileMessage, kMbOk, false};
    case RollProblem::kIndexFormat:
      return {kWrongFileFormat, kMbOk, true};
    case RollProblem::kIndexUnreadable:
    case RollProblem::kIndexMissing:
      return {FormatMessage(kIndexUnreadableMessage, status.file), kMbOk | kMbIconExclamation, false};
    case RollProblem::kNone:
    case RollProblem::kNoDisk:
    case RollProblem::kNoDatabase:
    case RollProblem::kStopped:
      break;
  }
  return {};
}
