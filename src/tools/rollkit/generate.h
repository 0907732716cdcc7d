// The synthetic roll: deterministic, realistic entries written as the CSV that `build` reads.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The column names of the CSV that build reads and dump and generate write: surname, name text,
// then the ten fields of database 1 in label order.
const std::vector<std::string>& RollCsvHeader();

// One generated entry, texts in UTF-8, in the columns of RollCsvHeader.
struct GeneratedEntry {
  std::vector<std::string> columns;
};

// Draws entries one after another; the same seed always gives the same sequence.
class RollGenerator {
 public:
  explicit RollGenerator(std::uint64_t seed);
  ~RollGenerator();
  RollGenerator(const RollGenerator&) = delete;
  RollGenerator& operator=(const RollGenerator&) = delete;

  void Next(GeneratedEntry* entry);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl;
};

// The most entries a roll can hold: slot numbers are 32-bit.
inline constexpr std::uint64_t kMostGeneratedEntries = 2147483647;

struct GenerateOptions {
  std::uint64_t entries = 100000;  // at most kMostGeneratedEntries
  std::uint64_t seed = 1;
  std::string csvPath;  // "-" for standard output
};

// The `generate` subcommand: returns the process exit status.
int RunGenerate(const GenerateOptions& options);
