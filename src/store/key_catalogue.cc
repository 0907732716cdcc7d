#include "store/key_catalogue.h"

#include <algorithm>
#include <numeric>

#include "store/index_walk.h"
#include "store/roll_format.h"
#include "store/roll_index.h"

bool KeyCatalogue::Build(const RollIndex& index) {
  keys_.clear();
  entries_.clear();
  dm_.clear();
  std::vector<Entry> walked;
  const IndexWalkResult walk = WalkIndex(index.File(), [](const std::string&) {}, [&](const WalkedEntry& e) {
    Entry entry{};
    entry.keyOffset = static_cast<std::uint32_t>(keys_.size());
    entry.keyLength = static_cast<std::uint8_t>(e.key.size());
    entry.firstSlot = e.firstSlot;
    entry.slotCount = e.slotCount;
    keys_.append(e.key);
    walked.push_back(entry);
  });
  // A sound tree gives its keys in order; a damaged one may not, and every search below looks
  // keys up by bisection.
  std::vector<std::uint32_t> order(walked.size());
  std::iota(order.begin(), order.end(), 0u);
  auto keyOf = [&](const Entry& e) { return std::string_view(keys_).substr(e.keyOffset, e.keyLength); };
  if (!std::is_sorted(walked.begin(), walked.end(), [&](const Entry& a, const Entry& b) { return keyOf(a) < keyOf(b); })) {
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) { return keyOf(walked[a]) < keyOf(walked[b]); });
  }
  entries_.reserve(walked.size());
  for (const std::uint32_t i : order) {
    Entry e = walked[i];
    const std::string_view surname = SurnameOfKey(keyOf(e));
    e.surnameLength = static_cast<std::uint8_t>(surname.size());
    e.soundexCount = static_cast<std::uint8_t>(SurnameSoundexCodes(surname, e.soundex));
    DmCode codes[kMaxDmCodes];
    e.dmCount = static_cast<std::uint8_t>(DaitchMokotoffCodes(surname, codes));
    e.dmOffset = static_cast<std::uint32_t>(dm_.size());
    dm_.insert(dm_.end(), codes, codes + e.dmCount);
    entries_.push_back(e);
  }
  return !walk.damaged;
}

std::string_view KeyCatalogue::Key(std::size_t i) const {
  return std::string_view(keys_).substr(entries_[i].keyOffset, entries_[i].keyLength);
}

std::string_view KeyCatalogue::Surname(std::size_t i) const {
  return std::string_view(keys_).substr(entries_[i].keyOffset, entries_[i].surnameLength);
}

int KeyCatalogue::SoundexCodes(std::size_t i, const SoundexCode** codes) const {
  *codes = entries_[i].soundex;
  return entries_[i].soundexCount;
}

int KeyCatalogue::DmCodes(std::size_t i, const DmCode** codes) const {
  *codes = dm_.data() + entries_[i].dmOffset;
  return entries_[i].dmCount;
}

std::int64_t KeyCatalogue::Find(std::string_view key) const {
  const auto at = std::lower_bound(entries_.begin(), entries_.end(), key,
                                   [&](const Entry& e, std::string_view k) { return Key(static_cast<std::size_t>(&e - entries_.data())) < k; });
  if (at == entries_.end() || Key(static_cast<std::size_t>(at - entries_.begin())) != key) return -1;
  return at - entries_.begin();
}

std::size_t KeyCatalogue::Bytes() const {
  return keys_.capacity() + entries_.capacity() * sizeof(Entry) + dm_.capacity() * sizeof(DmCode);
}
