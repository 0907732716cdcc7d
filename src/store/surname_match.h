// Which surnames of a roll a typed surname finds, by each of the ways of matching a surname: the
// exact key (the classic search), wildcards, American Soundex, Daitch-Mokotoff Soundex and
// similar spelling (store/wildcard.h, soundex.h, daitch_mokotoff.h, similar_spelling.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/key_catalogue.h"

class KeyRunTable;

enum class MatchMode { kExact, kWildcard, kSoundex, kDaitchMokotoff, kSimilar };

// "exact", "wildcard", "soundex", "dm", "similar".
const char* MatchModeName(MatchMode mode);
// The mode named so (as MatchModeName gives it); false for any other text.
bool ParseMatchMode(std::string_view name, MatchMode* mode);
// The mode a typed surname asks for when the user chose `chosen`: a `*` or `?` in the surname
// switches wildcards on by themselves, whatever mode was chosen (no code or distance of a
// pattern means anything: "SCH*" under sounds-like is meant as a pattern).
MatchMode EffectiveMatchMode(MatchMode chosen, std::string_view typed);

struct KeyMatch {
  std::int32_t key;  // position in the catalogue
  // Why it matched: the Soundex code (soundex.h's SoundexCode) or the Daitch-Mokotoff code that
  // the key shares with the typed surname, the edit distance for similar spelling; -1 otherwise.
  std::int32_t detail;
};

// The keys `typed` finds in `mode`: the typed surname's own key first (when it is among them),
// then the others in key order; similar spelling ranks the others by closeness (distance, then
// key order). Blanks around the typed surname are ignored.
std::vector<KeyMatch> MatchKeys(const KeyCatalogue& catalogue, MatchMode mode, std::string_view typed);

// When the keys a wildcard search of `typed` finds are, in MatchKeys' order, exactly the keys of one
// range of `table` (a fixed start and one `*`, on keys without a-z, and the typed text's own key
// not among them): true with the range in *from, *to.
bool WildcardKeyRange(const KeyRunTable& table, std::string_view typed, std::size_t* from, std::size_t* to);

// The key the typed surname itself names, blanks around it ignored; "" when it names none.
std::string OwnKey(std::string_view typed);

// Why a key matched, in words: "Soundex S530", "Daitch-Mokotoff 463000", "1 letter apart".
std::string DescribeMatch(MatchMode mode, std::int32_t detail);
