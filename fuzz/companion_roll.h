// The roll the companion target reads companions against, and the seeds' roll: a few surnames
// over several units, sides and companies, written with the engine's writer.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "store/roll_writer.h"

namespace fuzz {

// Writes the roll into `directory` (ending in '/'); ends the process on failure.
inline void WriteCompanionRoll(const std::string& directory) {
  static const char* const kUnits[] = {"5 IL INF", "2 MD CAV", "11 AL HVY ART", "", "5 il inf"};
  static const char* const kSurnames[] = {"Smith", "Smyth", "Kelly", "Muller", "VanDeusen", "Lee"};
  RollWriter writer;
  std::string error;
  for (int i = 0; i < 120; ++i) {
    const std::string company(1, static_cast<char>('A' + i % 4));
    const std::vector<std::string> fields = {"J", company, kUnits[i % 5], "PVT", "",
                                             "",  "1",     "2",           "3",   i % 3 ? "U" : "C"};
    std::vector<std::string_view> views(fields.begin(), fields.begin() + (i % 11 == 0 ? 3 : 10));
    if (!writer.Add(kSurnames[i % 6], (i % 2 ? "John " : "Mary ") + std::to_string(i % 7), views, &error))
      std::abort();
  }
  if (!writer.Write(directory, &error)) {
    std::fprintf(stderr, "companion roll: %s\n", error.c_str());
    std::abort();
  }
}

}  // namespace fuzz
