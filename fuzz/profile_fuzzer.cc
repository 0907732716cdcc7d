// The INI reader: any text as brevik.ini, read for the two keys the program uses (and a section
// and key named by the input's first line), into buffers of the sizes the callers use; then the
// whole configuration step, which turns the values into the two directories.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "platform/file_system.h"
#include "platform/profile.h"
#include "store/data_location.h"
#include "store/roll_format.h"

namespace {

void Read(std::string_view text, const char* section, const char* key, std::size_t size) {
  auto out = std::make_unique<char[]>(size);
  const std::size_t n = ParseProfileString(text, section, key, "fallback", out.get(), size);
  FUZZ_CHECK(n < size && out[n] == '\0');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (std::size_t n : {std::size_t{1}, std::size_t{5}, std::size_t{kMaxPath}}) {
    Read(text, "Kinloom7m", "KinloomDir", n);
    Read(text, "Kinloom7m", "MRPath", n);
  }
  const std::string first(text.substr(0, text.find('\n')));
  const std::size_t tab = first.find('\t');
  if (tab != std::string::npos) {
    const std::string section = first.substr(0, tab);
    const std::string key = first.substr(tab + 1);
    Read(text, section.c_str(), key.c_str(), kMaxPath);
  }

  static const std::string path = [] {
    std::string p = fuzz::ScratchDir() + "brevik.ini";
    setenv("BREVIK_INI", p.c_str(), 1);
    return p;
  }();
  fuzz::WriteFile(path, text);
  DataLocation location;
  location.ReadConfiguration();
  const char* family = location.familyDirectory.get();
  const std::size_t familyLength = std::strlen(family);
  FUZZ_CHECK(familyLength >= 1 && familyLength < kMaxPath + 1 && family[familyLength - 1] == kPathSeparator);
  const std::size_t dataLength = strnlen(location.dataDirectory, kMaxPath);
  FUZZ_CHECK(dataLength < kMaxPath);
  if (location.dataDirectoryUsable) {
    FUZZ_CHECK(dataLength >= 1 && dataLength <= kMaxDataDirectoryLength &&
          location.dataDirectory[dataLength - 1] == kPathSeparator);
  } else {
    FUZZ_CHECK(dataLength == 0);
  }
  return 0;
}
