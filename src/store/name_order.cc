#include "store/name_order.h"

#include <cstring>

#include "store/roll_format.h"

void FoldStoredName(const char* name, int nameLength, char* out) {
  int i = 0;
  for (; i < nameLength && name[i] != '\0'; ++i) out[i] = UpperAscii(name[i]);
  for (; i < nameLength; ++i) out[i] = ' ';
}

int CompareStoredNames(const char* a, const char* b, int nameLength) {
  bool endA = false;
  bool endB = false;
  for (int i = 0; i < nameLength; ++i) {
    endA = endA || a[i] == '\0';
    endB = endB || b[i] == '\0';
    if (endA && endB) return 0;
    const auto x = static_cast<unsigned char>(endA ? ' ' : UpperAscii(a[i]));
    const auto y = static_cast<unsigned char>(endB ? ' ' : UpperAscii(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}

NameOrderCheck::NameOrderCheck(int nameLength)
    : length(nameLength < 0 ? 0 : nameLength), previous(static_cast<std::size_t>(length), '\0') {}

void NameOrderCheck::Feed(const char* name) {
  const std::size_t n = static_cast<std::size_t>(length);
  // Neighbours are often the same name: those need no closer look.
  if (started && ordered && std::memcmp(previous.data(), name, n) != 0 &&
      CompareStoredNames(previous.data(), name, length) > 0) {
    ordered = false;
  }
  if (!ordered) return;  // nothing more to keep
  std::memcpy(previous.data(), name, n);
  started = true;
  if (fed++ % kNameSampleStep == 0) {
    samples.resize(samples.size() + n);
    FoldStoredName(name, length, samples.data() + samples.size() - n);
  }
}

const OrderedNames* NameOrders::Find(std::int32_t first, std::int32_t end) const {
  const auto at = runs.find({first, end});
  return at == runs.end() ? nullptr : &at->second;
}

void NameOrders::Remember(std::int32_t first, std::int32_t end, OrderedNames names) {
  runs.insert_or_assign({first, end}, std::move(names));
}
