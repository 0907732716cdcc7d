#include "store/key_run_table.h"

#include <algorithm>

std::shared_ptr<const KeyRunTable> KeyRunTable::Make(std::vector<Run> runs, std::string texts,
                                                     bool asIndexed) {
  std::shared_ptr<KeyRunTable> table(new KeyRunTable());
  table->asIndexed = asIndexed;
  table->before.reserve(runs.size() + 1);
  table->before.push_back(0);
  std::string_view last;
  std::int32_t lastEnd = 0;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const Run& r = runs[i];
    if (r.keyOffset > texts.size() || r.keyLength > texts.size() - r.keyOffset ||
        r.surnameLength > r.keyLength || r.begin < 0 || r.begin > r.end ||
        (r.end > r.begin && r.begin < lastEnd)) {
      return nullptr;
    }
    const std::string_view key(texts.data() + r.keyOffset, r.keyLength);
    if (i > 0 && !(last < key)) return nullptr;
    last = key;
    if (key.find_first_of("abcdefghijklmnopqrstuvwxyz") != std::string_view::npos) table->upperCase = false;
    if (r.end > r.begin) lastEnd = r.end;
    if (r.end > r.begin && !r.namesOrdered) table->unorderedKeys.push_back(static_cast<std::uint32_t>(i));
    table->before.push_back(table->before.back() + (r.end - r.begin));
  }
  // Runs in order that do not overlap hold as many slots as [0, lastEnd) only when they fill it.
  table->tilesFromZero = table->before.back() == lastEnd;
  table->runs = std::move(runs);
  table->texts = std::move(texts);
  return table;
}

std::string_view KeyRunTable::Key(std::size_t i) const {
  return std::string_view(texts).substr(runs[i].keyOffset, runs[i].keyLength);
}

std::int64_t KeyRunTable::Find(std::string_view key) const {
  std::size_t from = 0, to = 0;
  PrefixRange(key, &from, &to);
  return from < to && Key(from) == key ? static_cast<std::int64_t>(from) : -1;
}

void KeyRunTable::PrefixRange(std::string_view prefix, std::size_t* from, std::size_t* to) const {
  // Keys in order are in order in their first bytes too.
  auto start = [&](std::size_t i) { return Key(i).substr(0, prefix.size()); };
  std::size_t lo = 0, hi = runs.size();
  while (lo < hi) {
    const std::size_t mid = lo + (hi - lo) / 2;
    if (start(mid) < prefix)
      lo = mid + 1;
    else
      hi = mid;
  }
  *from = lo;
  hi = runs.size();
  while (lo < hi) {
    const std::size_t mid = lo + (hi - lo) / 2;
    if (start(mid) <= prefix)
      lo = mid + 1;
    else
      hi = mid;
  }
  *to = lo;
}

std::size_t KeyRunTable::KeyOfTotal(std::int64_t total) const {
  const auto at = std::upper_bound(before.begin(), before.end(), total);
  return static_cast<std::size_t>(at - before.begin()) - 1;
}
