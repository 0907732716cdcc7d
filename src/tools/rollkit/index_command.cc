// rollkit index: builds a roll's companion index ahead of time into the user's cache, and says
// where it is and how big.
#include <chrono>
#include <cstdio>
#include <string>

#include "store/companion_cache.h"
#include "store/roll_format.h"
#include "tools/rollkit/commands.h"
#include "tools/rollkit/database_files.h"
#include "tools/rollkit/exit_status.h"

namespace {

std::string Megabytes(std::int64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1e6);
  return text;
}

}  // namespace

int RunIndex(const IndexOptions& options) {
  std::string directory, error;
  if (!ResolveDataDirectory(options.dataDirectory, &directory, &error)) return ReportProblem(error);
  RollFiles files;
  if (!LocateRollFiles(directory, &files, &error)) return ReportProblem(error);
  const std::pair<const std::string*, const char*> required[] = {
      {&files.nameFile, kNameFileName}, {&files.lineFile, kLineFileName}, {&files.indexFile, kIndexFileName}};
  for (const auto& [path, name] : required) {
    if (path->empty()) return ReportProblem(ExpectedPath(files, name) + ": missing");
  }
  ReadOnlyFile names, lines, index;
  if (!OpenRollFile(files.nameFile, &names, &error) || !OpenRollFile(files.lineFile, &lines, &error) ||
      !OpenRollFile(files.indexFile, &index, &error)) {
    return ReportProblem(error);
  }
  if (options.noCompanion) {
    std::printf("%s: the companion index is turned off (--no-companion): nothing built\n",
                files.directory.c_str());
    return kExitOk;
  }
  const RollFilesView roll{&names, &lines, &index};
  const std::int64_t rollBytes = names.Size() + lines.Size() + index.Size();
  const std::string cache = CompanionCacheDirectory(&error);
  if (cache.empty()) return ReportProblem("no place for the companion index: " + error);

  if (!options.rebuild) {
    CompanionReader reader;
    std::string reason;
    if (OpenCompanion(cache, roll, &reader, &reason) == CompanionStatus::kOpen && reader.VerifyAll()) {
      std::printf("%s: companion index up to date: %s%s\n", files.directory.c_str(), cache.c_str(),
                  CompanionFileName(roll).c_str());
      return kExitOk;
    }
  }
  const auto start = std::chrono::steady_clock::now();
  std::string path;
  CompanionStats stats;
  if (!BuildCompanionInCache(cache, roll, {}, kDefaultCompanionCacheCap, &path, &stats, &error)) {
    return ReportProblem(files.directory + ": no companion index built: " + error);
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf(
      "%s: companion index built in %.2f s: %s, %s (%.1f%% of the roll's %s; %lld surnames, %lld unit "
      "texts)\n",
      files.directory.c_str(), seconds, path.c_str(), Megabytes(stats.bytes).c_str(),
      rollBytes > 0 ? 100.0 * static_cast<double>(stats.bytes) / static_cast<double>(rollBytes) : 0.0,
      Megabytes(rollBytes).c_str(), static_cast<long long>(stats.keys),
      static_cast<long long>(stats.unitTexts));
  return std::fflush(stdout) == 0 && !std::ferror(stdout) ? kExitOk
                                                          : ReportProblem("standard output: write error");
}
