#include "store/key_catalogue.h"

#include <algorithm>

#include "store/index_walk.h"
#include "store/roll_format.h"
#include "store/roll_index.h"

namespace {

// Makes the runs of `entries` sound for a name file of `slotTotal` slots (see the header); true
// when none had to change.
template <typename Entry>
bool MakeRunsSound(std::vector<Entry>* entries, std::int64_t slotTotal) {
  bool sound = true;
  for (Entry& e : *entries) {
    // An empty run is sound wherever it says it starts; it is kept as an empty run at slot 0.
    if (e.slotCount <= 0 || e.firstSlot < 0 || e.firstSlot >= slotTotal) {
      sound = sound && e.slotCount == 0;
      e.firstSlot = 0;
      e.slotCount = 0;
    } else if (static_cast<std::int64_t>(e.firstSlot) + e.slotCount > slotTotal) {
      sound = false;
      e.slotCount = static_cast<std::int32_t>(slotTotal - e.firstSlot);
    }
  }
  // In slot order (key order among equal starts), each run must begin where the ones before end.
  std::vector<std::uint32_t> order(entries->size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<std::uint32_t>(i);
  std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
    return (*entries)[a].firstSlot < (*entries)[b].firstSlot;
  });
  std::int64_t reached = 0;
  for (const std::uint32_t i : order) {
    Entry& e = (*entries)[i];
    if (e.slotCount == 0) continue;
    if (e.firstSlot < reached) {
      sound = false;
      e.firstSlot = 0;
      e.slotCount = 0;
      continue;
    }
    reached = static_cast<std::int64_t>(e.firstSlot) + e.slotCount;
  }
  return sound;
}

}  // namespace

bool KeyCatalogue::Build(const RollIndex& index, std::int64_t slotTotal) {
  keys.clear();
  entries.clear();
  dm.clear();
  soundexStart.clear();
  soundexKeys.clear();
  bool sorted = true;
  const IndexWalkResult walk = WalkIndex(index.File(), [](const std::string&) {}, [&](const WalkedEntry& e) {
    Entry entry{};
    entry.keyOffset = static_cast<std::uint32_t>(keys.size());
    entry.keyLength = static_cast<std::uint8_t>(e.key.size());
    entry.firstSlot = e.firstSlot;
    entry.slotCount = e.slotCount;
    const std::string_view surname = SurnameOfKey(e.key);
    entry.surnameLength = static_cast<std::uint8_t>(surname.size());
    entry.soundexCount = static_cast<std::uint8_t>(SurnameSoundexCodes(surname, entry.soundex));
    DmCode codes[kMaxDmCodes];
    entry.dmCount = static_cast<std::uint8_t>(DaitchMokotoffCodes(surname, codes));
    entry.dmOffset = static_cast<std::uint32_t>(dm.size());
    dm.insert(dm.end(), codes, codes + entry.dmCount);
    if (!entries.empty() && !(Key(entries.size() - 1) < e.key)) sorted = false;
    keys.append(e.key);
    entries.push_back(entry);
  });
  // A sound tree gives its keys in order; a damaged one may not, and the look-ups bisect.
  if (!sorted) {
    std::stable_sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
      return std::string_view(keys).substr(a.keyOffset, a.keyLength) < std::string_view(keys).substr(b.keyOffset, b.keyLength);
    });
  }
  const bool runsSound = MakeRunsSound(&entries, slotTotal);
  damaged = walk.damaged || !runsSound;
  upperCaseKeys = keys.find_first_of("abcdefghijklmnopqrstuvwxyz") == std::string::npos;
  keysBySlot.clear();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].slotCount > 0) keysBySlot.push_back(static_cast<std::uint32_t>(i));
  }
  std::sort(keysBySlot.begin(), keysBySlot.end(),
            [&](std::uint32_t a, std::uint32_t b) { return entries[a].firstSlot < entries[b].firstSlot; });
  // Grouped by code in one counting pass: the codes are below kSoundexCodeCount.
  soundexStart.assign(kSoundexCodeCount + 1, 0);
  for (const Entry& e : entries) {
    for (int c = 0; c < e.soundexCount; ++c) {
      if (e.soundex[c] < kSoundexCodeCount) ++soundexStart[e.soundex[c] + 1u];
    }
  }
  for (std::size_t c = 1; c < soundexStart.size(); ++c) soundexStart[c] += soundexStart[c - 1];
  soundexKeys.assign(soundexStart.back(), 0);
  std::vector<std::uint32_t> next(soundexStart.begin(), soundexStart.end() - 1);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    for (int c = 0; c < entries[i].soundexCount; ++c) {
      const SoundexCode code = entries[i].soundex[c];
      if (code < kSoundexCodeCount) soundexKeys[next[code]++] = static_cast<std::uint32_t>(i);
    }
  }
  return !damaged;
}

std::int64_t KeyCatalogue::KeyOfSlot(std::int32_t slot) const {
  // The last run that starts at or before the slot is the only one that can hold it.
  const auto after = std::upper_bound(keysBySlot.begin(), keysBySlot.end(), slot,
                                      [&](std::int32_t s, std::uint32_t k) { return s < entries[k].firstSlot; });
  if (after == keysBySlot.begin()) return -1;
  const Entry& e = entries[*(after - 1)];
  return slot - e.firstSlot < e.slotCount ? static_cast<std::int64_t>(*(after - 1)) : -1;
}

std::span<const std::uint32_t> KeyCatalogue::KeysWithSoundex(SoundexCode code) const {
  if (code >= kSoundexCodeCount || soundexStart.empty()) return {};
  return std::span<const std::uint32_t>(soundexKeys).subspan(soundexStart[code], soundexStart[code + 1u] - soundexStart[code]);
}

void KeyCatalogue::PrefixRange(std::string_view prefix, std::size_t* from, std::size_t* to) const {
  *from = 0;
  *to = entries.size();
  if (!upperCaseKeys || prefix.empty()) return;
  // Keys in order are in order in their first bytes too.
  auto start = [&](const Entry& e) { return std::string_view(keys).substr(e.keyOffset, std::min<std::size_t>(e.keyLength, prefix.size())); };
  *from = static_cast<std::size_t>(std::partition_point(entries.begin(), entries.end(), [&](const Entry& e) { return start(e) < prefix; }) - entries.begin());
  *to = static_cast<std::size_t>(std::partition_point(entries.begin(), entries.end(), [&](const Entry& e) { return start(e) <= prefix; }) - entries.begin());
}

std::string_view KeyCatalogue::Key(std::size_t i) const {
  return std::string_view(keys).substr(entries[i].keyOffset, entries[i].keyLength);
}

std::string_view KeyCatalogue::Surname(std::size_t i) const {
  return std::string_view(keys).substr(entries[i].keyOffset, entries[i].surnameLength);
}

int KeyCatalogue::SoundexCodes(std::size_t i, const SoundexCode** codes) const {
  *codes = entries[i].soundex;
  return entries[i].soundexCount;
}

int KeyCatalogue::DmCodes(std::size_t i, const DmCode** codes) const {
  *codes = dm.data() + entries[i].dmOffset;
  return entries[i].dmCount;
}

std::int64_t KeyCatalogue::Find(std::string_view key) const {
  const auto at = std::lower_bound(entries.begin(), entries.end(), key,
                                   [&](const Entry& e, std::string_view k) { return Key(static_cast<std::size_t>(&e - entries.data())) < k; });
  if (at == entries.end() || Key(static_cast<std::size_t>(at - entries.begin())) != key) return -1;
  return at - entries.begin();
}

std::size_t KeyCatalogue::Bytes() const {
  return keys.capacity() + entries.capacity() * sizeof(Entry) + dm.capacity() * sizeof(DmCode) +
         (soundexStart.capacity() + soundexKeys.capacity() + keysBySlot.capacity()) *
             sizeof(std::uint32_t);
}
