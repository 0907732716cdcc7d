#include "platform/open_checked.h"

#include <cerrno>
#include <cstring>

bool OpenChecked(const std::string& path, const char* role, ReadOnlyFile* file, std::string* error) {
  FileKind kind = FileKind::kMissing;
  switch (file->Open(path, &kind)) {
    case OpenStatus::kOk:
      return true;
    case OpenStatus::kMissing:
      *error = path + ": missing";
      return false;
    case OpenStatus::kNotRegular:
      *error = path + ": " + DescribeFileKind(kind) + ", not " + role;
      return false;
    case OpenStatus::kUnreadable:
      break;
  }
  *error = path + ": cannot be read: " + std::strerror(errno);
  return false;
}
