#include "tools/rollkit/generate.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "platform/output_file.h"
#include "tools/rollkit/csv_io.h"
#include "tools/rollkit/exit_status.h"
#include "tools/rollkit/names_data.h"
#include "tools/rollkit/output_guard.h"
#include "tools/rollkit/prng.h"

namespace {

// Shares of the roll, in percent.
constexpr unsigned kRareSurnamePercent = 30;
constexpr unsigned kUnionPercent = 68;
constexpr unsigned kOfficerPercent = 4;
constexpr unsigned kPromotedPercent = 22;
constexpr unsigned kMiddleInitialPercent = 45;
constexpr unsigned kRemarkPercent = 15;
constexpr unsigned kNoMicrofilmPercent = 2;

// Rare surnames are ranked; rank r is drawn with a chance falling as 1/r (a level of ranks
// [2^l, 2^(l+1)) is chosen uniformly, then a rank within it). Starting at level 6 keeps even the
// most frequent rare name below the common ones.
constexpr int kFirstRareLevel = 6;
constexpr int kRareLevels = 11;

// Officer ranks: the first six ("2D LIEUT" to "COL") are a line of promotion; from the fourth
// ("MAJ") on, an officer belongs to the field and staff ("F&S") instead of a company.
constexpr std::size_t kPromotionLineLength = 6;
constexpr std::size_t kFirstStaffOfficerRank = 3;

class WeightedTable {
 public:
  WeightedTable(const WeightedName* names, std::size_t count) : weightedNames(names) {
    std::uint64_t total = 0;
    for (std::size_t i = 0; i < count; ++i) {
      total += names[i].weight;
      cumulative.push_back(total);
    }
  }
  std::size_t PickIndex(Prng& rng) const {
    const std::uint64_t x = rng.Below(cumulative.back());
    return std::upper_bound(cumulative.begin(), cumulative.end(), x) - cumulative.begin();
  }
  const char* Pick(Prng& rng) const { return weightedNames[PickIndex(rng)].text; }

 private:
  const WeightedName* weightedNames;
  std::vector<std::uint64_t> cumulative;
};

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; });
}

std::string UpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

}  // namespace

const std::vector<std::string>& RollCsvHeader() {
  static const std::vector<std::string> header = {
      "surname", "name",  "middle_initial", "company", "unit", "rank_in",
      "rank_out", "misc", "box",            "roll",    "record", "side"};
  return header;
}

struct RollGenerator::Impl {
  explicit Impl(std::uint64_t seed)
      : rng(seed),
        surnames(kCommonSurnames, kCommonSurnameCount),
        givenNames(kGivenNames, kGivenNameCount),
        enlisted(kEnlistedRanks, kEnlistedRankCount),
        officers(kOfficerRanks, kOfficerRankCount),
        remarks(kRemarks, kRemarkCount) {
    for (std::size_t i = 0; i < kUnitCount; ++i) {
      (kUnits[i].side == 'C' ? confederateUnits : unionUnits).push_back(i);
    }
  }

  std::string RareSurname() {
    const int level = kFirstRareLevel + static_cast<int>(rng.Below(kRareLevels));
    std::uint64_t rank = (1ull << level) + rng.Below(1ull << level) - (1ull << kFirstRareLevel);
    std::string name;
    const std::uint64_t prefix = rank % kSurnamePrefixCount;
    rank /= kSurnamePrefixCount;
    const std::uint64_t suffix = rank % kSurnameSuffixCount;
    rank /= kSurnameSuffixCount;
    const std::uint64_t middle = rank % (kSurnameMiddleCount + 1);
    rank /= kSurnameMiddleCount + 1;
    const std::uint64_t mark = rank % 8;
    if (mark == 1) name = "Mc";
    if (mark == 2) name = "O'";
    name += kSurnamePrefixes[prefix];
    if (middle > 0) name += kSurnameMiddles[middle - 1];
    name += kSurnameSuffixes[suffix];
    return name;
  }

  std::string NameText() {
    const std::string given = givenNames.Pick(rng);
    const unsigned variant = static_cast<unsigned>(rng.Below(100));
    if (variant < 8) {
      for (std::size_t i = 0; i < kGivenNameAbbreviationCount; ++i) {
        if (given == kGivenNameAbbreviations[i].name) return kGivenNameAbbreviations[i].abbreviation;
      }
    } else if (variant < 10) {
      return given.substr(0, 1) + ".";
    } else if (variant < 12) {
      return given.substr(0, 1) + " " + static_cast<char>('A' + rng.Below(26));
    } else if (variant < 15 && IsAscii(given)) {
      return UpperAscii(given);
    }
    return given;
  }

  void Ranks(bool officer, std::string* in, std::string* out, std::size_t* officerRank) {
    if (officer) {
      std::size_t rank = officers.PickIndex(rng);
      *officerRank = rank;
      *in = kOfficerRanks[rank].text;
      if (rank + 1 < kPromotionLineLength && rng.Percent(kPromotedPercent)) ++rank;
      *out = kOfficerRanks[rank].text;
      return;
    }
    *in = enlisted.Pick(rng);
    *out = *in;
    if (!rng.Percent(kPromotedPercent)) return;
    if (*in == "PVT") {
      static const char* const kUp[] = {"CORP", "CORP", "CORP", "SERG", "SERG", "1ST SERG", "2D LIEUT"};
      *out = kUp[rng.Below(sizeof(kUp) / sizeof(kUp[0]))];
    } else if (*in == "CORP") {
      *out = rng.Percent(80) ? "SERG" : "PVT";
    } else if (*in == "SERG") {
      static const char* const kUp[] = {"1ST SERG", "1ST SERG", "2D LIEUT", "PVT"};
      *out = kUp[rng.Below(sizeof(kUp) / sizeof(kUp[0]))];
    } else if (*in == "1ST SERG") {
      *out = rng.Percent(70) ? "2D LIEUT" : "1ST LIEUT";
    }
  }

  void Next(GeneratedEntry* entry) {
    auto& c = entry->columns;
    c.assign(RollCsvHeader().size(), std::string());
    c[0] = rng.Percent(kRareSurnamePercent) ? RareSurname() : surnames.Pick(rng);
    c[1] = NameText();
    if (rng.Percent(kMiddleInitialPercent)) {
      static const char kInitials[] = "AABBCCDEEFGHHJJKLLMMNOPRSSTWW";
      c[2] = std::string(1, kInitials[rng.Below(sizeof(kInitials) - 1)]);
    } else {
      c[2] = rng.Percent(70) ? "" : " ";
    }
    const bool isUnion = rng.Percent(kUnionPercent);
    const auto& units = isUnion ? unionUnits : confederateUnits;
    const std::size_t unit = units[rng.Below(units.size())];
    const std::string_view unitName = kUnits[unit].text;
    const bool mounted = unitName.find("CAV") != std::string_view::npos ||
                         unitName.find("ART") != std::string_view::npos;

    std::size_t officerRank = 0;
    const bool officer = rng.Percent(kOfficerPercent);
    Ranks(officer, &c[5], &c[6], &officerRank);
    if (officer && officerRank >= kFirstStaffOfficerRank) {
      c[3] = "F&S";
    } else if (rng.Percent(1)) {
      c[3] = " ";
    } else {
      static const char kCompanies[] = "ABCDEFGHIKLM";  // no J on the rolls
      c[3] = std::string(1, kCompanies[rng.Below(mounted ? 12 : 10)]);
    }
    c[4] = unitName;
    if (rng.Percent(kRemarkPercent)) {
      c[7] = remarks.Pick(rng);
    } else {
      c[7] = rng.Percent(75) ? "" : " ";
    }
    if (rng.Percent(kNoMicrofilmPercent)) {
      c[8] = c[9] = c[10] = " ";
    } else {
      c[8] = std::to_string(1 + (unit * 37) % 1480);
      c[9] = std::to_string(1 + rng.Below(400));
      c[10] = std::to_string(1 + rng.Below(9000));
    }
    c[11] = isUnion ? "U" : "C";
  }

  Prng rng;
  WeightedTable surnames;
  WeightedTable givenNames;
  WeightedTable enlisted;
  WeightedTable officers;
  WeightedTable remarks;
  std::vector<std::size_t> unionUnits;
  std::vector<std::size_t> confederateUnits;
};

RollGenerator::RollGenerator(std::uint64_t seed) : impl(std::make_unique<Impl>(seed)) {}
RollGenerator::~RollGenerator() = default;
void RollGenerator::Next(GeneratedEntry* entry) { impl->Next(entry); }

int RunGenerate(const GenerateOptions& options) {
  const bool toStandardOutput = options.csvPath == "-";
  OutputFile output;
  std::string error;
  if (!toStandardOutput) {
    if (const std::string refusal = RefusalForOutput(options.csvPath, InputFiles(), ""); !refusal.empty()) {
      return ReportProblem(refusal);
    }
    if (!output.Open(options.csvPath, &error)) return ReportProblem(error);
  }
  std::FILE* out = toStandardOutput ? stdout : output.Stream();
  CsvWriter writer(out);
  std::vector<std::string_view> view;
  for (const auto& name : RollCsvHeader()) view.push_back(name);
  writer.Write(view);
  RollGenerator generator(options.seed);
  GeneratedEntry entry;
  for (std::uint64_t i = 0; i < options.entries; ++i) {
    generator.Next(&entry);
    view.assign(entry.columns.begin(), entry.columns.end());
    writer.Write(view);
  }
  const std::string name = toStandardOutput ? std::string("standard output") : options.csvPath;
  if (!writer.Finish()) return ReportProblem(name + ": write error: " + std::strerror(errno));
  if (!toStandardOutput && !output.Commit(&error)) return ReportProblem(error);
  return kExitOk;
}
