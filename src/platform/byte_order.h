// Fixed-width little-endian integers as they stand in the roll files.
// Decoded and encoded by byte shifts only: never a struct cast or a host-endian read.
#pragma once

#include <cstdint>

inline void EncodeFixed32(unsigned char* dst, std::int32_t value) {
  const auto v = static_cast<std::uint32_t>(value);
  dst[0] = static_cast<unsigned char>(v);
  dst[1] = static_cast<unsigned char>(v >> 8);
  dst[2] = static_cast<unsigned char>(v >> 16);
  dst[3] = static_cast<unsigned char>(v >> 24);
}

inline std::int32_t DecodeFixed32(const unsigned char* src) {
  const std::uint32_t v = static_cast<std::uint32_t>(src[0]) |
                          (static_cast<std::uint32_t>(src[1]) << 8) |
                          (static_cast<std::uint32_t>(src[2]) << 16) |
                          (static_cast<std::uint32_t>(src[3]) << 24);
  return static_cast<std::int32_t>(v);
}
