#include "store/index_hash.h"

// The whole of xxHash compiled into this file from its header: no library to link on any platform.
#define XXH_INLINE_ALL
#include <xxhash.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/read_buffer.h"

namespace {

constexpr std::size_t kChunkSize = 1 << 18;

struct StateDeleter {
  void operator()(XXH3_state_t* state) const noexcept { XXH3_freeState(state); }
};

}  // namespace

std::string IndexHash::Hex() const {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex(32, '0');
  for (int i = 0; i < 16; ++i) {
    hex[15 - i] = kDigits[(high >> (4 * i)) & 0xF];
    hex[31 - i] = kDigits[(low >> (4 * i)) & 0xF];
  }
  return hex;
}

bool HashIndexFile(const ReadOnlyFile& file, IndexHash* out) {
  const std::int64_t size = file.Size();
  if (size < 0) return false;
  std::unique_ptr<XXH3_state_t, StateDeleter> state(XXH3_createState());
  if (!state || XXH3_128bits_reset(state.get()) != XXH_OK) return false;
  const ReadBuffer chunk(kChunkSize);
  for (std::int64_t at = 0; at < size;) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(size - at, kChunkSize));
    unsigned char* bytes = chunk.At(at);
    const std::int64_t got = file.ReadAt(at, bytes, want);
    // A file that shrank since it was opened is not the file whose size was promised.
    if (got <= 0) return false;
    if (XXH3_128bits_update(state.get(), bytes, static_cast<std::size_t>(got)) != XXH_OK) return false;
    at += got;
  }
  const XXH128_hash_t hash = XXH3_128bits_digest(state.get());
  out->high = hash.high64;
  out->low = hash.low64;
  return true;
}
