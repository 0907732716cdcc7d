// The viewer's own settings file and what is taken from it: any bytes as dravenholt.conf, read
// for the remembered zoom and the remembered place. A zoom is used only at one of the View
// menu's steps, whatever the file says (a huge number, "inf", "nan"); a place is used as the data
// directory only within its buffer, and the look for the marker there ends with an answer, never
// waiting. The second part is the file at "place.img" beside the settings, for a remembered
// place that names it (an image, or anything else).
//
// Input parts (fuzz_support.h): settings file, place file.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>

#include "app/view_zoom.h"
#include "app/viewer_settings.h"
#include "fuzz_support.h"
#include "store/data_location.h"

namespace {

bool IsStep(double zoom) {
  return std::find(std::begin(kZoomSteps), std::end(kZoomSteps), zoom) != std::end(kZoomSteps);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string scratch = [] {
    const std::string dir = fuzz::ScratchDir();
    std::filesystem::create_directories(dir + "config/dravenholt");
    setenv("XDG_CONFIG_HOME", (dir + "config").c_str(), 1);
    return dir;
  }();
  const std::vector<std::string_view> parts = fuzz::SplitParts(data, size, 2);
  fuzz::WriteFile(scratch + "config/dravenholt/dravenholt.conf", parts[0]);
  fuzz::WriteFile(scratch + "place.img", parts[1]);

  const std::optional<double> zoom = RememberedZoom();
  FUZZ_CHECK(!zoom || *zoom > 0);
  for (const QSize available : {QSize(1920, 1080), QSize(640, 480), QSize(0, 0)}) {
    FUZZ_CHECK(IsStep(StartZoom(zoom, QSize(640, 480), available)));
  }
  if (zoom) FUZZ_CHECK(IsStep(StepAfter(*zoom)) && IsStep(StepBefore(*zoom)) && IsStep(NearestStep(*zoom)));

  // A relative place is taken from the scratch directory, where place.img lies, standing in for
  // the viewer's working directory (the fuzzer's own must stay where its corpus is).
  std::string place = RememberedDataPlace().toLocal8Bit().toStdString();
  if (!place.empty() && place[0] != '/') place = scratch + place;
  DataLocation location;
  location.SetDirectories(scratch.c_str(), place.c_str());
  const std::size_t length = strnlen(location.dataDirectory, sizeof location.dataDirectory);
  FUZZ_CHECK(length < sizeof location.dataDirectory);
  FUZZ_CHECK(location.dataDirectoryUsable == (length > 0));
  if (location.dataDirectoryUsable) {
    FUZZ_CHECK(length <= static_cast<std::size_t>(kMaxDataDirectoryLength));
    FUZZ_CHECK(location.dataDirectory[length - 1] == '/');
  }
  const int present = location.MarkerFilePresent();
  FUZZ_CHECK(present == 0 || present == 1);
  return 0;
}
