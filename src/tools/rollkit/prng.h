// A small deterministic random source for the roll generator: xoshiro256** seeded through
// splitmix64. Integer arithmetic only, so a seed gives the same roll with every compiler and
// standard library (the standard distributions differ between implementations).
#pragma once

#include <cstdint>

class Prng {
 public:
  explicit Prng(std::uint64_t seed) {
    for (auto& word : state) word = SplitMix64(&seed);
  }

  std::uint64_t Next() {
    const std::uint64_t result = RotateLeft(state[1] * 5, 7) * 9;
    const std::uint64_t t = state[1] << 17;
    state[2] ^= state[0];
    state[3] ^= state[1];
    state[1] ^= state[2];
    state[0] ^= state[3];
    state[2] ^= t;
    state[3] = RotateLeft(state[3], 45);
    return result;
  }

  // Uniform in [0, bound) without modulo bias; bound must be positive.
  std::uint64_t Below(std::uint64_t bound) {
    const std::uint64_t threshold = (0 - bound) % bound;
    for (;;) {
      const unsigned __int128 product = static_cast<unsigned __int128>(Next()) * bound;
      if (static_cast<std::uint64_t>(product) >= threshold) {
        return static_cast<std::uint64_t>(product >> 64);
      }
    }
  }

  // True with probability percent / 100.
  bool Percent(unsigned percent) { return Below(100) < percent; }

  static std::uint64_t SplitMix64(std::uint64_t* x) {
    std::uint64_t z = (*x += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

 private:
  static std::uint64_t RotateLeft(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

  std::uint64_t state[4];
};
