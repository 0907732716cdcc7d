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

namespace {

// Whether any of the eight bytes of `word` is 0.
bool HasZeroByte(std::uint64_t word) {
  return ((word - 0x0101010101010101ull) & ~word & 0x8080808080808080ull) != 0;
}

// The first `length` bytes of `from` into `to`, eight at a time: a name is short, and a call to
// the library's copy costs more than the copy.
void CopyName(char* to, const char* from, int length) {
  int i = 0;
  for (; i + 8 <= length; i += 8) std::memcpy(to + i, from + i, 8);
  for (; i < length; ++i) to[i] = from[i];
}

}  // namespace

void NameOrderCheck::Feed(const char* name) {
  if (started && ordered) {
    // Neighbours mostly begin alike, and are often the same name: pass over the bytes they share
    // before either ends, eight at a time, and compare the folded forms from the first that
    // differs.
    const char* before = previous.data();
    int i = 0;
    bool same = false;
    for (; i + 8 <= length; i += 8) {
      std::uint64_t a, b;
      std::memcpy(&a, before + i, 8);
      std::memcpy(&b, name + i, 8);
      if (a != b) break;
      if (HasZeroByte(a)) {  // both end here, alike
        same = true;
        break;
      }
    }
    if (!same) {
      while (i < length && before[i] == name[i] && name[i] != '\0') ++i;
      if (i < length && before[i] != name[i] && CompareStoredNames(before + i, name + i, length - i) > 0) {
        ordered = false;
      }
    }
  }
  if (!ordered) return;  // nothing more to keep
  CopyName(previous.data(), name, length);
  started = true;
  if (fed++ % kNameSampleStep == 0) {
    const std::size_t n = static_cast<std::size_t>(length);
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
