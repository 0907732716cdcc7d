#include "research/log_place.h"

#include "platform/places.h"

std::string DefaultLogPath() {
  const std::string directory = UserDataDirectory();
  return directory.empty() ? std::string() : JoinPath(directory, kLogFileName);
}
