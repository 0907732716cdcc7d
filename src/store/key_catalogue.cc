#include "store/key_catalogue.h"

#include <algorithm>
#include <numeric>

#include "store/index_walk.h"
#include "store/roll_format.h"
#include "store/roll_index.h"

bool KeyCatalogue::Build(const RollIndex& index) {
  keys.clear();
  entries.clear();
  dm.clear();
  std::vector<Entry> walked;
  const IndexWalkResult walk = WalkIndex(index.File(), [](const std::string&) {}, [&](const WalkedEntry& e) {
    Entry entry{};
    entry.keyOffset = static_cast<std::uint32_t>(keys.size());
    entry.keyLength = static_cast<std::uint8_t>(e.key.size());
    entry.firstSlot = e.firstSlot;
    entry.slotCount = e.slotCount;
    keys.append(e.key);
    walked.push_back(entry);
  });
  // A sound tree gives its keys in order; a damaged one may not, and every search below looks
  // keys up by bisection.
  std::vector<std::uint32_t> order(walked.size());
  std::iota(order.begin(), order.end(), 0u);
  auto keyOf = [&](const Entry& e) { return std::string_view(keys).substr(e.keyOffset, e.keyLength); };
  if (!std::is_sorted(walked.begin(), walked.end(), [&](const Entry& a, const Entry& b) { return keyOf(a) < keyOf(b); })) {
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) { return keyOf(walked[a]) < keyOf(walked[b]); });
  }
  entries.reserve(walked.size());
  for (const std::uint32_t i : order) {
    Entry e = walked[i];
    const std::string_view surname = SurnameOfKey(keyOf(e));
    e.surnameLength = static_cast<std::uint8_t>(surname.size());
    e.soundexCount = static_cast<std::uint8_t>(SurnameSoundexCodes(surname, e.soundex));
    DmCode codes[kMaxDmCodes];
    e.dmCount = static_cast<std::uint8_t>(DaitchMokotoffCodes(surname, codes));
    e.dmOffset = static_cast<std::uint32_t>(dm.size());
    dm.insert(dm.end(), codes, codes + e.dmCount);
    entries.push_back(e);
  }
  return !walk.damaged;
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
  return keys.capacity() + entries.capacity() * sizeof(Entry) + dm.capacity() * sizeof(DmCode);
}
