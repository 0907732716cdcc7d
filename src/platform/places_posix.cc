#include <cstdlib>
#include <string_view>

#include "platform/places.h"

std::optional<std::string> EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  if (!value) return std::nullopt;
  return std::string(value);
}

std::vector<std::string> ProfileDirectories() {
  std::vector<std::string> dirs;
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) {
    dirs.emplace_back(config);
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    dirs.push_back(std::string(home) + "/.config");
  }
  const char* list = std::getenv("XDG_CONFIG_DIRS");
  std::string_view rest = (list && *list) ? list : "/etc/xdg";
  while (!rest.empty()) {
    const std::size_t colon = rest.find(':');
    const std::string_view dir = rest.substr(0, colon);
    rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    if (!dir.empty()) dirs.emplace_back(dir);
  }
  return dirs;
}

std::string UserSettingsDirectory() {
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) return config;
  if (const char* home = std::getenv("HOME"); home && *home) return std::string(home) + "/.config";
  return {};
}

std::string UserDataDirectory() {
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/') {
    return JoinPath(data, "dravenholt");
  }
  if (const char* home = std::getenv("HOME"); home && *home == '/') {
    return JoinPath(home, ".local/share/dravenholt");
  }
  return {};
}

std::string UserCacheDirectory() {
  // A relative value is ignored: an XDG base directory must be an absolute path.
  if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache == '/') return cache;
  if (const char* home = std::getenv("HOME"); home && *home) return std::string(home) + "/.cache";
  return {};
}

std::string JoinPath(const std::string& directory, const char* name) {
  if (directory.empty() || directory.back() == '/') return directory + name;
  return directory + '/' + name;
}
