#include "store/index_hash.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

#include <memory>

namespace {

constexpr std::size_t kChunkSize = 1 << 20;

}  // namespace

std::string IndexHash::Hex() const {
  static const char kDigits[] = "0123456789abcdef";
  std::string text(32, '0');
  for (int i = 0; i < 16; ++i) {
    text[static_cast<std::size_t>(15 - i)] = kDigits[(high >> (4 * i)) & 0xF];
    text[static_cast<std::size_t>(31 - i)] = kDigits[(low >> (4 * i)) & 0xF];
  }
  return text;
}

bool HashIndexFile(const ReadOnlyFile& file, IndexHash* out) {
  const std::int64_t size = file.Size();
  if (size < 0) return false;
  XXH3_state_t state;
  if (XXH3_128bits_reset(&state) != XXH_OK) return false;
  const auto chunk = std::make_unique_for_overwrite<unsigned char[]>(kChunkSize);
  for (std::int64_t at = 0; at < size;) {
    const std::size_t want =
        size - at < static_cast<std::int64_t>(kChunkSize) ? static_cast<std::size_t>(size - at) : kChunkSize;
    const std::int64_t got = file.ReadAt(at, chunk.get(), want);
    if (got != static_cast<std::int64_t>(want)) return false;
    XXH3_128bits_update(&state, chunk.get(), want);
    at += got;
  }
  const XXH128_hash_t hash = XXH3_128bits_digest(&state);
  out->high = hash.high64;
  out->low = hash.low64;
  return true;
}
