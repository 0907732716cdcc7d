#include "store/companion_upkeep.h"

#include "store/companion_cache.h"
#include "store/roll_file_handles.h"

UpkeepResult KeepCompanion(const std::string& dataDirectory, int number,
                           const std::function<bool(const std::string& fileName)>& passOver,
                           const CompanionProgress& progress) {
  UpkeepResult result;
  RollFileHandles files;
  if (const RollStatus opened = OpenRollFileHandles(dataDirectory, number, &files); !opened.Ok()) {
    result.error = opened.Text();
    return result;
  }
  const RollFilesView roll = files.View();
  result.fileName = CompanionFileName(roll);
  if (passOver && passOver(result.fileName)) {
    result.end = UpkeepEnd::kPassedOver;
    return result;
  }
  const std::string cache = CompanionCacheDirectory(&result.error);
  if (cache.empty()) return result;

  CompanionReader reader;
  std::string reason;
  if (OpenCompanion(cache, roll, &reader, &reason) == CompanionStatus::kOpen && reader.VerifyAll()) {
    result.end = UpkeepEnd::kSound;
    return result;
  }
  // The builder says "cancelled" when it was stopped; whether it was is known here for certain.
  bool stopped = false;
  const CompanionProgress watched = [&](int percent) {
    if (progress && !progress(percent)) stopped = true;
    return !stopped;
  };
  std::string path;
  CompanionStats stats;
  if (BuildCompanionInCache(cache, roll, watched, kDefaultCompanionCacheCap, &path, &stats, &result.error)) {
    result.end = UpkeepEnd::kBuilt;
    result.error.clear();
  } else {
    result.end = stopped ? UpkeepEnd::kStopped : UpkeepEnd::kFailed;
  }
  return result;
}
