#include "store/key_catalogue.h"

#include <algorithm>

#include "store/index_walk.h"
#include "store/roll_format.h"
#include "store/roll_index.h"

bool KeyCatalogue::Build(const RollIndex& index) {
  keys.clear();
  entries.clear();
  dm.clear();
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
