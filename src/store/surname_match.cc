#include "store/surname_match.h"

#include <algorithm>
#include <string>

#include "store/key_run_table.h"
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

std::string OwnKey(std::string_view typed) { return KeyOf(Trimmed(typed)); }

MatchMode EffectiveMatchMode(MatchMode chosen, std::string_view typed) {
  return HasWildcard(typed) ? MatchMode::kWildcard : chosen;
}

std::vector<KeyMatch> MatchKeys(const KeyCatalogue& catalogue, MatchMode mode, std::string_view typedText) {
  const std::string_view typed = Trimmed(typedText);
  std::vector<KeyMatch> found;
  const std::string ownKey = OwnKey(typed);
  const std::int64_t own = ownKey.empty() ? -1 : catalogue.Find(ownKey);
  const std::size_t count = catalogue.Size();

  // Every key at the positions positionAt(from) .. positionAt(to - 1) (ascending) that `detailOf`
  // does not refuse; the keys at no such position would be refused.
  auto collectFrom = [&](std::size_t from, std::size_t to, auto&& positionAt, auto&& detailOf) {
    std::int32_t ownDetail = -1;
    bool ownFound = false;
    for (std::size_t k = from; k < to; ++k) {
      const std::size_t i = positionAt(k);
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
  auto itself = [](std::size_t k) { return k; };
  auto collect = [&](auto&& detailOf) { collectFrom(0, count, itself, detailOf); };

  switch (mode) {
    case MatchMode::kExact:
      if (own >= 0) found.push_back({static_cast<std::int32_t>(own), -1});
      break;
    case MatchMode::kWildcard: {
      const WildcardPattern pattern(typed);
      std::size_t from = 0, to = 0;
      catalogue.PrefixRange(pattern.FixedStart(), &from, &to);
      collectFrom(from, to, itself,
                  [&](std::size_t i) { return pattern.Matches(catalogue.Key(i)) ? -1 : INT32_MIN; });
      break;
    }
    case MatchMode::kSoundex: {
      SoundexCode wanted[kMaxSoundexCodes];
      const int n = SurnameSoundexCodes(typed, wanted);
      // Only the keys filed under one of the wanted codes can share one.
      std::vector<std::size_t> candidates;
      for (int a = 0; a < n; ++a) {
        for (const std::uint32_t i : catalogue.KeysWithSoundex(wanted[a])) candidates.push_back(i);
      }
      std::sort(candidates.begin(), candidates.end());
      candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
      collectFrom(
          0, candidates.size(), [&](std::size_t k) { return candidates[k]; },
          [&](std::size_t i) {
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
      // Closest first: a slip of one letter is likelier the name meant than one of two. The typed
      // surname's own key stays first; keys as close as each other stay in key order.
      const auto rest = found.begin() + (own >= 0 && !found.empty() && found.front().key == own ? 1 : 0);
      std::stable_sort(rest, found.end(),
                       [](const KeyMatch& a, const KeyMatch& b) { return a.detail < b.detail; });
      break;
    }
  }
  return found;
}

bool WildcardKeyRange(const KeyRunTable& table, std::string_view typedText, std::size_t* from,
                      std::size_t* to) {
  const std::string_view typed = Trimmed(typedText);
  const WildcardPattern pattern(typed);
  // Keys in upper case begin with a start of upper-case letters and signs exactly when their
  // surnames do; a blank in the start could be a short key's padding.
  if (!pattern.OneStarAfterFixedStart() || !table.UpperCase() ||
      pattern.FixedStart().find(' ') != std::string_view::npos) {
    return false;
  }
  table.PrefixRange(pattern.FixedStart(), from, to);
  const std::string ownKey = OwnKey(typed);
  const std::int64_t own = ownKey.empty() ? -1 : table.Find(ownKey);
  return own < static_cast<std::int64_t>(*from) || own >= static_cast<std::int64_t>(*to);
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
      return detail == 0 ? "the same letters"
                         : std::to_string(detail) + (detail == 1 ? " letter apart" : " letters apart");
    case MatchMode::kWildcard:
      return "wildcard";
    case MatchMode::kExact:
      break;
  }
  return "exact";
}
