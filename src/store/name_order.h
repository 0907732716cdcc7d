// The order of the names in one surname's run of slots, as far as a given-name search may rely on
// it.
//
// `rollkit build` writes a surname's slots ordered by their upper-cased name text, so the names
// that begin with a given prefix stand together and a search could look at them alone. A roll
// written by anything else need not be in that order, so the engine relies on it only for a run
// it has seen in full: the first given-name scan of a run checks the order of every pair of
// neighbours (NameOrderCheck) and keeps, with its verdict, every kNameSampleStep-th name
// (OrderedNames). Later searches of the same run bisect those names to the slots where a prefix's
// matches can stand. The verdicts belong to one open file set of a roll: the database forgets
// them whenever it opens its files afresh.
//
// The order compared is that of the names as a given-name test sees them: L bytes, a-z
// upper-cased, every byte from the first NUL on read as a blank, compared as unsigned bytes. A
// prefix test of the first n of those bytes (store/given_name.h) then matches a contiguous run
// of an ordered sequence, whatever n is.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>

inline constexpr std::int32_t kNameSampleStep = 64;

// The folded form of a stored name (at least `nameLength` bytes) into `out` (`nameLength` bytes).
void FoldStoredName(const char* name, int nameLength, char* out);

// <0, 0 or >0 as the folded form of stored name `a` sorts before, with or after that of `b`.
int CompareStoredNames(const char* a, const char* b, int nameLength);

// The kept names of a run whose order was checked, and the part of the run a prefix can match in.
class OrderedNames {
 public:
  OrderedNames() = default;
  OrderedNames(std::string folded, int nameLength) : samples(std::move(folded)), length(nameLength) {}

  // The slots [*from, *to) of the run [first, end) outside which no name's first n folded bytes
  // equal `key`'s: `compare(sample)` is <0, 0 or >0 as the sample's first n folded bytes sort
  // before, equal or after the key.
  template <typename Compare>
  void Window(std::int32_t first, std::int32_t end, Compare compare, std::int32_t* from, std::int32_t* to) const {
    const std::int64_t count = length > 0 ? static_cast<std::int64_t>(samples.size()) / length : 0;
    // The first sample at or after the key, and the first one after it.
    auto bound = [&](bool after) {
      std::int64_t lo = 0, hi = count;
      while (lo < hi) {
        const std::int64_t mid = lo + (hi - lo) / 2;
        const int c = compare(samples.data() + mid * length);
        if (after ? c <= 0 : c < 0) {
          lo = mid + 1;
        } else {
          hi = mid;
        }
      }
      return lo;
    };
    const std::int64_t low = bound(false);
    const std::int64_t high = bound(true);
    // Everything before the sample ahead of `low` sorts before the key; everything from `high`'s
    // sample on sorts after it.
    const std::int64_t start = static_cast<std::int64_t>(first) + (low > 0 ? low - 1 : 0) * kNameSampleStep;
    const std::int64_t stop = high < count ? static_cast<std::int64_t>(first) + high * kNameSampleStep : end;
    *from = static_cast<std::int32_t>(start < end ? start : end);
    *to = static_cast<std::int32_t>(stop < end ? stop : end);
    if (*to < *from) *to = *from;
  }
  // Whether any names are kept (a run the companion vouches for may come without them).
  bool Sampled() const { return !samples.empty(); }
  std::string_view Kept() const { return samples; }
  std::size_t Bytes() const { return samples.capacity(); }

 private:
  std::string samples;  // the folded names of slots first, first + step, ...
  int length = 0;
};

// Fed the names of a run's slots one by one, in slot order: whether each sorts at or after the one
// before it, and the samples for OrderedNames.
class NameOrderCheck {
 public:
  explicit NameOrderCheck(int nameLength);
  // The stored name bytes of the next slot (at least L of them). The bytes need stay valid only
  // for the call.
  void Feed(const char* name);
  bool Ordered() const { return ordered; }
  OrderedNames Take() { return OrderedNames(TakeSamples(), length); }
  // The folded names of slots 0, kNameSampleStep, ... of those fed, L bytes each.
  std::string TakeSamples() { return std::move(samples); }

 private:
  int length;
  bool ordered = true;
  bool started = false;
  std::int64_t fed = 0;
  std::string previous;  // the last name fed, as stored
  std::string samples;
};

// The verdicts of one open file set: the runs found in order, by their slot range.
class NameOrders {
 public:
  // The kept names of the run [first, end), or null when it was not found in order.
  const OrderedNames* Find(std::int32_t first, std::int32_t end) const;
  void Remember(std::int32_t first, std::int32_t end, OrderedNames names);
  void Clear() { runs.clear(); }

 private:
  std::map<std::pair<std::int32_t, std::int32_t>, OrderedNames> runs;
};
