// Reading a roll file out of a disk image against reading it from its own file: whole-file reads
// in 64 KiB pieces (the given-name scan reads slots a run at a time), scattered 4 KiB reads (index
// nodes, lines), and opening an image with a lookup of the four roll files. The file is 16 MiB of
// pseudo-random bytes; the operating system's cache is warm. Then whole searches through the
// engine, on a roll in a directory and on the same roll read out of its images: a surname's
// first page, and a given-name search that reads every slot and line of a 20,000-entry surname.
//   build-bench/bench/disk_image_bench [--benchmark_repetitions=7 ...]
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "platform/disk_image.h"
#include "platform/disk_image_writer.h"
#include "results/result_list.h"
#include "search_screen.h"
#include "store/data_location.h"
#include "store/roll_database.h"
#include "store/roll_writer.h"
#include "store/search_request.h"
#include "support/raw_image.h"
#include "support/scoped_temp_dir.h"

namespace {

constexpr std::size_t kFileSize = 16 << 20;
constexpr std::size_t kRun = 64 << 10;
constexpr std::size_t kScattered = 4 << 10;

enum Source { kPlain, kIso, kRawMode1, kRawMode2 };
const char* const kSourceNames[] = {"plain file", "iso", "bin MODE1/2352", "bin MODE2/2352"};

// Stops the benchmark program with `error`.
[[noreturn]] void Fail(const std::string& error) {
  std::fprintf(stderr, "disk_image_bench: %s\n", error.c_str());
  std::exit(1);
}

struct Images {
  ScopedTempDir dir;
  std::string plain, iso, cue1, cue2;
  std::string rollDir, rollIso, rollCue;  // a roll, as files and as images of them

  Images() {
    plain = dir.File("mroll.ext");
    std::string bytes(kFileSize, '\0');
    std::mt19937 random(7);
    for (char& c : bytes) c = static_cast<char>(random());
    WriteFileBytes(plain, bytes);
    for (const char* name : {"mrdb.id", "mroll.cor", "mroll.tre"}) WriteFileBytes(dir.File(name), "x");
    std::vector<IsoImageFile> files;
    std::string error;
    iso = dir.File("roll.iso");
    if (!CollectImageFiles(dir.Prefix(), {"mrdb.id", "mroll.cor", "mroll.ext", "mroll.tre"}, &files, &error) ||
        !WriteIsoImage(files, iso, {}, &error)) {
      std::fprintf(stderr, "disk_image_bench: %s\n", error.c_str());
      std::exit(1);
    }
    cue1 = dir.File("mode1.cue");
    cue2 = dir.File("mode2.cue");
    WriteRawImage(iso, dir.File("mode1.bin"), cue1, RawMode::kMode1Raw);
    WriteRawImage(iso, dir.File("mode2.bin"), cue2, RawMode::kMode2Raw);
    WriteRoll();
  }

  void WriteRoll() {
    rollDir = dir.File("roll/");
    if (mkdir(rollDir.c_str(), 0700) != 0) Fail(rollDir + ": cannot be made");
    RollWriter writer;
    std::string error;
    const char* const given[] = {"JOHN", "WILLIAM", "JAMES", "GEORGE", "HENRY"};
    for (int i = 0; i < 40000; ++i) {
      const std::string surname = i % 2 == 0 ? "SMITH" : "JONES" + std::to_string(i % 500);
      const std::string name = std::string(given[i % 5]) + " " + std::to_string(i);
      const std::string unit = std::to_string(i % 200) + " IL INF";
      if (!writer.Add(surname, name, {"J", "A", unit, "PVT", "PVT", "", "1", "2", "3", "U"}, &error)) Fail(error);
    }
    if (!writer.Write(rollDir, &error)) Fail(error);
    std::vector<IsoImageFile> files;
    rollIso = dir.File("roll.iso");
    rollCue = dir.File("roll.cue");
    if (!CollectImageFiles(rollDir, {"mrdb.id", "mroll.cor", "mroll.ext", "mroll.tre"}, &files, &error) ||
        !WriteIsoImage(files, rollIso, {}, &error)) {
      Fail(error);
    }
    WriteRawImage(rollIso, dir.File("roll.bin"), rollCue, RawMode::kMode1Raw);
  }
};

Images& TheImages() {
  static Images images;
  return images;
}

// One way to read the file: a descriptor and, for an image, the file's extent in it.
struct Reader {
  std::unique_ptr<DiskImage> image;
  ImageFile file;
  int plainFd = -1;

  explicit Reader(Source source) {
    Images& images = TheImages();
    if (source == kPlain) {
      plainFd = open(images.plain.c_str(), O_RDONLY);
      return;
    }
    std::string error;
    image = DiskImage::Open(source == kIso        ? images.iso
                            : source == kRawMode1 ? images.cue1
                                                  : images.cue2,
                            &error);
    if (!image || !image->Find("mroll.ext", &file, &error)) {
      std::fprintf(stderr, "disk_image_bench: %s\n", error.c_str());
      std::exit(1);
    }
  }
  ~Reader() {
    if (plainFd >= 0) close(plainFd);
  }
  std::int64_t Read(std::int64_t offset, void* out, std::size_t size) const {
    if (plainFd >= 0) return pread(plainFd, out, size, static_cast<off_t>(offset));
    return image->Read(file, offset, out, size);
  }
};

void ReadWhole(benchmark::State& state) {
  const Source source = static_cast<Source>(state.range(0));
  state.SetLabel(kSourceNames[source]);
  const Reader reader(source);
  std::vector<char> buffer(kRun);
  for (auto _ : state) {
    for (std::size_t at = 0; at < kFileSize; at += kRun) {
      if (reader.Read(static_cast<std::int64_t>(at), buffer.data(), kRun) !=
          static_cast<std::int64_t>(kRun)) {
        state.SkipWithError("short read");
        return;
      }
    }
    benchmark::DoNotOptimize(buffer.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileSize));
}
BENCHMARK(ReadWhole)->DenseRange(kPlain, kRawMode2)->Unit(benchmark::kMillisecond);

void ReadScattered(benchmark::State& state) {
  const Source source = static_cast<Source>(state.range(0));
  state.SetLabel(kSourceNames[source]);
  const Reader reader(source);
  std::vector<std::int64_t> offsets(1024);
  std::mt19937 random(3);
  for (std::int64_t& o : offsets) o = static_cast<std::int64_t>(random() % (kFileSize - kScattered));
  std::vector<char> buffer(kScattered);
  for (auto _ : state) {
    for (std::int64_t offset : offsets)
      benchmark::DoNotOptimize(reader.Read(offset, buffer.data(), kScattered));
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * offsets.size()));
}
BENCHMARK(ReadScattered)->DenseRange(kPlain, kRawMode2)->Unit(benchmark::kMicrosecond);

void OpenAndFind(benchmark::State& state) {
  const Source source = static_cast<Source>(state.range(0));
  state.SetLabel(kSourceNames[source]);
  const Images& images = TheImages();
  const std::string& path = source == kIso ? images.iso : source == kRawMode1 ? images.cue1 : images.cue2;
  for (auto _ : state) {
    std::string error;
    const std::unique_ptr<DiskImage> image = DiskImage::Open(path, &error);
    ImageFile file;
    for (const char* name : {"mrdb.id", "mroll.cor", "mroll.ext", "mroll.tre"}) {
      if (!image || !image->Find(name, &file, &error)) {
        state.SkipWithError(error.c_str());
        return;
      }
    }
  }
}
BENCHMARK(OpenAndFind)->DenseRange(kIso, kRawMode2)->Unit(benchmark::kMicrosecond);

// One search as the viewer runs it, the open set kept from one search to the next (each search
// asks whether the files, or the image, are unchanged). Range 1: with a given name.
void Search(benchmark::State& state) {
  const Source source = static_cast<Source>(state.range(0));
  const bool withGiven = state.range(1) != 0;
  state.SetLabel(std::string(kSourceNames[source]) + (withGiven ? ", given name" : ""));
  Images& images = TheImages();
  DataLocation location;
  const std::string& data = source == kPlain ? images.rollDir : source == kIso ? images.rollIso : images.rollCue;
  location.SetDirectories(images.dir.Prefix().c_str(), data.c_str());
  RollDatabase database(location, NoPromptDialogue());
  ResultList list(database, location.familyDirectory.get());
  SearchRequest request;
  request.SetSurname("SMITH");
  request.SetDatabase(1);
  if (withGiven) request.SetGivenName("WILLIAM");
  for (auto _ : state) {
    list.Show(database.RunSearch(request));
    list.FinishPendingWrites();
    if (list.RowCount() == 0) {
      state.SkipWithError("no rows");
      return;
    }
  }
}
BENCHMARK(Search)->ArgsProduct({{kPlain, kIso, kRawMode1}, {0, 1}})->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
