#include "store/surname_match.h"

#include <string>

#include "store/roll_format.h"
#include "store/similar_spelling.h"
#include "store/wildcard.h"

namespace {

constexpr const char* kModeNames[] = {"exact", "wildcard", "soundex", "dm", "similar"};

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

}  // namespace

const char* MatchModeName(MatchMode mode) { return kModeNames[static_cast<int>(mode)]; }

bool ParseMatchMode(std::string_view name, MatchMode* mode) {
  for (int i = 0; i < 5; ++i) {
    if (name == kModeNames[i]) {
      *mode = static_cast<MatchMode>(i);
      return true;
    }
  }
  return false;
}

MatchMode EffectiveMatchMode(MatchMode chosen, std::string_view typed) {
  return HasWildcard(typed) ? MatchMode::kWildcard : chosen;
}

std::vector<KeyMatch> MatchKeys(const KeyCatalogue& catalogue, MatchMode mode, std::string_view typedText) {
  const std::string_view typed = Trimmed(typedText);
  std::vector<KeyMatch> found;
  const std::string ownKey = KeyOf(typed);
  const std::int64_t own = ownKey.empty() ? -1 : catalogue.Find(ownKey);
  const std::size_t count = catalogue.Size();

  auto collect = [&](auto&& detailOf) {
    std::int32_t ownDetail = -1;
    bool ownFound = false;
    for (std::size_t i = 0; i < count; ++i) {
      const std::int32_t detail = detailOf(i);
      if (detail == INT32_MIN) continue;
      if (static_cast<std::int64_t>(i) == own) {
        ownFound = true;
        ownDetail = detail;
        continue;
      }
      found.push_back({static_cast<std::int32_t>(i), detail});
    }
    if (ownFound) found.insert(found.begin(), {static_cast<std::int32_t>(own), ownDetail});
  };

  switch (mode) {
    case MatchMode::kExact:
      if (own >= 0) found.push_back({static_cast<std::int32_t>(own), -1});
      break;
    case MatchMode::kWildcard: {
      const WildcardPattern pattern(typed);
      collect([&](std::size_t i) { return pattern.Matches(catalogue.Key(i)) ? -1 : INT32_MIN; });
      break;
    }
    case MatchMode::kSoundex: {
      SoundexCode wanted[kMaxSoundexCodes];
      const int n = SurnameSoundexCodes(typed, wanted);
      collect([&](std::size_t i) {
        const SoundexCode* codes = nullptr;
        const int m = catalogue.SoundexCodes(i, &codes);
        for (int a = 0; a < n; ++a) {
          for (int b = 0; b < m; ++b) {
            if (wanted[a] == codes[b]) return static_cast<std::int32_t>(codes[b]);
          }
        }
        return INT32_MIN;
      });
      break;
    }
    case MatchMode::kDaitchMokotoff: {
      DmCode wanted[kMaxDmCodes];
      const int n = DaitchMokotoffCodes(typed, wanted);
      collect([&](std::size_t i) {
        const DmCode* codes = nullptr;
        const int m = catalogue.DmCodes(i, &codes);
        const std::int32_t shared = CommonDmCode(wanted, n, codes, m);
        return shared >= 0 ? shared : INT32_MIN;
      });
      break;
    }
    case MatchMode::kSimilar: {
      const SimilarSpelling similar(typed);
      collect([&](std::size_t i) {
        const int distance = similar.Distance(catalogue.Key(i));
        return distance >= 0 ? distance : INT32_MIN;
      });
      break;
    }
  }
  return found;
}

std::string DescribeMatch(MatchMode mode, std::int32_t detail) {
  switch (mode) {
    case MatchMode::kSoundex: {
      char code[5];
      FormatSoundex(static_cast<SoundexCode>(detail), code);
      return std::string("Soundex ") + code;
    }
    case MatchMode::kDaitchMokotoff: {
      char code[7];
      FormatDmCode(static_cast<DmCode>(detail), code);
      return std::string("Daitch-Mokotoff ") + code;
    }
    case MatchMode::kSimilar:
      return detail == 0 ? "the same letters" : std::to_string(detail) + (detail == 1 ? " letter apart" : " letters apart");
    case MatchMode::kWildcard:
      return "wildcard";
    case MatchMode::kExact:
      break;
  }
  return "exact";
}
