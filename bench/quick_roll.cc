// quick_roll: writes a synthetic roll database straight through RollWriter, for working on the
// benchmarks before a full-size roll is at hand. Surnames follow a Zipf-like law over syllable
// names, so there is one very common surname, a long tail of rare ones and a few of one entry.
//
//   quick_roll --entries N [--seed S] DIR
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "store/roll_writer.h"

namespace {

const char* const kSyllables[] = {"SMI", "TH", "JO", "NES", "BRO", "WN", "MIL", "LER", "DA", "VIS",
                                  "WIL", "SON", "MOO", "RE", "TAY", "LOR", "AN", "DER", "THO", "MAS",
                                  "HAR", "RIS", "MAR", "TIN", "CLA", "RK", "LEW", "IS", "ROB", "ERTS",
                                  "WAL", "KER", "HAL", "YO", "UNG", "AL", "EN", "KIN", "GHT", "SCO"};
const char* const kGiven[] = {"JOHN", "WILLIAM", "JAMES", "GEORGE", "CHARLES", "THOMAS", "HENRY",
                              "JOSEPH", "SAMUEL", "DAVID", "ROBERT", "ANDREW", "BENJAMIN", "DANIEL",
                              "EDWARD", "FRANCIS", "ISAAC", "JACOB", "LEWIS", "MICHAEL", "NATHAN",
                              "PETER", "RICHARD", "ALBERT", "ELI", "HIRAM", "JESSE", "LEVI", "MOSES",
                              "SILAS", "WESLEY", "ZACHARIAH", "Abner", "Calvin", "Enoch", "Ira"};
const char* const kRanks[] = {"PVT", "CORP", "SGT", "1SGT", "MUSC", "2LT", "1LT", "CAPT"};
const char* const kStates[] = {"IL", "OH", "NY", "PA", "IN", "VA", "GA", "TN", "NC", "AL", "MO", "KY"};
const char* const kArms[] = {"INF", "CAV", "ART", "LT ART"};

std::string SurnameOf(std::uint32_t rank) {
  // Rank r spelled in base 40 with syllables: distinct ranks give distinct names.
  std::string s;
  std::uint32_t r = rank;
  do {
    s += kSyllables[r % 40];
    r /= 40;
  } while (r > 0);
  if (s.size() > 16) s.resize(16);
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  long long entries = 100000;
  std::uint64_t seed = 1;
  const char* dir = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--entries") && i + 1 < argc) {
      entries = std::atoll(argv[++i]);
    } else if (!std::strcmp(argv[i], "--seed") && i + 1 < argc) {
      seed = std::strtoull(argv[++i], nullptr, 10);
    } else {
      dir = argv[i];
    }
  }
  if (!dir || entries <= 0) {
    std::fprintf(stderr, "usage: quick_roll --entries N [--seed S] DIR\n");
    return 2;
  }
  mkdir(dir, 0755);

  std::mt19937_64 rng(seed);
  const std::uint32_t surnames = static_cast<std::uint32_t>(entries / 8 + 10);
  // Zipf(1) over the surname ranks by inverse transform on the harmonic sum.
  std::vector<double> cumulative(surnames);
  double sum = 0;
  for (std::uint32_t r = 0; r < surnames; ++r) cumulative[r] = (sum += 1.0 / (r + 1.0));
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<double> givenWeights;
  for (std::size_t i = 0; i < std::size(kGiven); ++i) givenWeights.push_back(1.0 / (i + 1.0));
  std::discrete_distribution<int> given(givenWeights.begin(), givenWeights.end());

  RollWriter writer;
  std::string error;
  for (long long n = 0; n < entries; ++n) {
    // A handful of surnames of exactly one entry, then the Zipf body.
    std::uint32_t rank;
    if (n < 5) {
      rank = surnames + static_cast<std::uint32_t>(n) * 7919u;
    } else {
      const double u = unit(rng) * sum;
      rank = static_cast<std::uint32_t>(std::lower_bound(cumulative.begin(), cumulative.end(), u) - cumulative.begin());
    }
    std::string name = kGiven[given(rng)];
    if (rng() % 3 == 0) name += std::string(" ") + static_cast<char>('A' + rng() % 26);
    if (rng() % 50 == 0) name = std::string(1, name[0]) + ".";
    const std::string initial(1, static_cast<char>('A' + rng() % 26));
    const std::string company(1, static_cast<char>('A' + rng() % 11));
    const std::string regiment = std::to_string(1 + rng() % 150) + " " + kStates[rng() % std::size(kStates)] + " " +
                             kArms[rng() % std::size(kArms)];
    const std::string in = kRanks[rng() % 3];
    const std::string out = kRanks[rng() % std::size(kRanks)];
    const std::string misc = rng() % 4 == 0 ? "DIED OF DISEASE" : "";
    const std::string box = std::to_string(1 + rng() % 900);
    const std::string roll = std::to_string(1 + rng() % 90);
    const std::string record = std::to_string(1 + rng() % 5000);
    const std::string side = rng() % 3 == 0 ? "C" : "U";
    const std::vector<std::string_view> fields = {initial, company, regiment, in, out, misc, box, roll, record, side};
    if (!writer.Add(SurnameOf(rank), name, fields, &error)) {
      std::fprintf(stderr, "quick_roll: %s\n", error.c_str());
      return 1;
    }
  }
  if (!writer.Write(dir, &error)) {
    std::fprintf(stderr, "quick_roll: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
